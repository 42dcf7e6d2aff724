#!/usr/bin/env bash
# The real monitor against a test power supply tree (bind-mounted over
# /sys/class/power_supply in a private mount namespace; needs root) through
# a short scripted discharge: on mains, unplugged at 81 %, the times shown
# after their 10 s, a step a point down to 75 %, plugged in. Its output goes
# through a pipe into tolvane-report --format=csv, and the one session that
# comes out is checked against what the script did and saw.
# Usage: report_end_to_end.sh path/to/tolvane path/to/tolvane-report
set -u
monitor=$(realpath "$1")
report=$(realpath "$2")
# A cross build's programs run under the command in TOLVANE_EMULATOR.
read -r -a emulator <<< "${TOLVANE_EMULATOR:-}"
if [ "$(id -u)" != 0 ] || ! unshare -m true 2>/dev/null; then
    echo "SKIP: needs root and unshare -m for the bind mount"
    exit 77
fi
work=$(mktemp -d /tmp/tolvane-report-e2e.XXXXXX)
trap 'kill "${MON_PID:-}" 2>/dev/null; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
put() { printf '%s\n' "$2" > "$1.new" && mv -f "$1.new" "$1"; }
now() { echo "${EPOCHREALTIME/./}"; }
# reports N: waits until the log holds N reports, 15 s at most.
reports() {
    local tries
    for ((tries = 0; tries < 150; tries++)); do
        [ "$(grep -c 'Power source' "$work/log")" -ge "$1" ] && return
        sleep 0.1
    done
    fail "no report $1 within 15 s; the log: $(cat "$work/log")"
}

tree=$work/tree
mkdir -p "$tree/AC" "$tree/BAT0"
put "$tree/AC/type" Mains
put "$tree/AC/online" 1
put "$tree/BAT0/type" Battery
put "$tree/BAT0/status" Charging
put "$tree/BAT0/energy_full" 50000000
put "$tree/BAT0/energy_now" 40500000
put "$tree/BAT0/power_now" 10000000
mkfifo "$work/pipe"
: > "$work/log"
unshare -m sh -c 'mount --bind "$1" /sys/class/power_supply && shift && exec "$@"' \
    sh "$tree" "${emulator[@]}" "$monitor" > "$work/pipe" &
MON_PID=$!
tee -a "$work/log" < "$work/pipe" | "${emulator[@]}" "$report" --format=csv > "$work/csv" &
READER_PID=$!

reports 1
put "$tree/AC/online" 0
put "$tree/BAT0/status" Discharging
unplugged=$(now)
reports 2
put "$tree/BAT0/power_now" 9000000  # the gauge's first fresh figure
reports 3  # the times, 10 s after the unplug
n=3
for energy in 40000000 39500000 39000000 38500000 38000000 37500000; do
    put "$tree/BAT0/energy_now" "$energy"
    n=$((n + 1))
    reports "$n"
done
put "$tree/AC/online" 1
put "$tree/BAT0/status" Charging
plugged=$(now)
reports $((n + 1))
kill "$MON_PID"
wait "$READER_PID"

# What the monitor wrote: the stamps of the unplug and plug-in reports.
stamp() { grep -m1 "Power source: $1" "$work/log" | awk '{ split($1, d, "/"); print "20" d[3] "-" d[1] "-" d[2] "T" $2 }'; }
start=$(stamp Battery)
end=$(sed -n "/Power source: Battery/,\$p" "$work/log" | grep -m1 'Power source: AC' |
      awk '{ split($1, d, "/"); print "20" d[3] "-" d[1] "-" d[2] "T" $2 }')
header=$(head -n 1 "$work/csv")
[ "$header" = "start,end,seconds,from_percent,to_percent,percent_per_hour,full_runtime_seconds,estimate_error_percent,ended,asleep_seconds,host" ] ||
    fail "CSV header: $header"
[ "$(grep -c '' "$work/csv")" = 2 ] || fail "not one session: $(cat "$work/csv")"
IFS=, read -r s_start s_end seconds from to drain runtime error ended asleep host < <(sed -n 2p "$work/csv")
scripted=$(((plugged - unplugged + 500000) / 1000000))
[ "$s_start" = "$start" ] && [ "$s_end" = "$end" ] || fail "session $s_start to $s_end, the log's $start to $end"
[ "${seconds:-0}" -ge $((scripted - 2)) ] && [ "${seconds:-0}" -le $((scripted + 2)) ] ||
    fail "$seconds seconds on battery; the script unplugged for $scripted s"
[ "$from,$to,$ended" = "81,75,ac" ] || fail "from $from to $to %, ended $ended; the script went from 81 to 75 and plugged in"
[ "$asleep,$host" = "0," ] || fail "asleep $asleep s, host '$host': awake throughout, a log from tee"
[ "$drain" = "$(awk -v s="$seconds" 'BEGIN { printf "%.2f", 6 * 3600 / s }')" ] || fail "drain $drain for 6 % in $seconds s"
[ "$runtime" = "$(awk -v s="$seconds" 'BEGIN { printf "%.0f", 100 * s / 6 }')" ] || fail "full runtime $runtime for 6 % in $seconds s"
# The times shown at 81 %, 6 points above the end, take part: a number.
[[ "$error" =~ ^-?[0-9]+\.[0-9]$ ]] || fail "estimate error '$error'"
[ "$failures" = 0 ] || { cat "$work/log"; exit 1; }
echo "report end-to-end: $(sed -n 2p "$work/csv") (unplugged by the script for $scripted s)"
