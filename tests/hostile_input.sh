#!/usr/bin/env bash
# Bad input in the power supply class directory: the real binary against fake
# trees bind-mounted over /sys/class/power_supply in private mount
# namespaces (needs root). Each case puts one kind of broken file, value or
# directory entry beside a good adapter and battery and checks that the
# monitor keeps running, writes only well-formed lines, shows the value the
# mapping documents, and still reports changes of the good supplies.
# Usage: hostile_input.sh path/to/tolvane
set -u

. "$(dirname "$0")/script_lib.sh" hostile "$@"

chmod 755 "$work"

# The unprivileged cases run the binary as nobody, so it lives where nobody
# can read and run it.
mkdir -p "$work/bin"
cp "$bin" "$work/bin/tolvane"
chmod 755 "$work/bin" "$work/bin/tolvane"
bin="$work/bin/tolvane"

# The transcript checker: the banner, then reports only, each a status line
# (optionally after the percent warning) with at most the remaining and then
# the full battery life line. Beyond the line shapes it checks what can be
# told from the output alone: percent at most 100, flags that agree with the
# percent, the warning exactly when the percent moved by more than one, no
# report that repeats the one before, times within 0..2147483647.
cat > "$work/check.awk" <<'AWK'
function problem(text) { printf "line %d: %s: [%s]\n", NR, text, $0; bad++ }
function closeBlock() {
    if (inBlock) {
        block = status "|" remaining "|" full
        if (block == lastBlock) { printf "line %d: report repeats the one before: %s\n", blockLine, block; bad++ }
        lastBlock = block
    }
    inBlock = 0
}
function checkSeconds(text,   n) {
    n = text
    sub(/^[^:]*: /, "", n); sub(/ seconds\.$/, "", n)
    if (length(n) > 6 || n + 0 > 864000) problem("time above 240 hours")
    if (length(n) > 1 && substr(n, 1, 1) == "0") problem("time with a leading zero")
    return n
}
NR == 1 { if ($0 != "") problem("banner line 1 not empty"); next }
NR == 2 { if ($0 != "Tolvane") problem("banner line 2 not Tolvane"); next }
NR == 3 { if ($0 == "") problem("banner notice line empty"); next }
NR == 4 { if ($0 != "") problem("banner line 4 not empty"); next }
NR == 5 { if ($0 != "Beginning monitoring...") problem("banner line 5"); next }
NR == 6 { if ($0 != "") problem("banner line 6 not empty"); next }
/^\*\*\* Battery life has changed more than one percent \*\*\*$/ {
    if (reports == 0) problem("percent warning before the first report")
    if (warned) problem("two percent warnings in a row")
    closeBlock(); warned = 1; next
}
/^[01][0-9]\/[0-3][0-9]\/[0-9][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9]  Power source: (Battery  |AC       |Unknown  )Status: (Unknown|(High, )?(Low, )?(Critical, )?(Charging, )?(No battery, )?([0-9]|[0-9][0-9]|[0-9][0-9][0-9]|\?\?)%)$/ {
    closeBlock()
    status = substr($0, 19); remaining = "-"; full = "-"; inBlock = 1; blockLine = NR
    text = $0; sub(/^.*Status: /, "", text)
    if (text == "Unknown" || text ~ /\?\?%$/) {
        percent = 255
        if (text ~ /High|Low|Critical/) problem("charge flags without a known percent")
    } else {
        percent = text; sub(/^.* /, "", percent); sub(/%$/, "", percent); percent += 0
        if (percent > 100) problem("percent above 100")
        if ((text ~ /High, /) != (percent > 66)) problem("High flag disagrees with the percent")
        if ((text ~ /Low, /) != (percent < 33)) problem("Low flag disagrees with the percent")
        if ((text ~ /Critical, /) != (percent < 5)) problem("Critical flag disagrees with the percent")
    }
    if (reports > 0) {
        moved = percent - lastPercent; if (moved < 0) moved = -moved
        if ((moved > 1) != warned) problem(warned ? "percent warning without a move of more than one" : "percent moved by " moved " without the warning")
    }
    warned = 0; lastPercent = percent; reports++
    next
}
/^Battery life remaining     : [0-9]+ seconds\.$/ {
    if (!inBlock || remaining != "-" || full != "-") problem("remaining-life line out of place")
    remaining = checkSeconds($0); next
}
/^Full battery life available: [0-9]+ seconds\.$/ {
    if (!inBlock || full != "-") problem("full-life line out of place")
    full = checkSeconds($0); next
}
{ problem("not a line of the monitor") }
END {
    closeBlock()
    if (NR < 6) { printf "banner incomplete (%d lines)\n", NR; bad++ }
    if (warned) { print "percent warning not followed by a report"; bad++ }
    printf "reports %d\n", reports
    exit bad > 0
}
AWK

