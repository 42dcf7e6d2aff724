#!/usr/bin/env bash
# A fleet of three laptops through the journal's own forwarding, end to end.
# The real monitor runs against a test power supply tree per machine, under
# libfaketime at 20 times the speed of the clock, all three on the same
# fake morning (tests/fleet_machines.sh plays them):
#   alpha:   two sessions, each ended by plugging in;
#   bravo:   two users' monitors side by side, one session, and the runs
#            stopped on battery: one set of sessions;
#   charlie: a reboot and a new run of the monitor, then one session.
# Each machine's runs become the journal's export format with its own
# _HOSTNAME, _BOOT_ID, _UID and _PID. alpha's go into a journal file of its own,
# which the real systemd-journal-upload sends over HTTP on localhost to a
# real systemd-journal-remote; bravo's and charlie's are given to
# systemd-journal-remote as export files. `journalctl -D DIR -t tolvane -o
# short-iso` reads the collector's directory back, and is checked first:
# every run's lines, in order, under its own host and process, at the
# times of their stamps, and the first user's runs alone already give the
# sessions scripted. Then tolvane-report reads it: each machine's
# sessions in the CSV against what its script did (count, from and to
# percent, how they ended, the length within 2 s of the scripted time at the
# fake clock's speed), the fleet table and the machines' summaries in the
# text, --host, and the page's fleet table and machine sections, also in
# headless Chromium. The text summary is printed at the end. About 50 s.
# Usage (as root): fleet_end_to_end.sh path/to/tolvane path/to/tolvane-report
set -u
monitor=$(realpath "$1")
report=$(realpath "$2")
if [ "$(id -u)" != 0 ] || ! unshare -m true 2>/dev/null; then
    echo "SKIP: needs root and unshare -m for the bind mount"
    exit 77
