# shellcheck shell=bash
# Machines for tests/fleet_end_to_end.sh: each one the real monitor against
# a test power supply tree of its own (bind-mounted over
# /sys/class/power_supply in a private mount namespace), under libfaketime
# at $speed times the speed of the clock from $fake_base on, while `play`
# acts out its morning on the tree; and `to_export`, which turns what its
# runs wrote into the journal's export format, one entry per line, as the
# user unit's output would be stored on that machine. Sourced; expects
# $monitor, $work, $speed, $fake_base (seconds since the epoch, UTC) and
# $preload (what LD_PRELOAD gives the monitor: libfaketime).

put() { printf '%s\n' "$2" > "$1.new" && mv -f "$1.new" "$1"; }
random_id() { local id; id=$(cat /proc/sys/kernel/random/uuid); echo "${id//-/}"; }

# start_monitor DIR FAKE_START [UID]: a new run of the monitor on DIR's
# tree, its clock at FAKE_START, in a new boot (90 s before); or, with UID,
# another user's monitor beside the running ones, in their boot. Appends
# "PID BOOT_ID BOOTED FAKE_START UID" to DIR/runs and the process to
# DIR/running.
start_monitor() {
    local dir=$1 start=$2 uid=${3:-} boot booted runs
    runs=$(grep -c '' "$dir/runs" 2>/dev/null)
    if [ -n "$uid" ]; then
        read -r _ boot booted _ < <(tail -n 1 "$dir/runs")
    else
        boot=$(random_id) booted=$((start - 90)) uid=1000
    fi
    unshare -m sh -c 'mount --bind "$1" /sys/class/power_supply && shift && exec "$@"' sh "$dir/tree" \
        env TZ=UTC LD_PRELOAD="$preload" \
        FAKETIME="@$(date -u -d "@$start" '+%Y-%m-%d %H:%M:%S') x$speed" \
        "$monitor" > "$dir/log.$((runs + 1))" &
    echo "$! $boot $booted $start $uid" >> "$dir/runs"
    echo "$!" >> "$dir/running"
    echo "$!" >> "$work/monitors"
}
stop_monitors() {
    sleep 0.3  # a few polls of the fake clock, so that they saw the last change
    local pid
    while read -r pid; do
        kill "$pid"
        wait "$pid" 2>/dev/null
    done < "$dir/running"
    : > "$dir/running"
}

# play DIR SEGMENT...: one machine's morning. A segment is one of
#   mains:MINUTES:PERCENT    on mains, charged to PERCENT at once
#   battery:MINUTES:FROM:TO  unplugged at FROM %, then one percent step at
#                            a time down to TO, evenly spread, at the draw
#                            that empties that much of a 50 Wh battery
#   reboot                   the monitors stopped, and a new run started a
#                            minute later on the fake clock, in a new boot
#   user:UID                 another user's monitor started beside it
# in fake minutes; the runs are stopped after the last segment. Writes
# DIR/expect: for each session "FROM TO ENDED SECONDS", ENDED ac when a
# mains segment followed and cut otherwise, SECONDS from the unplug to the
# plug-in (ac) or to the last step (cut), by the real clock times $speed,
# rounded.
play() {
    local dir=$1 tree=$1/tree
    shift
    mkdir -p "$tree/AC" "$tree/BAT0"
    put "$tree/AC/type" Mains
    put "$tree/AC/online" 1
    put "$tree/BAT0/type" Battery
    put "$tree/BAT0/present" 1
    put "$tree/BAT0/energy_full" 50000000
    put "$tree/BAT0/energy_now" 50000000
    put "$tree/BAT0/status" Full
    put "$tree/BAT0/power_now" 0
    : > "$dir/expect"
    rm -f "$dir/runs" "$dir/running"
    local begun=${EPOCHREALTIME/./} shift_s=0 at=0 session="" unplugged=0 last=0 segment
    start_monitor "$dir" "$fake_base"
    # until FAKE_SECONDS: waits until the fake clock is that far into the
    # morning, moving the battery's draw by 2 % every 4 s as a gauge does.
    until_fake() {
        local now phase
        while now=$(((${EPOCHREALTIME/./} - begun) * speed / 1000000)) && [ "$now" -lt "$1" ]; do
            if [ -n "$session" ]; then
                phase=$((now / 4 % 2))
                [ "$phase" = "${shown_phase:-}" ] || put "$tree/BAT0/power_now" $((draw + phase * draw / 50))
                shown_phase=$phase
            fi
            sleep 0.02
        done
    }
    for segment in "$@" end; do
        local kind minutes a b
        IFS=: read -r kind minutes a b <<<"$segment"
        if [ -n "$session" ] && [ "$kind" != battery ]; then
            if [ "$kind" = mains ]; then
                put "$tree/AC/online" 1
                echo "$session ac $((((${EPOCHREALTIME/./} - unplugged) * speed + 500000) / 1000000))" >> "$dir/expect"
            else
                echo "$session cut $((((last - unplugged) * speed + 500000) / 1000000))" >> "$dir/expect"
            fi
            session=""
        fi
        case $kind in
        mains)
            put "$tree/AC/online" 1
            put "$tree/BAT0/energy_now" $((a * 500000))
            put "$tree/BAT0/status" "$([ "$a" -lt 100 ] && echo Charging || echo Full)"
            put "$tree/BAT0/power_now" "$([ "$a" -lt 100 ] && echo 20000000 || echo 0)"
            until_fake $((at += minutes * 60))
            ;;
        battery)
            draw=$(((a - b) * 500000 * 60 / minutes))
            shown_phase=""
            put "$tree/BAT0/energy_now" $((a * 500000))
            put "$tree/BAT0/power_now" "$draw"
            put "$tree/BAT0/status" Discharging
            put "$tree/AC/online" 0
            unplugged=${EPOCHREALTIME/./}
            session="$a $b"
            local step steps=$((a - b)) from=$at
            for ((step = 1; step <= steps; step++)); do
                until_fake $((from + (2 * step - 1) * minutes * 30 / steps))
                put "$tree/BAT0/energy_now" $(((a - step) * 500000))
                last=${EPOCHREALTIME/./}
            done
            until_fake $((at += minutes * 60))
            ;;
        user)
            start_monitor "$dir" $((fake_base + at + shift_s)) "$minutes"
            ;;
        reboot)
            stop_monitors
            shift_s=$((shift_s + 60))
            start_monitor "$dir" $((fake_base + at + shift_s))
            ;;
        end)
            stop_monitors
            ;;
        esac
    done
}