# The report that starts at line $2 of $1, as "STATUS|REMAINING|FULL" with
# STATUS the text after "Power source: " and "-" for a line not shown.
block_at() {
    awk -v at="$2" '
        NR == at { s = $0; sub(/^.*Power source: /, "", s); r = "-"; f = "-"; next }
        NR > at && /^Battery life remaining     : / { r = $5; next }
        NR > at && /^Full battery life available: / { f = $5; next }
        NR > at { exit }
        END { print s "|" r "|" f }' "$1"
}


# wait_line FILE AFTER TEXT SECONDS: number of the first line after line
# AFTER that contains TEXT, waiting at most SECONDS; empty if none came.
wait_line() {
    local deadline=$(($(now_ms) + $4 * 1000)) n
    while :; do
        n=$(awk -v from="$2" -v s="$3" 'NR > from && index($0, s) { print NR; exit }' "$1")
        if [ -n "$n" ]; then echo "$n"; return; fi
        [ "$(now_ms)" -ge "$deadline" ] && return
        sleep 0.1
    done
}


# Stops the monitor with SIGTERM while it is in its pause, so a report is
# never cut off in the middle by the test itself.
stop_monitor() {
    local i call
    for ((i = 0; i < 60; i++)); do
        read -r call _ 2>/dev/null < "/proc/$1/syscall" || break
        case $call in 7 | 35 | 230 | 271) break ;; esac  # poll, nanosleep, clock_nanosleep, ppoll
        sleep 0.02
    done
    kill -TERM "$1" 2>/dev/null
}


# The good supplies every case has: an offline adapter and one battery on
# 81 % (by capacity; energy says 80 %), 4 h left (energy / power), 5 h full.
base_tree() {
    local t=$1
    mkdir -p "$t/AC" "$t/BAT0"
    put "$t/AC/type" Mains
    put "$t/AC/online" 0
    put "$t/BAT0/type" Battery
    put "$t/BAT0/present" 1
    put "$t/BAT0/status" Discharging
    put "$t/BAT0/capacity" 81
    put "$t/BAT0/energy_now" 40000000
    put "$t/BAT0/energy_full" 50000000
    put "$t/BAT0/power_now" 10000000
}

# What each case does to the tree, and the first report it must give:
# name | as (root or nobody) | status text after "Status: " |
# remaining seconds | full seconds   ("-": line not shown, "*": not checked)
# The power source is Battery.
CASES='
baseline|root|High, 81%|14400|18000
capacity_1mib_digits|root|High, 80%|14400|18000
capacity_1mib_padded|root|High, 80%|14400|18000
capacity_inner_space|root|High, 80%|14400|18000
capacity_outer_whitespace|root|57%|14400|18000
capacity_inner_tab|root|High, 80%|14400|18000
capacity_nul_byte|root|High, 80%|14400|18000
capacity_only_nuls|root|High, 80%|14400|18000
capacity_no_newline|root|57%|14400|18000
capacity_several_lines|root|High, 80%|14400|18000
capacity_2pow64|root|High, 80%|14400|18000
capacity_100_digits|root|High, 80%|14400|18000
capacity_int64_max|root|High, 80%|14400|18000
capacity_negative|root|High, 80%|14400|18000
capacity_int64_min|root|High, 80%|14400|18000
capacity_150|root|High, 80%|14400|18000
capacity_256|root|High, 80%|14400|18000
energy_now_negative|root|High, 81%|14580|18000
energy_now_beyond_64|root|High, 81%|14580|18000
energy_now_int64_max|root|High, 81%|-|18000
time_to_empty_valid|root|High, 81%|14400|18000
time_to_empty_negative|root|High, 81%|14400|18000
time_to_empty_beyond_32|root|High, 81%|14400|18000
power_now_negative|root|High, 81%|14400|18000
power_now_int64_min|root|High, 81%|-|-
supply_without_type|root|High, 81%|14400|18000
dangling_symlink|root|High, 81%|14400|18000
class_dir_junk|root|High, 81%|14400|18000
capacity_is_directory|root|High, 80%|14400|18000
capacity_is_fifo_no_writer|root|High, 80%|14400|18000
capacity_is_fifo_idle_writer|root|High, 80%|14400|18000
capacity_chmod_000|nobody|High, 80%|14400|18000
supply_dir_chmod_000|nobody|High, 81%|14400|18000
supply_flickering|root|*|*|*
uevent_1mib_junk|root|High, 81%|14400|18000
uevent_garbage_lines|root|57%|14400|18000
'

