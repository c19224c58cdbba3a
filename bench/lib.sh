# Sourced by the bench/<name> scripts: builds the 64-bit release tree they need and gives them a
# Wine prefix of their own (kept in build/bench-wine between runs).
bench_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# bench_build TARGET...: configures build/bench-x86_64 once (Release) and builds the targets.
bench_build() {
    "$bench_root/scripts/setup"
    local dir="$bench_root/build/bench-x86_64"
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$bench_root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
            -DCMAKE_TOOLCHAIN_FILE="$bench_root/cmake/toolchain-x86_64.cmake" \
            -DTARNWICK_DEPS_DIR="$bench_root/build/_deps" >/dev/null || return 1
    fi
    cmake --build "$dir" -j "$(nproc)" --target "$@" >/dev/null || return 1
    bench_bin="$dir/bin"
}

# bench_wine: prepares the prefix and starts a persistent server (stopped when the script exits).
bench_wine() {
    . "$bench_root/scripts/lib/wine-env.sh"
    tarnwick_wine_env "$bench_root/build/bench-wine"
    tarnwick_wine_start_server
    trap tarnwick_wine_stop_server EXIT
}