# to_export DIR HOST: DIR's runs as the journal stores the user unit's
# output, in export format on standard output: before each run its user
# manager's line that started it, then one entry per line the monitor
# wrote, at the time of the stamp of the report it belongs to (the banner at
# the run's start); the runs' entries merged in time order.
to_export() {
    local dir=$1 host=$2 machine pid boot booted start uid n=0
    machine=$(random_id)
    # Each entry on one line for the merge: its time, boot and monotonic
    # time, then its fields, \036 between them.
    while read -r pid boot booted start uid; do
        n=$((n + 1))
        awk -v host="$host" -v machine="$machine" -v pid="$pid" -v boot="$boot" -v booted="$booted" \
            -v start="$start" -v uid="$uid" '
        function days(y, m, d) {
            if (m <= 2) { y--; m += 12 }
            return 365 * y + int(y / 4) - int(y / 100) + int(y / 400) + int((153 * (m - 3) + 2) / 5) + d - 719469
        }
        function entry(ident, epid, message, extra,   real, mono) {
            real = sprintf("%.0f", stamp * 1000000 + (++tick))
            mono = sprintf("%.0f", real - booted * 1000000)
            printf "%s\t%s\t%s\t__REALTIME_TIMESTAMP=%s\036__MONOTONIC_TIMESTAMP=%s\036", real, boot, mono, real, mono
            printf "_BOOT_ID=%s\036_MACHINE_ID=%s\036_HOSTNAME=%s\036_UID=%s\036_GID=%s\036", boot, machine, host, uid, uid
            printf "_TRANSPORT=stdout\036PRIORITY=6\036SYSLOG_FACILITY=3\036SYSLOG_IDENTIFIER=%s\036_PID=%s\036", ident, epid
            printf "%s_SYSTEMD_UNIT=user@%s.service\036MESSAGE=%s\n", extra, uid, message
        }
        BEGIN {
            stamp = start
            entry("systemd", uid, "Started tolvane.service - Console battery monitor.", "")
        }
        {
            sub(/\r$/, "")
            if (match($0, /^[0-9][0-9]\/[0-9][0-9]\/[0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9]  /)) {
                t = days(2000 + substr($0, 7, 2), substr($0, 1, 2) + 0, substr($0, 4, 2) + 0) * 86400
                t += substr($0, 10, 2) * 3600 + substr($0, 13, 2) * 60 + substr($0, 16, 2)
                if (t != stamp) tick = 0
                stamp = t
            }
            entry("tolvane", pid, $0, "_COMM=tolvane\036_EXE=/usr/bin/tolvane\036_SYSTEMD_USER_UNIT=tolvane.service\036")
        }' "$dir/log.$n"
    done < "$dir/runs" | sort -s -n -k1,1 | awk -F'\t' -v seqid="$(random_id)" '
    function hex(v,   s) {
        s = ""
        do { s = substr("0123456789abcdef", v % 16 + 1, 1) s; v = int(v / 16) } while (v > 0)
        return s
    }
    {
        gsub(/\036/, "\n", $4)
        printf "__CURSOR=s=%s;i=%s;b=%s;m=%s;t=%s;x=%s\n%s\n\n", seqid, hex(++seq), $2, hex($3), hex($1), hex(seq * 7919), $4
    }'
}
