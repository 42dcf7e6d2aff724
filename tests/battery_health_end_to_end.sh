#!/usr/bin/env bash
# The user unit's battery health reading, as the unit runs it: its
# ExecStartPre command (the installed path put in for @TOLVANE_UNIT_BINDIR@)
# against a test power supply tree bind-mounted over /sys/class/power_supply
# in a private mount namespace (needs root). It must write one line for the
# laptop battery, stamped now, and none for the mouse or the mains; with no
# battery, nothing, and success either way.
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
[ "$failures" = 0 ] || exit 1
echo "battery health end-to-end: $line"