fi
libfaketime=$(ls /usr/lib/*/faketime/libfaketime.so.1 2>/dev/null | head -n 1)
remote=/lib/systemd/systemd-journal-remote
upload=/lib/systemd/systemd-journal-upload
for need in "$libfaketime:faketime" "$remote:systemd-journal-remote" "$upload:systemd-journal-remote" \
            "$(command -v journalctl):systemd" "$(command -v chromium):chromium"; do
    [ -n "${need%%:*}" ] && [ -r "${need%%:*}" ] ||
        { echo "FAIL: ${need##*:} is not installed (Debian: apt-get install ${need##*:})"; exit 1; }
done
# A sanitizer build's monitor needs its ASan runtime loaded before libfaketime.
preload=$(ldd "$monitor" 2>/dev/null | awk '/libasan/ { printf "%s ", $3 }')$libfaketime
work=$(mktemp -d /tmp/tolvane-fleet.XXXXXX)
started=()
# The monitors' processes are in $work/monitors (see start_monitor).
trap 'kill "${started[@]}" $(cat "$work/monitors" 2>/dev/null) $(jobs -p) 2>/dev/null; wait; rm -rf "$work"' EXIT
trap 'exit 1' INT TERM HUP
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# sessions_of HOST: "FROM TO ENDED SECONDS" for each session of HOST (any
# host when empty) in the CSV on standard input.
sessions_of() { awk -F, -v h="$1" 'NR > 1 && (h == "" || $NF == h) { print $4, $5, $9, $3 }'; }
# same_sessions WHAT SESSIONS EXPECT_FILE: the sessions are those scripted,
# their lengths within 2 s.
same_sessions() {
    local want wrong
    want=$(cat "$3")
    wrong=$(paste -d' ' <(echo "$2") <(echo "$want") | while read -r f t e s wf wt we ws; do
        [ "$f $t $e" = "$wf $wt $we" ] && [ "${s:-0}" -ge $((${ws:-0} - 2)) ] && [ "${s:-0}" -le $((${ws:-0} + 2)) ] ||
            echo x
    done)
    [ -z "$wrong" ] && [ "$(grep -c . <<<"$2")" = "$(grep -c . <<<"$want")" ] ||
        fail "report: $1: sessions (from to ended seconds) '${2//$'\n'/; }', scripted '${want//$'\n'/; }'"
}
speed=20
fake_base=$(date -u -d '2026-12-01 08:00:00' +%s)
hosts=(alpha bravo charlie)
. "$(dirname "$0")/fleet_machines.sh"

# The three mornings, side by side (fake minutes; 42 s in all).
for host in "${hosts[@]}"; do mkdir -p "$work/$host"; done
play "$work/alpha" mains:1:100 battery:6:100:94 mains:1:98 battery:5:98:93 mains:1:95 &
play "$work/bravo" user:1001 mains:1:88 battery:10:88:78 &
play "$work/charlie" mains:1:97 reboot mains:1:97 battery:6:97:92 mains:1:94 &
wait
for host in "${hosts[@]}"; do
    to_export "$work/$host" "$host" > "$work/$host/export"
done

# The collector: systemd-journal-remote on HTTP, and alpha's journal file
# uploaded to it; bravo and charlie handed over as export files.
collector=$work/collector
mkdir -p "$collector"
"$remote" --output="$work/alpha/system.journal" "$work/alpha/export" 2> "$work/alpha/remote.err" ||
    fail "journal: alpha's own journal file: $(cat "$work/alpha/remote.err")"
for port in $((20000 + RANDOM % 20000)) $((20000 + RANDOM % 20000)) $((20000 + RANDOM % 20000)); do
    "$remote" --listen-http="127.0.0.1:$port" --output="$collector/" 2> "$work/listen.err" &
    listener=$!
    started+=("$listener")
    sleep 0.5
    kill -0 "$listener" 2>/dev/null && break
done
timeout 30 "$upload" --follow=no --file="$work/alpha/system.journal" --url="http://127.0.0.1:$port" \
    > "$work/upload.out" 2>&1 || fail "journal: systemd-journal-upload exited with $?: $(cat "$work/upload.out")"
for host in bravo charlie; do
    "$remote" --output="$collector/remote-$host.journal" "$work/$host/export" 2> "$work/$host/remote.err" ||
        fail "journal: $host's export: $(cat "$work/$host/remote.err")"
done
kill "$listener" && wait "$listener"
echo "collector: $(cd "$collector" && ls | tr '\n' ' ')"
echo "journal: _HOSTNAME in the collector's files: $(journalctl -D "$collector" -F _HOSTNAME | sort | tr '\n' ' ');" \
     "over HTTP: $(journalctl --file="$collector/remote-127.0.0.1.journal" -F _HOSTNAME | tr '\n' ' ')"

# What the journal gives back.
journal=$work/journal.txt
TZ=UTC journalctl -D "$collector" -t tolvane -o short-iso > "$journal" 2> "$work/journalctl.err" ||
    fail "journal: journalctl exited with $?: $(cat "$work/journalctl.err")"
names=$(journalctl -D "$collector" -F _HOSTNAME 2>/dev/null | sort | tr '\n' ' ')
[ "$names" = "${hosts[*]} " ] || fail "journal: the collector's files hold _HOSTNAME $names"
uploaded=$(journalctl --file="$collector/remote-127.0.0.1.journal" -t tolvane -o short-iso 2>/dev/null | grep -vc '^-- ')
[ "$uploaded" = "$(cat "$work/alpha"/log.* | grep -c '')" ] ||
    fail "journal: $uploaded lines came over HTTP, alpha's monitor wrote $(cat "$work/alpha"/log.* | grep -c '')"
lines=0
for host in "${hosts[@]}"; do
    dir=$work/$host
    cat "$dir"/log.* | tr -d '\r' > "$dir/written"
    lines=$((lines + $(grep -c '' "$dir/written")))
    # Each line: "TIME HOST tolvane[PID]: MESSAGE"; each run's in order.
    grep "^[^ ]* $host tolvane\[" "$journal" > "$dir/journal"
    n=0
    while read -r pid _ _ _ uid; do
        n=$((n + 1))
        grep "^[^ ]* $host tolvane\[$pid\]:" "$dir/journal" | tee -a "$dir/journal.$uid" |
            sed 's/^[^ ]* [^ ]* tolvane\[[0-9]*\]: \{0,1\}//' > "$dir/messages.$n"
        tr -d '\r' < "$dir/log.$n" | cmp -s - "$dir/messages.$n" ||
            fail "journal: $host's run $n differs from what its monitor wrote: $(tr -d '\r' < "$dir/log.$n" | diff - "$dir/messages.$n" | head -n 5)"
    done < "$dir/runs"
    pids=$(grep -o 'tolvane\[[0-9]*\]' "$dir/journal" | tr -dc '0-9\n' | sort -u | tr '\n' ' ')
    [ "$pids" = "$(cut -d' ' -f1 "$dir/runs" | sort -u | tr '\n' ' ')" ] || fail "journal: $host's processes $pids"
    # A report's time in the journal is its stamp.
    stamped=$(awk '$4 ~ /^[0-9][0-9]\/[0-9][0-9]\/[0-9][0-9]$/ && $6 == "Power" {
                       split($4, d, "/"); n += substr($1, 1, 19) == "20" d[3] "-" d[1] "-" d[2] "T" $5
                   } END { print n + 0 }' "$dir/journal")
    [ "$stamped" = "$(grep -c 'Power source' "$dir/written")" ] ||
        fail "journal: $stamped of $host's reports at the time of their stamp"
    # The report of the first user's lines of this machine alone, one
    # monitor as it reads them today, gives the sessions its script played.
    alone=$("$report" --format=csv "$dir/journal.1000" | sessions_of "")
    same_sessions "$host alone" "$alone" "$dir/expect"
    echo "journal: $host, $(grep -c '' "$dir/journal") lines in $(grep -c '' "$dir/runs") runs," \
         "$(grep -c 'Power source' "$dir/journal") reports, processes $pids; the first user's alone: ${alone//$'\n'/, }"
done
other=$(grep -vc '^-- ' "$journal")
[ "$other" = "$lines" ] || fail "journal: $other lines under -t tolvane, the monitors wrote $lines"
count() { TZ=UTC journalctl -D "$collector" -o short-iso "$@" 2>/dev/null | grep -vc '^-- '; }
echo "journal: matches: -t tolvane $other lines, _SYSTEMD_USER_UNIT=tolvane.service" \
     "$(count _SYSTEMD_USER_UNIT=tolvane.service), --user-unit=tolvane $(count --user-unit=tolvane)," \
     "no match $(count) (the user managers' lines too); $(grep -c '^-- Boot' "$journal") '-- Boot' lines"
echo "journal: the first lines of journalctl -t tolvane -o short-iso:"
head -n 8 "$journal" | sed 's/^/  /'

# The report. Its CSV: each machine's sessions, as its script played them.
header=start,end,seconds,from_percent,to_percent,percent_per_hour,full_runtime_seconds,estimate_error_percent,ended,asleep_seconds,host
csv=$("$report" --format=csv "$journal") || fail "report: --format=csv exited with $?"
[ "$(head -n 1 <<<"$csv")" = "$header" ] || fail "report: CSV header $(head -n 1 <<<"$csv")"
for host in "${hosts[@]}"; do
    same_sessions "$host" "$(sessions_of "$host" <<<"$csv")" "$work/$host/expect"
done

# The text: the fleet's table first, one row per machine, then each
# machine's own summary; --host keeps one, and gives its plain summary.
text=$("$report" "$journal") || fail "report: the text summary exited with $?"
head -n 1 <<<"$text" | grep -Eq '(^|[^0-9])3 machines' ||
    fail "report: the text's first line does not say 3 machines: $(head -n 1 <<<"$text")"
table=$(sed -n '/^Host/,/^== /p' <<<"$text")
[ "$(grep -c '^Host' <<<"$table")" = 1 ] || fail "report: no one table header line beginning Host"
for host in "${hosts[@]}"; do
    [ "$(grep -c "^$host " <<<"$table")" = 1 ] || fail "report: not one fleet row for $host"
    [ "$(grep -cx "== $host ==" <<<"$text")" = 1 ] || fail "report: not one summary '== $host =='"
done
grep "^[^ ]* alpha tolvane\[" "$journal" > "$work/alpha-only.txt"
single=$("$report" --host alpha "$journal")
[[ "$single" =~ ^From\ [0-9]{4}-[0-9]{2}-[0-9]{2}\ [0-9]{2}:[0-9]{2}\ to ]] ||
    fail "report: --host alpha does not begin with the single-machine summary: $(head -n 1 <<<"$single")"
[ "$single" = "$("$report" "$work/alpha-only.txt")" ] ||
    fail "report: --host alpha differs from the summary of alpha's lines alone"
[ "$("$report" --format=csv --host bravo --host charlie "$journal" | awk -F, 'NR > 1 { print $NF }' | sort -u | tr '\n' ' ')" = "bravo charlie " ] ||
    fail "report: --host bravo --host charlie keeps other machines, or loses one"

# The page: the fleet table, each row a link to its machine's section with
# its charts; as written and as Chromium built it, asking for nothing.
page=$work/fleet.html
"$report" --html "$page" "$journal" || fail "report: --html exited with $?"
. "$(dirname "$0")/fleet_page.sh"
check_fleet_page "$page" file
if browse "$work/control.html" '<!DOCTYPE html><title>t</title><img src="http://example.invalid/x.png">' > /dev/null &&
   [ -n "$(requests "$work/control.html")" ]; then
    browse "$page" > "$work/dom.html" || fail "report: chromium --dump-dom exited with $?"
    check_fleet_page "$work/dom.html" DOM
    asked=$(requests "$page")
    [ -z "$asked" ] || fail "report: the page asked for: $asked"
else
    fail "chromium's network log shows no request of a page that makes one"
fi

echo "tolvane-report of the collector's journal:"
echo "$text"
[ "$failures" = 0 ] || { echo "$failures failed"; exit 1; }
echo "fleet end-to-end: 3 machines through systemd-journal-remote and journalctl, sessions as scripted"
