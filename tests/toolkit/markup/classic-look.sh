#!/usr/bin/env bash
# classic-look.sh WINE_EXEC PROGRAM...: runs the "Classic" cases of each test program with the
# visual style switched off. ThemeActive="0" is written to the prefix's registry before the
# programs start (a process reads it when it starts), the programs run with
# TARNWICK_CLASSIC_LOOK=1 so their classic cases do not skip, and the value is put back as it was
# afterwards, also when a program fails. CTest runs this alone, so no other test draws meanwhile.
set -u
wine_exec=$1
shift
# The prefix the programs run in: the test run's, else the one the runner itself would use.
if [ -z "${WINEPREFIX:-}" ]; then
    . "$(dirname "$wine_exec")/wine-env.sh"
    tarnwick_wine_env "$(dirname "$wine_exec")/../../build/wine"
fi
key='HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager'

# The value as it is now, or nothing when it is not set.
old=$(wine reg query "$key" /v ThemeActive 2>/dev/null | tr -d '\r' | awk '$1 == "ThemeActive" { print $3 }')
restore() {
    if [ -n "$old" ]; then
        wine reg add "$key" /v ThemeActive /t REG_SZ /d "$old" /f >/dev/null 2>&1
    else
        wine reg delete "$key" /v ThemeActive /f >/dev/null 2>&1
    fi
}
trap restore EXIT
if ! wine reg add "$key" /v ThemeActive /t REG_SZ /d 0 /f >/dev/null 2>&1; then
    echo "classic-look: could not set ThemeActive" >&2
    exit 1
fi

passed=0
failed=0
for program in "$@"; do
    log=$(mktemp)
    TARNWICK_CLASSIC_LOOK=1 "$wine_exec" "$program" --gtest_filter='*Classic*' >"$log" 2>&1
    status=$?
    cat "$log"
    ran=$(sed -n 's/^\[==========\] \([0-9]*\) tests\? from .* ran\..*/\1/p' "$log" | tr -d '\r' | tail -n 1)
    skipped=$(grep -c '^\[  SKIPPED \]' "$log")
    rm -f "$log"
    name=$(basename "$program")
    if [ "$status" -ne 0 ]; then
        echo "classic-look: $name failed (exit $status)"
        failed=$((failed + 1))
    elif [ -z "$ran" ] || [ "$ran" -eq 0 ]; then
        echo "classic-look: $name ran no classic case"
        failed=$((failed + 1))
    elif [ "$skipped" -ne 0 ]; then
        echo "classic-look: $name skipped classic cases: the switch did not reach them"
        failed=$((failed + 1))
    else
        echo "classic-look: $name passed $ran classic cases"
        passed=$((passed + 1))
    fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
