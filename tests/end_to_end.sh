#!/usr/bin/env bash
# The real binary against a fake power supply tree bind-mounted over
# /sys/class/power_supply in a private mount namespace (needs root).
# Usage: end_to_end.sh path/to/tolvane
set -u
bin=$(realpath "$1")
# A cross build's binary runs under the command in TOLVANE_EMULATOR.
read -r -a emulator <<< "${TOLVANE_EMULATOR:-}"
if [ "$(id -u)" != 0 ] || ! unshare -m true 2>/dev/null; then
    echo "SKIP: needs root and unshare -m for the bind mount"
    exit 77
fi

work=$(mktemp -d)
trap 'kill "${MON_PID:-}" 2>/dev/null; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

stamp='[01][0-9]/[0-3][0-9]/[0-9][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9]'
supply() {  # supply NAME attr=value...
    local dir="$work/tree/$1"; shift
    mkdir -p "$dir"
    for pair in "$@"; do printf '%s\n' "${pair#*=}" > "$dir/${pair%%=*}.new"; mv "$dir/${pair%%=*}.new" "$dir/${pair%%=*}"; done
}
# expect_line PATTERN: the next line from the running monitor matches, and
# arrives while it still runs (its output is not held back in a buffer).
expect_line() {
    local line
    if ! IFS= read -r -t 10 line <&"${MON[0]}"; then
        fail "no line matching '$1' within 10 s"
        return
    fi
    [[ "$line" =~ ^$1$ ]] || fail "expected '$1', got '$line'"
    kill -0 "$MON_PID" 2>/dev/null || fail "monitor no longer running after '$line'"
    last_line=$line
    last_line_ms=$(now_ms)
}
now_ms() { local t=${EPOCHREALTIME/./}; echo $((t / 1000)); }
# expect_hour OFFSET: the last line's stamp shows the hour of UTC + OFFSET
# hours (either side of a turn of the hour while it was read).
expect_hour() {
    local hour=${last_line:9:2} before after
    before=$(( ($(date -u -d "@$(( last_line_ms / 1000 - 2 ))" +%-H) + $1) % 24 ))
    after=$(( ($(date -u +%-H) + $1) % 24 ))
    [ "$((10#$hour))" = "$before" ] || [ "$((10#$hour))" = "$after" ] ||
        fail "stamp of '$last_line' is not UTC+$1 (hour $before or $after)"
}

# The machine's zone is UTC to begin with (a file of ours bound over
# /etc/localtime, TZ unset); it is changed in place to UTC+9 while the
# monitor runs, as by a laptop that travels.
cp /usr/share/zoneinfo/Etc/UTC "$work/zone"
supply AC type=Mains online=0
supply BAT0 type=Battery status=Discharging capacity=80 energy_now=40000000 \
    energy_full=50000000 power_now=10000000
coproc MON { env -u TZ unshare -m sh -c 'mount --bind "$1" /sys/class/power_supply &&
    mount --bind "$2" /etc/localtime && shift 2 && exec "$@"' \
    sh "$work/tree" "$work/zone" "${emulator[@]}" "$bin"; }
expect_line ''
expect_line 'Tolvane'
expect_line '.+'
expect_line ''
expect_line 'Beginning monitoring\.\.\.'
expect_line ''
expect_line "$stamp  Power source: Battery  Status: High, 80%"
expect_hour 0
expect_line 'Battery life remaining     : 14400 seconds\.'
expect_line 'Full battery life available: 18000 seconds\.'
cat /usr/share/zoneinfo/Etc/GMT-9 > "$work/zone"
supply BAT0 capacity=77
expect_line '\*\*\* Battery life has changed more than one percent \*\*\*'
expect_line "$stamp  Power source: Battery  Status: High, 77%"
expect_hour 9
expect_line 'Battery life remaining     : 14400 seconds\.'
expect_line 'Full battery life available: 18000 seconds\.'
supply AC online=1
expect_line "$stamp  Power source: AC       Status: High, 77%"
# Unplugged again: the times come back 10 s after the unplug, from the
# gauge's fresh draw (12 W) alone, not the stale 10 W before it.
supply AC online=0
expect_line "$stamp  Power source: Battery  Status: High, 77%"
unplugged_ms=$last_line_ms
sleep 2
supply BAT0 power_now=12000000
expect_line "$stamp  Power source: Battery  Status: High, 77%"
expect_line 'Battery life remaining     : 12000 seconds\.'
took=$((last_line_ms - unplugged_ms))
[ "$took" -ge 8500 ] && [ "$took" -le 12500 ] ||
    fail "the times came back $took ms after the unplug, not about 10 s"
expect_line 'Full battery life available: 15000 seconds\.'
kill "$MON_PID"

# A desktop with many wireless devices: 40 peripheral batteries around an
# adapter and the battery, which must not get lost among them.
for i in $(seq 1 40); do
    mkdir -p "$work/many/hid-$i-battery"
    printf 'POWER_SUPPLY_TYPE=Battery\nPOWER_SUPPLY_SCOPE=Device\nPOWER_SUPPLY_CAPACITY=5\n' \
        > "$work/many/hid-$i-battery/uevent"
done
mkdir -p "$work/many/AC" "$work/many/BAT0"
printf 'POWER_SUPPLY_TYPE=Mains\nPOWER_SUPPLY_ONLINE=0\n' > "$work/many/AC/uevent"
printf 'POWER_SUPPLY_TYPE=Battery\nPOWER_SUPPLY_STATUS=Discharging\nPOWER_SUPPLY_CAPACITY=80\n' \
    > "$work/many/BAT0/uevent"
output=$(timeout 3 unshare -m sh -c 'mount --bind "$1" /sys/class/power_supply && shift && exec "$@"' \
    sh "$work/many" "${emulator[@]}" "$bin" | tail -n 1)
[[ "$output" =~ ^$stamp\ \ Power\ source:\ Battery\ \ Status:\ High,\ 80%$ ]] ||
    fail "42 supplies: expected the battery's report, got '$output'"

# Without a readable class directory the monitor says why and ends with 2;
# arguments change nothing.
for case in "missing:2" "file:20"; do
    setup='mount -t tmpfs none /sys/class'
    [ "${case%%:*}" = file ] && setup="$setup && touch /sys/class/power_supply"
    output=$(timeout 10 unshare -m sh -c "$setup && exec \"\$@\" --help extra" sh "${emulator[@]}" "$bin")
    status=$?
    expected=$(printf '\nTolvane\n%s\n\nBeginning monitoring...\n\nAPM driver access failed!  Error code = %s' \
        "$(sed -n 3p <<<"$output")" "${case#*:}")
    [ "$status" = 2 ] || fail "${case%%:*} class directory: exit status $status, expected 2"
    [ "$output" = "$expected" ] || fail "${case%%:*} class directory: output was: $output"
done

if [ "$failures" -gt 0 ]; then
    echo "$failures end-to-end check(s) failed"
    exit 1
fi
echo "end-to-end checks passed"
