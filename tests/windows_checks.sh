#!/usr/bin/env bash
# Checks of the Windows builds.
# - Headers: both tolvane.exe files, and both tolvane-report.exe files,
#   are console programs importing only KERNEL32.dll and msvcrt.dll (the
#   report programs also SETUPAPI.dll, for the battery devices), with
#   DYNAMIC_BASE and NX_COMPAT, and ask for no newer Windows than XP (OS
#   and subsystem version at most 5.01 for the 32-bit programs, 5.02 for
#   the 64-bit ones).
# - The 32-bit program imports nothing outside windows_i686_imports.txt
#   (all on XP SP3) and uses 64-bit time (_time64, not time).
# - Under Wine: the 64-bit test suites; then the shipped 32-bit program
#   (the stripped exe from the zip) under an i386 Wine emulated by
#   qemu-i386-static, and the 64-bit one under wine64, each against a fake
#   /sys/class/power_supply that changes while it runs, read through a
#   pipe: banner, report, the percent warning and the next report, every
#   line in CR LF. The 32-bit run says SKIPPED when the i386 Wine can't be
#   had (see wine_i386.sh); the rest runs regardless. Then the 64-bit
#   tolvane-report.exe reads the 64-bit monitor's own CR LF log from that
#   run: one session from 80 to 75 % ended on mains, its CSV in CR LF;
#   and its --batteries says in one line that there is no battery (Wine
#   has no battery device; a table, should it have one).
# - tolvane-report.exe, both: the shipped 32-bit one (from the zip, under
#   the emulated i386 Wine, in one run as its start is slow) and the 64-bit
#   one read a CR LF log and a UTF-16LE log with its mark (as Windows
#   PowerShell 5.1's `>` saves one) in one command, and give the same CSV,
#   in which the UTF-16 log's session is found.
# Usage: windows_checks.sh BUILD-WIN32 BUILD-WIN64 (as root, for the bind
# mount). WINE_I386_CACHE names where the i386 Wine is kept between runs
# (default BUILD-WIN32/wine-i386).
set -u
here=$(cd "$(dirname "$0")" && pwd)
win32=$(realpath "$1")
win64=$(realpath "$2")
cache=${WINE_I386_CACHE:-$win32/wine-i386}
wine=${WINE:-/usr/lib/wine/wine64}
wineserver=${wine%/*}/wineserver64
[ -x "$wineserver" ] || wineserver=${wine%/*}/wineserver
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
finish() {
    if [ "$failures" -gt 0 ]; then
        echo "$failures Windows check(s) failed"
        exit 1
    fi
    echo "Windows checks passed"
    exit 0
}

# pe_version HEADERS FIELD: "major minor" of OSystemVersion or
# SubsystemVersion from objdump -p.
pe_version() {
    awk -v major="Major$2" -v minor="Minor$2" \
        '$1 == major { a = $2 } $1 == minor { b = $2 } END { print a, b }' <<<"$1"
}
# imports HEADERS: "DLL function" for every function imported by name.
imports() {
    awk '/^\tDLL Name: / { dll = $3; next } /^$/ { dll = "" }
         dll != "" && /^\t[0-9a-f]+\t +[0-9]+ / { print dll " " $NF }' <<<"$1" | LC_ALL=C sort
}

for exe in "$win32/tolvane.exe:501" "$win64/tolvane.exe:502" \
    "$win32/tolvane-report.exe:501" "$win64/tolvane-report.exe:502"; do
    limit=${exe##*:}
    exe=${exe%:*}
    headers=$(objdump -p "$exe") || { fail "$exe: not readable by objdump"; continue; }
    dlls=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | LC_ALL=C sort | tr '\n' ' ')
    allowed_dlls="KERNEL32.dll msvcrt.dll "
    [[ "$exe" != */tolvane-report.exe ]] || allowed_dlls="KERNEL32.dll SETUPAPI.dll msvcrt.dll "
    [ "$dlls" = "$allowed_dlls" ] || fail "$exe imports: $dlls"
    grep -Eq '^Subsystem\s+00000003\s+\(Windows CUI\)' <<<"$headers" || fail "$exe is not a console program"
    for flag in DYNAMIC_BASE NX_COMPAT; do
        grep -Eq "^\s+$flag\$" <<<"$headers" || fail "$exe lacks $flag"
    done
    versions=""
    for field in OSystemVersion SubsystemVersion; do
        read -r major minor < <(pe_version "$headers" "$field")
        if ! [[ "$major" =~ ^[0-9]+$ && "$minor" =~ ^[0-9]+$ ]]; then
            fail "$exe: no $field in its header"
            continue
        fi
        version=$(printf '%d.%02d' "$major" "$minor")
        versions+=" $field $version"
        [ $((major * 100 + minor)) -le "$limit" ] ||
            fail "$exe: $field $version is above $((limit / 100)).0$((limit % 100))"
    done
    echo "$exe:$versions (at most $((limit / 100)).0$((limit % 100)))"
