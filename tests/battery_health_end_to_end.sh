#!/usr/bin/env bash
# The user unit's battery health reading, as the unit runs it: its
# ExecStartPre command (the installed path put in for @TOLVANE_UNIT_BINDIR@)
# against a test power supply tree bind-mounted over /sys/class/power_supply
# in a private mount namespace (needs root). It must write one line for the
# laptop battery, stamped now, and none for the mouse or the mains; with no
# battery, nothing, and success either way. Then the line, after a reading
# of 60 days before in a log, is read back by tolvane-report into the
# battery's history: in the summary and on the page, as headless Chromium
# builds it.
# Usage: battery_health_end_to_end.sh path/to/tolvane-report path/to/tolvane.service.in
set -u
report=$(realpath "$1")
unit=$(realpath "$2")
read -r -a emulator <<< "${TOLVANE_EMULATOR:-}"
if [ "$(id -u)" != 0 ] || ! unshare -m true 2>/dev/null; then
    echo "SKIP: needs root and unshare -m for the bind mount"
    exit 77
fi
work=$(mktemp -d /tmp/tolvane-health-e2e.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
put() { mkdir -p "$(dirname "$1")" && printf '%s\n' "$2" > "$1"; }

command=$(sed -n 's/^ExecStartPre=-//p' "$unit" | sed "s#@TOLVANE_UNIT_BINDIR@#$(dirname "$report")#")
read -r -a argv <<< "$command"
[ "${argv[0]:-}" = "$report" ] || fail "the unit's ExecStartPre=- does not run tolvane-report: $(grep '^ExecStartPre' "$unit")"

tree=$work/tree
put "$tree/AC/type" Mains
put "$tree/AC/online" 1
put "$tree/BAT0/type" Battery
put "$tree/BAT0/present" 1
put "$tree/BAT0/manufacturer" "Acme, Inc."
put "$tree/BAT0/model_name" 5B10W13930
put "$tree/BAT0/technology" Li-poly
put "$tree/BAT0/serial_number" SECRET-4711
put "$tree/BAT0/energy_full_design" 57000000
put "$tree/BAT0/energy_full" 49410000
put "$tree/BAT0/cycle_count" 312
put "$tree/hidpp_battery_0/type" Battery
put "$tree/hidpp_battery_0/scope" Device
put "$tree/hidpp_battery_0/energy_full" 1000000
mkdir -p "$work/empty"

# run TREE: the unit's command with TREE as the machine's power supplies.
run() {
    unshare -m sh -c 'mount --bind "$1" /sys/class/power_supply && shift && exec "$@"' \
        sh "$1" "${emulator[@]}" "${argv[@]}"
}
before=$(date +%s)
line=$(run "$tree" 2> "$work/err")
status=$?
after=$(date +%s)
[ "$status" = 0 ] || fail "exit status $status: $(cat "$work/err")"
record='BAT0,"Acme, Inc.",5B10W13930,Li-poly,57.00,49.41,86.7,312'
stamp=${line:0:17}
[ "${line:17}" = "  Battery health: $record" ] || fail "the line: $(printf %q "$line")"
[ "$(grep -c '' <<<"$line")" = 1 ] || fail "not one line: $line"
# The monitor's stamp of local time, within the seconds the command took.
in_time=""
for ((second = before; second <= after; second++)); do
    [ "$stamp" = "$(date -d "@$second" '+%m/%d/%y %H:%M:%S')" ] && in_time=yes
done
[ -n "$in_time" ] || fail "stamp $stamp is not local time between $(date -d "@$before" +%T) and $(date -d "@$after" +%T)"

empty=$(run "$work/empty" 2>&1)
status=$?
[ "$status" = 0 ] && [ -z "$empty" ] || fail "no battery: exit $status, wrote $(printf %q "$empty")"

# Read back: a reading of 60 days before with the monitor's report then,
# a morning on battery, the line.
older=$(date -d "@$((before - 60 * 86400))" '+%m/%d/%y %H:%M:%S')
morning=$(date -d "@$((before - 3600))" '+%m/%d/%y %H:%M:%S')
{
    echo "$older  Battery health: BAT0,\"Acme, Inc.\",5B10W13930,Li-poly,57.00,52.00,91.2,250"
    echo "$older  Power source: AC       Status: High, Charging, 80%"
    echo "Tolvane"
    echo "$morning  Power source: Battery  Status: High, 90%"
    echo "$line"
} > "$work/battery.log"
"${emulator[@]}" "$report" "$work/battery.log" > "$work/summary" 2>&1 ||
    fail "tolvane-report on the log: exit $?"
grep -q '^Battery health:' "$work/summary" &&
    grep -q 'BAT0 (Acme, Inc. 5B10W13930, 57.00 Wh design)' "$work/summary" &&
    grep -q '91.2 % on .*, 86.7 % on .*(2 readings, 312 cycles): -7.5 points per 100 days' "$work/summary" ||
    fail "the summary's health: $(cat "$work/summary")"
"${emulator[@]}" "$report" --html "$work/page.html" "$work/battery.log" || fail "--html: exit $?"
if command -v chromium > /dev/null; then
    timeout 120 chromium --headless --no-sandbox --disable-gpu --no-first-run \
        --disable-background-networking --disable-component-update --disable-sync \
        --user-data-dir="$work/profile" --dump-dom "file://$work/page.html" > "$work/dom.html" 2> /dev/null
    points=$(sed -n '/<svg id="capacity-chart"/,/<\/svg>/p' "$work/dom.html" | grep -o 'points="[^"]*"' | head -n 1 | grep -o ',' | grep -c '')
    [ "$points" = 2 ] || fail "the capacity chart in Chromium has $points points on its line, not the 2 readings"
else
    fail "chromium is not installed (Debian: apt-get install chromium)"
fi
[ "$failures" = 0 ] || exit 1
echo "battery health end-to-end: $line; read back: $(grep 'points per 100 days' "$work/summary" | sed 's/^ *//')"
