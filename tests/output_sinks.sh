#!/usr/bin/env bash
# Standard output that goes nowhere, with the real binary against fake trees
# bind-mounted over /sys/class/power_supply (needs root):
#   head_4           `tolvane | head -n 4` ends, by SIGPIPE, within 2 s of
#                    head exiting;
#   head_7           the same once the first report is through, on a tree
#                    that never changes again, so the monitor has nothing
#                    more to write and must notice the reader has gone;
#   dev_full         stdout on /dev/full: the monitor ends at once with
#                    status 1 and says why on stderr, so a lost log is
#                    never silent;
#   stdout_closed    stdout closed: the same;
#   sigpipe_ignored  SIGPIPE ignored (systemd starts services so) and the
#                    reader of the pipe gone while nothing changes: the same;
#   socket_hangup    stdout on a stream socket (as the journal's) whose
#                    reader leaves: it ends by SIGPIPE within 2 s;
#   one_write        every report, its warning line included, goes out in
#                    one write call, so no reader ever sees half of one.
# Usage: output_sinks.sh path/to/tolvane
set -u

. "$(dirname "$0")/script_lib.sh" sinks "$@"


gone() { case $(proc_state "$1") in "" | Z | X) return 0 ;; esac; return 1; }
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
        kill -9 "$mon" "$hp" 2>/dev/null  # else both wait below for ever
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

# The monitor with stdout made useless in the way case NAME says: it must
# end within 3 s with status 1 and the reason on stderr.
sink_case() {
    local name=$1 d="$work/$1" problems=() figures=() rc took expected
    mkdir -p "$d/tree"
    : > "$d/pids"
    steady_tree "$d/tree"
    case $name in
        dev_full)
            expected="No space left on device"
            start "$d" : > /dev/full 2> "$d/err" ;;
        stdout_closed)
            expected="Bad file descriptor"
            start "$d" : >&- 2> "$d/err" ;;
        sigpipe_ignored)
            # Its reader takes the banner and goes; SIGPIPE is ignored from
            # before the exec on, as a parent may leave it.
            expected="Broken pipe"
            mkfifo "$d/pipe"
            head -n 1 < "$d/pipe" > /dev/null &
            echo $! >> "$d/pids"
            start "$d" "trap '' PIPE" > "$d/pipe" 2> "$d/err" ;;
    esac
    if took=$(wait_gone "$mon" 3000); then
        figures+=("ended_after=${took}ms")
    else
        problems+=("still running after 3 s")
        kill -9 "$mon" 2>/dev/null
    fi
    wait "$mon" 2>/dev/null
    rc=$?
    figures+=("exit_status=$rc")
    [ "$rc" = 1 ] || problems+=("exit status $rc, expected 1")
    [ "$(cat "$d/err")" = "tolvane: write error on standard output: $expected" ] ||
        problems+=("stderr: $(head -c 200 "$d/err")")
    kill $(cat "$d/pids") 2>/dev/null
    verdict "$name" problems figures
}

# stdout on a stream socket: socat runs the monitor on a socketpair, with
# SIGPIPE at its default, and is killed once the first report is through.
socket_case() {
    local name=socket_hangup d="$work/socket_hangup" problems=() figures=() socat_pid began
    mkdir -p "$d/tree"
    steady_tree "$d/tree"
    printf '%s\n' '#!/bin/sh' 'd=$1' 'shift' \
        'env --default-signal=PIPE unshare -m sh -c '\''mount --bind "$1" /sys/class/power_supply && shift && exec "$@"'\'' sh "$d/tree" "$@" 2> "$d/err"' \
        'echo $? > "$d/status"' > "$d/run"
    chmod +x "$d/run"
    socat -u "SYSTEM:$d/run $d ${emulator[*]} $bin" "OPEN:$d/out,creat" &
    socat_pid=$!
    echo "$socat_pid" > "$d/pids"
    began=$(now_ms)
    until grep -q 'Power source' "$d/out" 2>/dev/null || [ $(($(now_ms) - began)) -ge 5000 ]; do
        sleep 0.05
    done
    # The monitor, below socat's child, is not ours to clean up once socat
    # is gone: killed at the end if it is still there.
    local runner monitor
    runner=$(ps -o pid= --ppid "$socat_pid")
    monitor=$(ps -o pid= --ppid "${runner:-0}")
    kill -9 "$socat_pid"
    wait "$socat_pid" 2>/dev/null
    began=$(now_ms)
    until [ -s "$d/status" ] || [ $(($(now_ms) - began)) -ge 3000 ]; do sleep 0.02; done
    if [ -s "$d/status" ]; then
        took=$(($(now_ms) - began))
        figures+=("ended_after=${took}ms" "exit_status=$(cat "$d/status")")
        [ "$took" -le 2000 ] || problems+=("ended ${took} ms after its reader left, more than 2 s")
        [ "$(cat "$d/status")" = 141 ] || problems+=("exit status $(cat "$d/status"), expected 141 (SIGPIPE)")
    else
        problems+=("still running 3 s after its reader left")
    fi
    [ -z "$monitor" ] || kill -9 $monitor 2>/dev/null
    grep -q 'Power source' "$d/out" || problems+=("no report reached the socket")
    [ ! -s "$d/err" ] || problems+=("stderr: $(head -c 200 "$d/err")")
    verdict "$name" problems figures
}

# Every write call of the monitor under strace, on a tree that changes
# every 0.25 s (the warning line now and then): the banner in one, then one
# per report, each one whole report.
one_write_case() {
    local name=one_write d="$work/one_write" problems=() figures=() writes reports
    mkdir -p "$d/tree"
    : > "$d/pids"
    changing_tree "$d/tree" "$d/pids"
    unshare -m sh -c 'mount --bind "$1" /sys/class/power_supply && trace=$2 && shift 2 &&
        exec timeout -s INT 5 strace -qq -e trace=write -e signal=none -s 4096 -xx -o "$trace" "$@"' \
        sh "$d/tree" "$d/trace" "${emulator[@]}" "$bin" > "$d/out"
    kill $(cat "$d/pids") 2>/dev/null
    # One line per write call to stdout, its bytes decoded, "|" for a line end.
    perl -ne 'next unless /^write\(1, "(.*)", \d+\) = \d+$/; my $t = $1;
              $t =~ s/\\x(..)/chr hex $1/ge; $t =~ s/\n/|/g; print "$t\n"' "$d/trace" > "$d/writes"
    writes=$(grep -c '' "$d/writes")
    reports=$(grep -c 'Power source' "$d/out")
    figures+=("write_calls=$writes" "reports=$reports" "warnings=$(grep -c '^\*\*\*' "$d/out")")
    [ "$reports" -ge 3 ] || problems+=("only $reports reports in 5 s")
    [ "$writes" = $((reports + 1)) ] || problems+=("$writes write calls for the banner and $reports reports")
    local torn
    torn=$(tail -n +2 "$d/writes" |
        grep -Ev '^(\*\*\*[^|]*\|)?[0-9/]{8} [0-9:]{8}  Power source: [^|]*\|$' | head -n 2)
    [ -z "$torn" ] || problems+=("a write that is not one whole report: $torn")
    verdict "$name" problems figures
}

started=$(now_ms)
names=(head_4 head_7 dev_full stdout_closed sigpipe_ignored socket_hangup one_write)
sink_case dev_full &
sink_case stdout_closed &
sink_case sigpipe_ignored &
socket_case &
one_write_case &
head_case head_4 4
head_case head_7 7
wait

report_verdicts "$started" "${names[@]}"
