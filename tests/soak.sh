#!/usr/bin/env bash
# Accelerated soak: one simulated hour (3,600 polls) of the real, unmodified
# binary against a fake power supply tree that changes on every poll.
#
# libfaketime, preloaded into the monitor alone, runs its clock 100 times
# fast and divides the timeouts of ppoll() and nanosleep() by the same
# factor, so the one-second pause takes 10 ms. inotifywait watches the
# battery's capacity file: each time the monitor has read it, the next
# value (50 and 53 in turn) is written, so every poll sees a change. The
# two values differ in one byte and are written in place, so a read never
# meets a half-written file. The event stream carries our own writes as
# well, in the kernel's order, so a write that comes too late for the next
# poll (on a busy machine) is seen, and that poll is known to have seen no
# change.
#
# Checks: one report per change, none missed and none doubled, each after
# the percent warning; well-formed output; the same number of open file
# descriptors and the same VmRSS at the end as after the first 100 polls.
# Usage: soak.sh path/to/tolvane
set -u

cycles=3600
speed=100
libfaketime=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1
low=50
high=53

. "$(dirname "$0")/script_lib.sh" soak "$@"
if [ ${#emulator[@]} -gt 0 ]; then
    # The preload would reach the emulated program's loader as a library
    # of the build machine's architecture, and be refused.
    echo "SKIP: libfaketime can't be preloaded into a program run by ${emulator[0]}"
    exit 77
fi
if readelf -d "$bin" 2>/dev/null | grep -q 'NEEDED.*libasan'; then
    echo "SKIP: libfaketime can't be preloaded in front of the sanitizer runtime"
    exit 77
fi
missing=""
[ -r "$libfaketime" ] || missing="$missing faketime"
command -v inotifywait > /dev/null || missing="$missing inotify-tools"
if [ -n "$missing" ]; then
    echo "FAIL: missing packages:$missing (apt-get install$missing)"
    exit 1
fi


tree="$work/tree"
battery="$tree/BAT0"
mkdir -p "$battery"
put "$battery/type" Battery
put "$battery/present" 1
put "$battery/status" Discharging
put "$battery/capacity" "$low"
put "$battery/energy_now" 40000000
put "$battery/energy_full" 50000000
put "$battery/power_now" 10000000
put "$battery/charge_now" 4000000
put "$battery/charge_full" 5000000
put "$battery/current_now" 1000000

# The monitor's reads and our writes of the capacity, in the kernel's order.
mkfifo "$work/events"
inotifywait -m -e close_nowrite -e close_write --format '%e' "$battery/capacity" \
    > "$work/events" 2> "$work/inotify.err" &
exec 3< "$work/events"
for ((i = 0; i < 100; i++)); do
    grep -q 'Watches established' "$work/inotify.err" && break
    sleep 0.05
done
if ! grep -q 'Watches established' "$work/inotify.err"; then
    echo "FAIL: inotifywait did not start: $(cat "$work/inotify.err")"
    exit 1
fi

mkfifo "$work/pipe"
cat "$work/pipe" > "$work/out" 3<&- &
unshare -m sh -c 'mount --bind "$1" /sys/class/power_supply || exit 99; shift; exec "$@"' \
    sh "$tree" env LD_PRELOAD="$libfaketime" FAKETIME="+0 x$speed" "$bin" \
    > "$work/pipe" 2> "$work/err" 3<&- &
mon=$!
started=$(now_ms)

# Everything below that runs once per poll uses no external command, so the
# writer keeps pace with a 10 ms poll.
pause_call=""
in_pause() {  # true while the monitor waits in its pause
    local call rest
    read -r call rest 2>/dev/null < "/proc/$mon/syscall" || return 1
    case $call in
        7 | 35 | 230 | 271) pause_call=$call; return 0 ;;  # poll, nanosleep, clock_nanosleep, ppoll
    esac
    return 1
}
# status_now: the monitor's VmRSS (kB) into `rss`, and into `switches` how
# often it has gone to sleep.
status_now() {
    local key value unit
    rss="" switches=""
    while read -r key value unit; do
        case $key in
            VmRSS:) rss=$value ;;
            voluntary_ctxt_switches:) switches=$value ;;
        esac
    done < "/proc/$mon/status"
}
# Sets `measured` to "fds rss_kB syscall", taken while the monitor sits in
# its pause (mid-poll it has the class directory and a file open): in it
# before and after, and not asleep again in between (on a busy machine a
# whole poll can pass between two looks).
measure() {
    local i rss switches before
    local fds=()
    measured=""
    for ((i = 0; i < 5000; i++)); do
        in_pause || continue
        status_now
        before=$switches
        fds=(/proc/"$mon"/fd/*)
        in_pause || continue
        status_now
        [ "$switches" = "$before" ] || continue
        measured="${#fds[@]} $rss $pause_call"
        return 0
    done
    return 1
}
syscall_name() {
    case $1 in 7) echo poll ;; 35) echo nanosleep ;; 230) echo clock_nanosleep ;; 271) echo ppoll ;; *) echo "$1" ;; esac
}

# One write at a time: a poll that comes before our last write has reached
# the stream gets no new write (it is counted as late). So two of our
# writes never stand next to each other in the stream, where inotify would
# merge them into one event.
reads=0 changes=0 late=0 pending=0 merged=0 written=$low in_file=$low seen_last=""
expected=0 early=""
exec 4> "$work/seen"
while IFS= read -r -t 5 event <&3; do
    case $event in
        CLOSE_WRITE*)
            if [ "$pending" -eq 0 ]; then
                merged=$((merged + 1))
                continue
            fi
            in_file=$written
            pending=0
            ;;
        CLOSE_NOWRITE*)
            reads=$((reads + 1))
            if [ "$in_file" != "$seen_last" ]; then
                expected=$((expected + 1))
                echo "$in_file" >&4
            fi
            seen_last=$in_file
            if [ "$pending" -gt 0 ]; then
                late=$((late + 1))
            elif [ "$reads" -lt "$cycles" ]; then
                if [ "$written" = "$low" ]; then written=$high; else written=$low; fi
                printf '%s\n' "$written" 1<> "$battery/capacity"
                pending=1
                changes=$((changes + 1))
            fi
            if [ "$reads" -ge 100 ] && [ -z "$early" ] && measure; then
                early="$measured $reads $(($(now_ms) - started))"
            fi
            # Done once a poll has seen the last value written.
            [ "$reads" -ge "$cycles" ] && [ "$pending" -eq 0 ] && break
            ;;
    esac
done
exec 4>&-
stopped_reading=$(now_ms)

problems=()
[ "$reads" -ge "$cycles" ] || problems+=("only $reads polls seen (no read of the battery for 5 s)")
[ "$merged" -eq 0 ] || problems+=("$merged write events without a write: the test lost count")

# The report of the last change follows the last read within microseconds.
for ((i = 0; i < 30; i++)); do
    [ "$(grep -c '  Power source: ' "$work/out")" -ge "$expected" ] && break
    sleep 0.1
done
late_state=""
measure && late_state=$measured
wall=$(($(now_ms) - started))
case $(proc_state "$mon") in "" | Z | X) problems+=("the monitor died during the soak") ;; esac
kill -TERM "$mon" 2>/dev/null
for ((i = 0; i < 30; i++)); do
    case $(proc_state "$mon") in "" | Z | X) break ;; esac
    sleep 0.1
done
kill -9 "$mon" 2>/dev/null
wait "$mon" 2>/dev/null
rc=$?
[ "$rc" = 143 ] || problems+=("exit status $rc, expected 143 from our SIGTERM")
sleep 0.2

reports=$(grep -c '  Power source: ' "$work/out")
warnings=$(grep -c '^\*\*\* Battery life has changed more than one percent \*\*\*$' "$work/out")

# The transcript: the banner, then reports only, each a status line with the
# percent warning before it (from the second on) and both battery time
# lines after it (this tree always gives both).
bad_lines=$(awk '
    BEGIN { want = "S" }
    NR == 1 && $0 == "" { next }
    NR == 2 && $0 == "Tolvane" { next }
    NR == 3 && $0 != "" { next }
    NR == 4 && $0 == "" { next }
    NR == 5 && $0 == "Beginning monitoring..." { next }
    NR == 6 && $0 == "" { next }
    NR <= 6 { print NR ": banner: " $0; next }
    /^\*\*\* Battery life has changed more than one percent \*\*\*$/ {
        if (want != "W") print NR ": percent warning out of place"
        want = "S"; next
    }
    /^[01][0-9]\/[0-3][0-9]\/[0-9][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9]  Power source: Battery  Status: (50|53)%$/ {
        if (want != "S") print NR ": report without the percent warning before it"
        want = "R"; next
    }
    /^Battery life remaining     : 14400 seconds\.$/ { if (want != "R") print NR ": remaining-life line out of place"; want = "F"; next }
    /^Full battery life available: 18000 seconds\.$/ { if (want != "F") print NR ": full-life line out of place"; want = "W"; next }
    { print NR ": not what this tree gives: " $0; want = "?" }
    END { if (NR > 6 && want != "W") print "the last report is incomplete" }' "$work/out" | head -5)
[ -z "$bad_lines" ] || problems+=("malformed output: $(tr '\n' ';' <<< "$bad_lines")")
[ ! -s "$work/err" ] || problems+=("wrote to stderr: $(head -c 200 "$work/err")")

# Which value each report showed, against the value each poll saw.
grep -o 'Status: [0-9]*%$' "$work/out" | tr -dc '0-9\n' > "$work/shown"
cmp -s "$work/shown" "$work/seen" ||
    problems+=("reported percents differ from the values the polls saw: $(diff "$work/seen" "$work/shown" | head -4 | tr '\n' ' ')")
[ "$reports" -eq "$expected" ] || problems+=("$reports reports for $expected values seen in turn")
# The first poll's report, then one per change made: every write is seen by
# exactly one poll, a late one by the poll after (no write is left unseen:
# the loop above ends only after a poll has read the last one).
[ "$reports" -eq $((changes + 1)) ] ||
    problems+=("$reports reports for $changes changes made after the first report")
[ "$warnings" -eq $((reports - 1)) ] || problems+=("$warnings percent warnings for $reports reports")

if [ -z "$early" ]; then
    problems+=("could not measure after 100 polls")
    early="? ? ? ? ?"
fi
if [ -z "$late_state" ]; then
    problems+=("could not measure at the end")
    late_state="? ? ?"
fi
read -r fds1 rss1 call1 at1 ms1 <<< "$early"
read -r fds2 rss2 call2 <<< "$late_state"
[ "$fds1" = "$fds2" ] || problems+=("open file descriptors went from $fds1 to $fds2")
[ "$rss1" = "$rss2" ] || problems+=("VmRSS went from $rss1 kB to $rss2 kB")

# Without the speed-up a poll takes a second.
mean_us=$(((stopped_reading - started) * 1000 / (reads > 0 ? reads : 1)))
[ "$mean_us" -lt 100000 ] || problems+=("mean poll period $((mean_us / 1000)) ms: libfaketime did not shorten the pause")

first_stamp=$(grep -m1 '  Power source: ' "$work/out" | cut -c1-17)
last_stamp=$(grep '  Power source: ' "$work/out" | tail -1 | cut -c1-17)
echo "pause: $(syscall_name "$call1") under FAKETIME=\"+0 x$speed\"; mean poll period $((mean_us / 1000)).$(((mean_us % 1000) / 100)) ms (1000 ms without it)"
echo "cycles: $reads; changes made: $changes (late for their poll: $late); reports: $reports; percent warnings: $warnings"
echo "simulated clock: first report $first_stamp, last $last_stamp"
echo "after $at1 cycles (${ms1} ms): fds=$fds1 VmRSS=${rss1} kB"
echo "at the end ($reads cycles): fds=$fds2 VmRSS=${rss2} kB"
echo "wall time: $wall ms"
if [ ${#problems[@]} -gt 0 ]; then
    printf 'FAIL: %s\n' "${problems[@]}"
    exit 1
fi
echo "PASS: $reads cycles, one report per change"
exit 0
