#!/usr/bin/env bash
# Checks of the Windows builds: both tolvane.exe files are console programs
# importing only KERNEL32.dll and msvcrt.dll; the 64-bit test suites and the
# real program run under Wine with CRLF output. (The 32-bit build can't run
# on this kernel; that it built at all proves its record layout asserts.)
# Usage: windows_checks.sh BUILD-WIN32 BUILD-WIN64
set -u
win32=$1
win64=$2
wine=${WINE:-/usr/lib/wine/wine64}
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for exe in "$win32/tolvane.exe" "$win64/tolvane.exe"; do
    headers=$(objdump -p "$exe") || { fail "$exe: not readable by objdump"; continue; }
    imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | sort | tr '\n' ' ')
    [ "$imports" = "KERNEL32.dll msvcrt.dll " ] || fail "$exe imports: $imports"
    grep -Eq '^Subsystem\s+00000003\s+\(Windows CUI\)' <<<"$headers" || fail "$exe is not a console program"
    for flag in DYNAMIC_BASE NX_COMPAT; do
        grep -Eq "^\s+$flag\$" <<<"$headers" || fail "$exe lacks $flag"
    done
done
grep -q '^architecture: i386' <(objdump -f "$win32/tolvane.exe") || fail "$win32/tolvane.exe is not 32-bit x86"
echo "imports, subsystem, DYNAMIC_BASE and NX_COMPAT checked: $win32/tolvane.exe $win64/tolvane.exe"

export WINEDEBUG=-all WINEPREFIX
WINEPREFIX=$(mktemp -d)
trap 'kill "${EXE_PID:-}" 2>/dev/null; WINEPREFIX=$WINEPREFIX ${wine%/*}/wineserver -k 2>/dev/null; rm -rf "$WINEPREFIX"' EXIT
if ! start=$(timeout 180 "$wine" cmd /c echo ready 2>&1) || [[ "$start" != *ready* ]]; then
    echo "SKIPPED: the Windows run under Wine: Wine could not start ($wine: ${start:-no output})"
    [ "$failures" = 0 ] || exit 1
    exit 0
fi

for suite in monitor_loop_test status_report_test; do
    if ! timeout 120 "$wine" "$win64/tests/$suite.exe" > "$WINEPREFIX/$suite.log" 2>&1; then
        cat "$WINEPREFIX/$suite.log"
        fail "$suite.exe under Wine"
    else
        tail -n 1 "$WINEPREFIX/$suite.log" | sed "s/^/$suite.exe under Wine: /"
    fi
done

# The real program, its stdout a pipe: banner, then this battery-less
# machine's one report, every line ending in CR LF, while it still runs.
coproc EXE { exec "$wine" "$win64/tolvane.exe"; }
cr=$'\r'
stamp='[01][0-9]/[0-3][0-9]/[0-9][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9]'
for pattern in "" "Tolvane" ".+" "" "Beginning monitoring\.\.\." "" \
    "$stamp  Power source: AC       Status: No battery, \?\?%"; do
    if ! IFS= read -r -t 60 line <&"${EXE[0]}"; then
        fail "tolvane.exe: no line matching '$pattern' within 60 s"
        break
    fi
    [[ "$line" =~ ^$pattern$cr$ && "$line" != *"$cr$cr" ]] ||
        fail "tolvane.exe: expected '$pattern' and CR LF, got '$(printf %q "$line")'"
    kill -0 "$EXE_PID" 2>/dev/null || fail "tolvane.exe ended after '$line'"
done
echo "tolvane.exe under Wine: banner and report checked"

if [ "$failures" -gt 0 ]; then
    echo "$failures Windows check(s) failed"
    exit 1
fi
echo "Windows checks passed"