# Makes case $1's damage in tree $2; a background helper's pid goes to $3.
damage() {
    local t=$2 b=$2/BAT0
    case $1 in
        baseline) ;;
        capacity_1mib_digits) head -c 1048576 /dev/zero | tr '\0' '7' > "$b/capacity" ;;
        capacity_1mib_padded)
            # A good value, then a mebibyte of newlines: a reader that took
            # a prefix of the file would show 57 %.
            { printf '57'; head -c 1048574 /dev/zero | tr '\0' '\n'; } > "$b/capacity" ;;
        capacity_inner_space) printf '8 1\n' > "$b/capacity" ;;
        capacity_outer_whitespace) printf ' \t 57 \t\n\n' > "$b/capacity" ;;
        capacity_inner_tab) printf '5\t7\n' > "$b/capacity" ;;
        capacity_nul_byte) printf '57\0\n' > "$b/capacity" ;;
        capacity_only_nuls) head -c 64 /dev/zero > "$b/capacity" ;;
        capacity_no_newline) printf '57' > "$b/capacity" ;;
        capacity_several_lines) printf '57\n58\n' > "$b/capacity" ;;
        capacity_2pow64) put "$b/capacity" 18446744073709551616 ;;
        capacity_100_digits) printf '9%.0s' $(seq 100) > "$b/capacity" ;;
        capacity_int64_max) put "$b/capacity" 9223372036854775807 ;;
        capacity_negative) put "$b/capacity" -5 ;;
        capacity_int64_min) put "$b/capacity" -9223372036854775808 ;;
        capacity_150) put "$b/capacity" 150 ;;
        capacity_256) put "$b/capacity" 256 ;;
        energy_now_negative) put "$b/energy_now" -40000000 ;;
        energy_now_beyond_64) put "$b/energy_now" 99999999999999999999 ;;
        energy_now_int64_max) put "$b/energy_now" 9223372036854775807 ;;
        time_to_empty_valid) put "$b/time_to_empty_now" 7200 ;;
        time_to_empty_negative) put "$b/time_to_empty_now" -5 ;;
        time_to_empty_beyond_32) put "$b/time_to_empty_now" 4294967296 ;;
        power_now_negative) put "$b/power_now" -10000000 ;;
        power_now_int64_min) put "$b/power_now" -9223372036854775808 ;;
        supply_without_type)
            # Would make the machine look charging on mains, and the charge
            # 43 %, if it were taken for a supply.
            mkdir "$t/NOTYPE"
            put "$t/NOTYPE/online" 1
            put "$t/NOTYPE/present" 1
            put "$t/NOTYPE/status" Charging
            put "$t/NOTYPE/capacity" 5 ;;
        dangling_symlink) ln -s /nonexistent/power_supply/BAT9 "$t/BAT9" ;;
        class_dir_junk)
            ln -s LOOP "$t/LOOP"
            printf 'POWER_SUPPLY_TYPE=Battery\n' > "$t/README"
            mkfifo "$t/PIPE"
            mkdir "$t/EMPTY"
            ln -s /dev/zero "$t/ZERO" ;;
        capacity_is_directory) rm "$b/capacity" && mkdir "$b/capacity" ;;
        capacity_is_fifo_no_writer) rm "$b/capacity" && mkfifo "$b/capacity" ;;
        capacity_is_fifo_idle_writer)
            # Something holds the FIFO open for writing and never writes: a
            # blocking read would wait for ever.
            rm "$b/capacity" && mkfifo "$b/capacity"
            exec 7<> "$b/capacity" ;;
        capacity_chmod_000) chmod 000 "$b/capacity" ;;
        supply_dir_chmod_000)
            # Readable, it would be a second battery and make the charge 43 %.
            mkdir "$t/LOCKED"
            put "$t/LOCKED/type" Battery
            put "$t/LOCKED/status" Discharging
            put "$t/LOCKED/capacity" 5
            chmod 000 "$t/LOCKED" ;;
        supply_flickering)
            # A second battery that comes and goes, file by file, every 0.3 s.
            (
                n=0
                while :; do
                    mkdir -p "$t/FLICK"
                    printf 'Battery\n' > "$t/FLICK/type"
                    printf 'Charging\n' > "$t/FLICK/status"
                    printf '10\n' > "$t/FLICK/capacity"
                    n=$((n + 1)); echo "$n" > "$t/../flicks"
                    sleep 0.3
                    rm -rf "$t/FLICK"
                    sleep 0.3
                done
            ) &
            echo $! >> "$3" ;;
        uevent_1mib_junk)
            # A valid line first: a reader that took a prefix of the file
            # would show 57 % instead of the attribute files' 81 %.
            { printf 'POWER_SUPPLY_CAPACITY=57\n'; head -c 1048576 /dev/urandom; } > "$b/uevent" ;;
        uevent_garbage_lines)
            # The attribute files say 81 %; the uevent is read instead.
            {
                printf 'garbage without an equals sign\n=57\nPOWER_SUPPLY_=Battery\n'
                printf 'POWER_SUPPLY_CAPACITY\npower_supply_capacity=99\n'
                printf 'XPOWER_SUPPLY_CAPACITY=99\nPOWER_SUPPLY_CAPACITYX=99\n'
                printf 'POWER_SUPPLY_CAPACIT=99\nPOWER_SUPPLY_CAPACITY_LEVEL=Normal\n'
                printf 'POWER_SUPPLY_NAME=BAT0\nPOWER_SUPPLY_TYPE=Battery\n'
                printf 'POWER_SUPPLY_STATUS=Discharging\nPOWER_SUPPLY_CAPACITY=57\n'
                printf 'POWER_SUPPLY_TIME_TO_EMPTY_NOW=\n'
                printf 'POWER_SUPPLY_ENERGY_NOW=40000000\nPOWER_SUPPLY_ENERGY_FULL=50000000\n'
                printf '\0\1\2\377POWER_SUPPLY_CAPACITY=99\n'
                printf 'A%.0s' $(seq 3000); printf '\n'
                printf 'POWER_SUPPLY_POWER_NOW=10000000\nPOWER_SUPPLY_ONLINE=abc\n\r\n\n'
                printf 'POWER_SUPPLY_CURRENT_NOW=-%s' 99999999999999999999999
            } > "$b/uevent" ;;
        *) echo "no such case: $1"; return 1 ;;
    esac
}