done
grep -q '^architecture: i386' <(objdump -f "$win32/tolvane.exe") || fail "$win32/tolvane.exe is not 32-bit x86"

before=$failures
allowed=$(grep -Ev '^(#|$)' "$here/windows_i686_imports.txt" | LC_ALL=C sort)
used=$(imports "$(objdump -p "$win32/tolvane.exe")")
grep -qx 'KERNEL32.dll GetSystemPowerStatus' <<<"$used" ||
    fail "$win32/tolvane.exe: GetSystemPowerStatus not among its imports as read: $used"
unlisted=$(LC_ALL=C comm -23 <(echo "$used") <(echo "$allowed") | tr '\n' ' ')
[ -z "$unlisted" ] || fail "$win32/tolvane.exe imports what windows_i686_imports.txt does not list: $unlisted"
for function in time localtime; do
    ! grep -qx "msvcrt.dll $function" <<<"$used" ||
        fail "$win32/tolvane.exe imports $function: 32-bit time_t, wrong from 2038 (build with -D__MINGW_USE_VC2005_COMPAT)"
done
for function in _time64 _localtime64; do
    grep -qx "msvcrt.dll $function" <<<"$used" || fail "$win32/tolvane.exe does not import $function"
done
[ "$failures" != "$before" ] ||
    echo "$win32/tolvane.exe: $(grep -c '' <<<"$used") imports, all in windows_i686_imports.txt; _time64 and _localtime64, not time and localtime"
echo "imports, subsystem, versions, DYNAMIC_BASE and NX_COMPAT checked"

if [ "$(id -u)" != 0 ] || ! unshare -m true 2>/dev/null; then
    echo "SKIPPED: the Windows programs under Wine: need root and unshare -m for the fake power supply tree"
    finish
fi

