#!/usr/bin/env bash
# Standard output that goes nowhere, with the real binary against fake trees
# bind-mounted over /sys/class/power_supply (needs root):
#   head_4           `tolvane | head -n 4` ends, by SIGPIPE, within 2 s of
#                    head exiting;
#   head_7           the same once the first report is through, on a tree
#                    that never changes again, so the monitor has nothing
#                    more to write and must notice the reader has gone;
#   dev_full         stdout on /dev/full, the status changing all the time:
#                    it keeps running and trying to write, without a busy
#                    loop;
#   stdout_closed    stdout closed: the same;
#   sigpipe_ignored  SIGPIPE ignored and the reader gone: no busy loop and no
#                    crash.
# Usage: output_sinks.sh path/to/tolvane
set -u

. "$(dirname "$0")/script_lib.sh" sinks "$@"


ticks_per_second=$(getconf CLK_TCK)
cpu_limit_ticks=$((ticks_per_second / 5))  # 0.2 s

gone() { case $(proc_state "$1") in "" | Z | X) return 0 ;; esac; return 1; }
cpu_ticks() {  # utime + stime
    local line fields
    read -r line 2>/dev/null < "/proc/$1/stat" || return
    read -r -a fields <<< "${line##*) }"
    echo $((fields[11] + fields[12]))
}
write_calls() { awk '/^syscw:/ { print $2 }' "/proc/$1/io" 2>/dev/null; }
# wait_gone PID MS: waits up to MS ms for PID to end; prints the time taken.
wait_gone() {
    local start deadline
    start=$(now_ms)
    deadline=$((start + $2))
    while ! gone "$1"; do
        [ "$(now_ms)" -ge "$deadline" ] && return 1
        sleep 0.02
    done
    echo $(($(now_ms) - start))
}

# A desktop: one adapter, online, no battery. Its one-line report never
# changes.
steady_tree() {
    mkdir -p "$1/AC"
    put "$1/AC/type" Mains
    put "$1/AC/online" 1
}
# A battery whose capacity moves every 0.25 s, so every poll has a new
# report to write.
changing_tree() {
    mkdir -p "$1/AC" "$1/BAT0"
    put "$1/AC/type" Mains
    put "$1/AC/online" 0
    put "$1/BAT0/type" Battery
    put "$1/BAT0/status" Discharging
    put "$1/BAT0/capacity" 10
    (
        value=10
        while :; do
            sleep 0.25
            value=$((value >= 90 ? 10 : value + 1))
            put "$1/BAT0/capacity" "$value"
        done
    ) &
    echo $! >> "$2"
}

# start DIR SETUP: the monitor on tree DIR/tree, its stdout and stderr as
# already redirected by the caller; SETUP runs in the namespace first.
start() {
    unshare -m sh -c 'mount --bind "$1" /sys/class/power_supply || exit 99; eval "$2"; shift 2; exec "$@"' \
        sh "$1/tree" "$2" "${emulator[@]}" "$bin" &
    echo $! >> "$1/pids"
    mon=$!
}

banner_and_report=$'\nTolvane\n.+\n\nBeginning monitoring\\.\\.\\.\n\n[01][0-9]/[0-3][0-9]/[0-9][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9]  Power source: AC       Status: No battery, \\?\\?%'