# Runs one case; its verdict line goes to $work/NAME/result.
run_case() {
    local name=$1 as=$2 want_status=$3 want_remaining=$4 want_full=$5
    local d="$work/$name" t="$work/$name/tree"
    local problems=() figures=() mon started first ac back state rc uid i
    mkdir -p "$t"
    : > "$d/pids"
    base_tree "$t"
    damage "$name" "$t" "$d/pids" || problems+=("could not build the tree")

    mkfifo "$d/pipe"
    cat "$d/pipe" > "$d/out" 7<&- &
    echo $! >> "$d/pids"
    local drop=()
    [ "$as" = nobody ] && drop=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    unshare -m sh -c 'mount --bind "$1" /sys/class/power_supply || exit 99; shift; exec "$@"' \
        sh "$t" "${drop[@]}" "${emulator[@]}" "$bin" > "$d/pipe" 2> "$d/err" 7<&- &
    mon=$!
    echo "$mon" >> "$d/pids"
    started=$(now_ms)

    # The first report; then the adapter goes online and offline again, and
    # both changes must be reported while the damage is still there. Back on
    # battery, the times settle for ten seconds first.
    local want1="Battery  Status: $want_status|$want_remaining|$want_full"
    local file1="$t/AC/online" value1=1 seen1="  Power source: AC       " what1="adapter going online"
    local want2="AC       Status: $want_status|-|-"
    local file2="$t/AC/online" value2=0 seen2="  Power source: Battery  " what2="adapter going offline"
    local want3="Battery  Status: $want_status|-|-"
    first=$(wait_line "$d/out" 6 "  Power source: " 6)
    if [ -z "$first" ]; then
        problems+=("no first report within 6 s")
    else
        put "$file1" "$value1"
        ac=$(wait_line "$d/out" "$first" "$seen1" 4)
        if [ -z "$ac" ]; then
            problems+=("$what1 not reported within 4 s")
        else
            put "$file2" "$value2"
            back=$(wait_line "$d/out" "$ac" "$seen2" 4)
            [ -n "$back" ] || problems+=("$what2 not reported within 4 s")
        fi
    fi
    # Several cycles in all, with the damage in place the whole time.
    while [ $(($(now_ms) - started)) -lt 4200 ]; do sleep 0.1; done

    runs_binary "$mon" || problems+=("the monitor is not what runs")
    state=$(proc_state "$mon")
    case $state in
        "" | Z | X) problems+=("not running after $((($(now_ms) - started) / 100))00 ms") ;;
    esac
    if [ "$as" = nobody ]; then
        uid=$(awk '/^Uid:/ { print $2 "/" $3 }' "/proc/$mon/status" 2>/dev/null)
        [ "$uid" = 65534/65534 ] || problems+=("ran as uid '$uid', not 65534")
        figures+=("uid=$uid")
    fi
    figures+=("ran=$((($(now_ms) - started) / 100))00ms")
    stop_monitor "$mon"
    for ((i = 0; i < 30; i++)); do
        state=$(proc_state "$mon")
        [ -z "$state" ] || [ "$state" = Z ] && break
        sleep 0.1
    done
    kill -9 "$mon" 2>/dev/null
    wait "$mon" 2>/dev/null
    rc=$?
    exec 7<&-
    [ "$rc" = 143 ] || problems+=("exit status $rc, expected 143 from our SIGTERM (129+ is a signal, 2 a failed read)")
    sleep 0.1

    local checked
    checked=$(awk -f "$work/check.awk" "$d/out")
    [ $? = 0 ] || problems+=("malformed output: $(grep -v '^reports ' <<< "$checked" | head -3 | tr '\n' ';')")
    figures+=("${checked##*$'\n'}")
    [ ! -s "$d/out" ] || [ -z "$(tail -c 1 "$d/out")" ] || problems+=("last line has no newline")
    [ ! -s "$d/err" ] || problems+=("wrote to stderr: $(head -c 200 "$d/err" | tr '\n' ' ')")

    if [ -n "$first" ] && [ "$want_status" != "*" ]; then
        local got
        got=$(block_at "$d/out" "$first")
        [ "$got" = "$want1" ] || problems+=("first report '$got', expected '$want1'")
        figures+=("first='$got'")
        if [ -n "${ac:-}" ]; then
            got=$(block_at "$d/out" "$ac")
            [ "$got" = "$want2" ] || problems+=("report after $what1 '$got', expected '$want2'")
        fi
        if [ -n "${back:-}" ]; then
            got=$(block_at "$d/out" "$back")
            [ "$got" = "$want3" ] || problems+=("report after $what2 '$got', expected '$want3'")
        fi
    fi
    if [ "$name" = supply_flickering ]; then
        local flicks
        flicks=$(cat "$d/flicks" 2>/dev/null || echo 0)
        [ "$flicks" -ge 5 ] || problems+=("the flickering supply came only $flicks times")
        figures+=("flicker_cycles=$flicks" "distinct_reports=$(grep -c '  Power source: ' "$d/out")")
    fi
    kill $(cat "$d/pids") 2>/dev/null

    verdict "$name" problems figures
}

started_all=$(now_ms)
names=()
running=0
while IFS='|' read -r name as want_status want_remaining want_full; do
    [ -n "$name" ] || continue
    names+=("$name")
    if [ "$running" -ge 10 ]; then
        wait -n
        running=$((running - 1))
    fi
    running=$((running + 1))
    run_case "$name" "$as" "$want_status" "$want_remaining" "$want_full" &
done <<< "$CASES"
wait

report_verdicts "$started_all" "${names[@]}"