work=$(mktemp -d /tmp/tolvane-windows.XXXXXX)
export WINEDEBUG=-all WINEPREFIX=$work/prefix
cleanup() {
    [ -z "${EXE_PID:-}" ] || kill "$EXE_PID" 2>/dev/null
    WINEPREFIX=$WINEPREFIX "$wineserver" -k 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

started=$SECONDS
if ! start=$(timeout 180 "$wine" cmd /c echo ready 2>&1) || [[ "$start" != *ready* ]]; then
    echo "SKIPPED: the Windows programs under Wine: Wine could not start ($wine: ${start:-no output})"
    finish
fi
echo "Wine prefix made in $((SECONDS - started)) s"

for suite in monitor_loop_test status_report_test log_report_test battery_info_test; do
    if ! timeout 120 "$wine" "$win64/tests/$suite.exe" > "$work/$suite.log" 2>&1; then
        cat "$work/$suite.log"
        fail "$suite.exe under Wine"
    else
        tail -n 1 "$work/$suite.log" | sed "s/^/$suite.exe under Wine: /"
    fi
done

# The tree Wine maps: it reads only the first "Mains" adapter and the first
# battery, from charge_now and charge_full (with voltage_now and
# current_now for the times): 3.2 of 4 Ah at 1 A is 80 %, 11520 s left of
# 14400 s on a full charge.
put() {  # put FILE VALUE: replaces FILE in one step
    printf '%s\n' "$2" > "$1.new" && mv -f "$1.new" "$1"
}
cr=$'\r'
stamp='[01][0-9]/[0-3][0-9]/[0-9][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9]'
banner=("" "Tolvane" ".+" "" "Beginning monitoring\.\.\." "")
report80=("$stamp  Power source: Battery  Status: High, 80%"
          "Battery life remaining     : 11520 seconds\."
          "Full battery life available: 14400 seconds\.")
report75=("\*\*\* Battery life has changed more than one percent \*\*\*"
          "$stamp  Power source: Battery  Status: High, 75%"
          "Battery life remaining     : 10800 seconds\."
          "Full battery life available: 14400 seconds\.")
# expect NAME WAIT PATTERN...: the next lines from the running program
# match, each ending in one CR before the LF, and arrive within WAIT
# seconds while it still runs; fails unless all of them do.
expect() {
    local name=$1 wait=$2 pattern line before=$failures
    shift 2
    for pattern in "$@"; do
        if ! IFS= read -r -t "$wait" line <&"${EXE[0]}"; then
            fail "$name: no line matching '$pattern' within $wait s"
            tail -n 5 "$work/$name.err"
            return 1
        fi
        wait=30
        printf '%s\n' "$line" >> "$work/$name.log"
        [[ "$line" =~ ^$pattern$cr$ && "$line" != *"$cr$cr" ]] ||
            fail "$name: expected '$pattern' and CR LF, got $(printf %q "$line")"
        kill -0 "$EXE_PID" 2>/dev/null || { fail "$name ended after $(printf %q "$line")"; return 1; }
        [ -n "${first_report:-}" ] || [[ "$line" != *"Power source"* ]] || first_report=$line
    done
    [ "$failures" = "$before" ]
}
# run_program NAME COMMAND...: COMMAND (a Wine loader and the exe) against
# the fake tree; prints how long the first report took.
run_program() {
    local name=$1 tree=$work/tree-$1 begun=$SECONDS
    shift
    mkdir -p "$tree/AC" "$tree/BAT0"
    put "$tree/AC/type" Mains
    put "$tree/AC/online" 0
    put "$tree/BAT0/type" Battery
    put "$tree/BAT0/present" 1
    put "$tree/BAT0/status" Discharging
    put "$tree/BAT0/charge_full" 4000000
    put "$tree/BAT0/charge_now" 3200000
    put "$tree/BAT0/voltage_now" 12000000
    put "$tree/BAT0/current_now" 1000000
    first_report=""
    coproc EXE { exec unshare -m sh -c 'mount --bind "$0" /sys/class/power_supply && exec "$@"' \
        "$tree" "$@" 2> "$work/$name.err"; }
    if expect "$name" 300 "${banner[@]}" "${report80[@]}"; then
        echo "$name: first report after $((SECONDS - begun)) s, as read: $(printf %q "$first_report")"
        put "$tree/BAT0/charge_now" 3000000
        if expect "$name" 30 "${report75[@]}"; then
            put "$tree/BAT0/status" Charging
            put "$tree/AC/online" 1
            expect "$name" 30 "$stamp  Power source: AC       Status: High, Charging, 75%" &&
                echo "$name: banner, report, warning and the next reports checked, CR LF, in $((SECONDS - begun)) s"
        fi
    fi
    kill "$EXE_PID" 2>/dev/null
    wait "$EXE_PID" 2>/dev/null
    EXE_PID=""
}

# The 32-bit program as shipped: the stripped exe from the zip.
(cd "$work" && cpack -G ZIP --config "$win32/CPackConfig.cmake" > cpack.log 2>&1) &&
    unzip -q -o "$work"/tolvane-*-win32.zip tolvane.exe tolvane-report.exe -d "$work/zip" ||
    { cat "$work/cpack.log"; fail "cpack -G ZIP in $win32"; }
# Two logs for tolvane-report.exe: the sample in CR LF, and one session of
# 12/20/26 in UTF-16LE with its mark and CR LF.
sed 's/$/\r/' "$here/../doc/sample-battery.log" > "$work/crlf.log"
{
    printf '\xff\xfe'
    printf '%s\r\n' "" Tolvane "" "12/20/26 09:00:00  Power source: Battery  Status: High, 90%" \
        "12/20/26 10:00:00  Power source: Battery  Status: High, 80%" \
        "12/20/26 10:05:00  Power source: AC       Status: High, Charging, 80%" | iconv -f UTF-8 -t UTF-16LE
} > "$work/utf16.log"
utf16_session="2026-12-20T09:00:00,2026-12-20T10:05:00,3900,90,80,9.23,39000,,ac,0,$cr"
# report_csv NAME COMMAND...: the CSV of both logs by COMMAND (a Wine
# loader and a tolvane-report.exe) in $work/NAME.csv, its exit status in
# $work/NAME.status.
report_csv() {
    local name=$1
    shift
    timeout 600 "$@" --format=csv "$work/crlf.log" "$work/utf16.log" > "$work/$name.csv" 2> "$work/$name.err"
    echo $? > "$work/$name.status"
}

begun=$SECONDS
if ! qemu=$(command -v qemu-i386-static); then
    echo "SKIPPED: the 32-bit program under Wine: qemu-i386-static is not installed (Debian: qemu-user-static)"
elif ! fetched=$("$here/wine_i386.sh" "$cache"); then
    echo "SKIPPED: the 32-bit program under Wine: $(tail -n 1 <<<"$fetched")"
elif [ -f "$work/zip/tolvane.exe" ]; then
    echo "$fetched"
    root=$(realpath "$cache/root")
    # What wineboot does for a 32-bit Wine it finds: the i386 builtin DLLs
    # (and the MinGW zlib1.dll they link) in the prefix's syswow64.
    syswow64=$WINEPREFIX/drive_c/windows/syswow64
    mkdir -p "$syswow64"
    for dll in "$root"/usr/lib/i386-linux-gnu/wine/i386-windows/* "$root"/usr/i686-w64-mingw32/lib/*.dll; do
        ln -sfn "$dll" "$syswow64/"
    done
    # WINELOADERNOEXEC: the loader does not re-exec itself through the
    # i386 wine-preloader, which the kernel would be asked to run directly.
    # Emulated, each program takes a minute or two to start: the report
    # reads its logs beside the monitor's run, on the other core.
    report_csv report-i386 env WINELOADERNOEXEC=1 WINESERVER="$wineserver" \
        "$qemu" -L "$root" "$root/usr/lib/wine/wine" "$work/zip/tolvane-report.exe" &
    report_i386=$!
    run_program tolvane.exe-i386 env WINELOADERNOEXEC=1 WINESERVER="$wineserver" \
        "$qemu" -L "$root" "$root/usr/lib/wine/wine" "$work/zip/tolvane.exe"
    echo "the 32-bit program under Wine took $((SECONDS - begun)) s"
    wait "$report_i386"
    echo "the 32-bit tolvane-report.exe under Wine, beside it, was done after $((SECONDS - begun)) s"
fi

run_program tolvane.exe-x86_64 "$wine" "$win64/tolvane.exe"

# tolvane-report.exe on what the 64-bit monitor just wrote, as a file of
# CR LF lines: the session from 80 to 75 %, ended on mains.
log=$work/tolvane.exe-x86_64.log
if [ "$(grep -c 'Power source: AC' "$log" 2>/dev/null)" = 1 ]; then
    csv=$(timeout 120 "$wine" "$win64/tolvane-report.exe" --format=csv "$log" 2> "$work/report.err")
    status=$?
    header="start,end,seconds,from_percent,to_percent,percent_per_hour,full_runtime_seconds,estimate_error_percent,ended,asleep_seconds,host"
    if [ "$status" = 0 ] && [ "$(sed -n 1p <<<"$csv")" = "$header$cr" ] && [ "$(grep -c '' <<<"$csv")" = 2 ] &&
        [[ "$(sed -n 2p <<<"$csv")" =~ ^[^,]+,[^,]+,[0-9]+,80,75,[^,]*,[^,]*,[^,]*,ac,0,$cr$ ]]; then
        echo "tolvane-report.exe under Wine on the monitor's CR LF log: $(sed -n 2p <<<"$csv" | tr -d '\r')"
    else
        fail "tolvane-report.exe under Wine (exit $status): $(printf %q "$csv") $(tail -n 3 "$work/report.err")"
    fi
else
    fail "tolvane-report.exe under Wine: no CR LF log from the 64-bit monitor to read"
fi

# The installed batteries: Wine has no battery device, which must read as
# one plain line and success.
batteries=$(timeout 120 "$wine" "$win64/tolvane-report.exe" --batteries 2> "$work/batteries.err")
status=$?
if [ "$status" = 0 ] && { [ "$batteries" = "No battery found.$cr" ] ||
    grep -q "^  Health       : " <<<"$batteries"; }; then
    echo "tolvane-report.exe --batteries under Wine: $(head -n 1 <<<"$batteries" | tr -d '\r')"
else
    fail "tolvane-report.exe --batteries under Wine (exit $status): $(printf %q "$batteries") $(tail -n 3 "$work/batteries.err")"
fi
# Both logs, CR LF and UTF-16LE: the 64-bit report, and the 32-bit one
# where it ran, gives the same CSV.
report_csv report-x86_64 "$wine" "$win64/tolvane-report.exe"
sessions=$(grep -c ",\(ac\|cut\),[0-9]*,[^,]*$cr$" "$work/report-x86_64.csv")
if [ "$(cat "$work/report-x86_64.status")" = 0 ] && [ "$sessions" -ge 2 ] &&
    grep -qxF "$utf16_session" "$work/report-x86_64.csv"; then
    echo "64-bit tolvane-report.exe: $sessions sessions from the CR LF and the UTF-16LE log"
else
    fail "64-bit tolvane-report.exe on CR LF and UTF-16LE (exit $(cat "$work/report-x86_64.status")):" \
        "$(tail -n 3 "$work/report-x86_64.csv" "$work/report-x86_64.err")"
fi
if [ -f "$work/report-i386.status" ]; then
    if [ "$(cat "$work/report-i386.status")" = 0 ] && cmp -s "$work/report-i386.csv" "$work/report-x86_64.csv"; then
        echo "32-bit tolvane-report.exe from the zip: the same CSV ($sessions sessions, $(wc -c < "$work/report-i386.csv") bytes)"
    else
        fail "32-bit tolvane-report.exe (exit $(cat "$work/report-i386.status")) differs from the 64-bit one:" \
            "$(diff "$work/report-i386.csv" "$work/report-x86_64.csv" | head -n 6) $(tail -n 3 "$work/report-i386.err")"
    fi
fi
finish