# The monitor piped into head -n LINES; head is given at most 5 s.
head_case() {
    local name=$1 lines=$2 d="$work/$1" problems=() figures=() hp rc took
    mkdir -p "$d/tree"
    : > "$d/pids"
    steady_tree "$d/tree"
    mkfifo "$d/pipe"
    head -n "$lines" < "$d/pipe" > "$d/head.out" &
    hp=$!
    echo "$hp" >> "$d/pids"
    start "$d" : > "$d/pipe" 2> "$d/err"
    local began
    began=$(now_ms)
    if ! took=$(wait_gone "$hp" 5000); then
        problems+=("head did not get $lines lines within 5 s")
    else
        figures+=("head_exit=$(($(now_ms) - began))ms")
        if took=$(wait_gone "$mon" 5000); then
            figures+=("monitor_end_after_head=${took}ms")
            [ "$took" -le 2000 ] || problems+=("the monitor ended ${took} ms after head, more than 2 s")
        else
            problems+=("the monitor still runs 5 s after head exited")
            kill -9 "$mon" 2>/dev/null
        fi
    fi
    wait "$mon" 2>/dev/null
    rc=$?
    figures+=("exit_status=$rc")
    # 141: killed by SIGPIPE, as any filter whose reader has gone.
    [ "$rc" = 141 ] || problems+=("exit status $rc, expected 141 (SIGPIPE)")
    wait "$hp"
    local expected got
    expected=$(head -n "$lines" <<< "$banner_and_report")
    got=$(cat "$d/head.out")
    [ "$(wc -l < "$d/head.out")" = "$lines" ] || problems+=("head printed $(wc -l < "$d/head.out") lines")
    [[ "$got" =~ ^$expected$ ]] || problems+=("head printed: $(tr '\n' '|' <<< "$got")")
    [ ! -s "$d/err" ] || problems+=("stderr: $(head -c 200 "$d/err")")
    verdict "$name" problems figures
}

# The monitor with stdout made useless in the way case NAME says, on a
# changing tree, for 5 s.
sink_case() {
    local name=$1 d="$work/$1" problems=() figures=() rc writes1 writes2 cpu
    mkdir -p "$d/tree"
    : > "$d/pids"
    changing_tree "$d/tree" "$d/pids"
    local began
    began=$(now_ms)
    case $name in
        dev_full) start "$d" : > /dev/full 2> "$d/err" ;;
        stdout_closed) start "$d" : >&- 2> "$d/err" ;;
        sigpipe_ignored)
            # Its reader reads the banner and goes; SIGPIPE is ignored from
            # before the exec on, as a parent may leave it.
            mkfifo "$d/pipe"
            head -n 1 < "$d/pipe" > /dev/null &
            echo $! >> "$d/pids"
            start "$d" "trap '' PIPE" > "$d/pipe" 2> "$d/err" ;;
    esac
    sleep 1.5
    writes1=$(write_calls "$mon")
    while [ $(($(now_ms) - began)) -lt 5000 ]; do sleep 0.1; done
    writes2=$(write_calls "$mon")
    cpu=$(cpu_ticks "$mon")
    if gone "$mon"; then
        problems+=("ended within 5 s")
    else
        runs_binary "$mon" || problems+=("the monitor is not what runs")
    fi
    figures+=("cpu=$((${cpu:-0} * 1000 / ticks_per_second))ms_in_5s" "write_calls_1.5s_to_5s=$((${writes2:-0} - ${writes1:-0}))")
    [ -n "$cpu" ] && [ "$cpu" -lt "$cpu_limit_ticks" ] ||
        problems+=("used ${cpu:-?} ticks of CPU in 5 s (limit $cpu_limit_ticks): a busy loop")
    # Three or more polls in that time, each with a new report to write.
    if [ "$name" != stdout_closed ] && [ $((${writes2:-0} - ${writes1:-0})) -lt 3 ]; then
        problems+=("only $((${writes2:-0} - ${writes1:-0})) write calls from 1.5 s to 5 s: the status changes were not written")
    fi
    kill -TERM "$mon" 2>/dev/null
    wait_gone "$mon" 3000 > /dev/null || kill -9 "$mon" 2>/dev/null
    wait "$mon" 2>/dev/null
    rc=$?
    [ "$rc" = 143 ] || problems+=("exit status $rc, expected 143 from our SIGTERM")
    [ ! -s "$d/err" ] || problems+=("stderr: $(head -c 200 "$d/err")")
    kill $(cat "$d/pids") 2>/dev/null
    verdict "$name" problems figures
}

started=$(now_ms)
names=(head_4 head_7 dev_full stdout_closed sigpipe_ignored)
sink_case dev_full &
sink_case stdout_closed &
sink_case sigpipe_ignored &
head_case head_4 4
head_case head_7 7
wait

report_verdicts "$started" "${names[@]}"
