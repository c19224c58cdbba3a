# Sourced by the scripts: gives Wine a prefix and home of its own under one folder, prepared the
# way the programs and tests expect (fonts present, no Mono or Gecko prompts, quiet).

# tarnwick_wine_env FOLDER: exports the environment and creates the prefix when it is missing.
tarnwick_wine_env() {
    local root=$1
    mkdir -p "$root/home"
    export WINEPREFIX="$root/prefix"
    export HOME="$root/home"
    export WINEARCH=win64
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    if [ ! -f "$WINEPREFIX/system.reg" ] || [ ! -f "$root/.ready" ]; then
        tarnwick_wine_prepare "$root"
    fi
}

# A new prefix has an empty Fonts folder: without fonts, text measures as nothing and windows
# draw blank. Wine's own fonts supply Tahoma and Marlett; Arial maps to DejaVu Sans.
# Without a window manager Wine's managed X11 windows freeze their thread for two seconds each
# time one is hidden or closed; unmanaged windows do not (Wine then draws the frames itself).
tarnwick_wine_prepare() {
    local root=$1
    rm -f "$root/.ready"
    wineboot -i >/dev/null 2>&1
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /t REG_SZ /d 'DejaVu Sans' /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    wineserver -w
    touch "$root/.ready"
}

# A persistent server keeps each later wine start at well under a second; without it a cold start
# with stderr on a pipe (as under CTest) lingers for seconds.
tarnwick_wine_start_server() {
    wineserver -p
    wine cmd /c exit >/dev/null 2>&1 || true
}

tarnwick_wine_stop_server() {
    wineserver -k >/dev/null 2>&1 || true
}
