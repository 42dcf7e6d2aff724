#!/usr/bin/env bash
# Days with suspends, played through the real monitor (bench/wake-logs,
# made by bench/make-wake-logs), against what the report makes of them:
# each session's time asleep covers the suspends of 15 minutes or more it
# held, from the report before each to its wake, and no more than a few
# minutes beyond; its drain awake is within 7 % of the pace the day was
# played at (naps under 15 minutes count as time awake, and one log has
# three of them).
# Usage: report_wake_logs.sh path/to/tolvane-report path/to/bench/wake-logs
set -u
read -r -a emulator <<< "${TOLVANE_EMULATOR:-}"
report=$1
data=$2
failures=0
# LOG, then per session: seconds asleep as played, and the %/h awake.
while read -r log plan; do
    csv=$(TZ=UTC "${emulator[@]}" "$report" --format=csv "$data/$log") || { echo "FAIL $log: exit $?"; failures=$((failures + 1)); continue; }
    result=$(tail -n +2 <<<"$csv" | awk -F, -v plan="$plan" -v name="$log" '
        BEGIN { n = split(plan, p, " ") }
        {
            i++
            split(p[i], want, ":")
            asleep = $10; drain = $6
            off = (drain / want[2] - 1) * 100
            ok = asleep >= want[1] && asleep <= want[1] + 300 && off >= -7 && off <= 7
            printf "%s %s: asleep %d s (played %d), %.2f %%/h (played %.2f, %+.1f %%)\n",
                ok ? "PASS" : "FAIL", name, asleep, want[1], drain, want[2], off
        }
        END { if (i != n) printf "FAIL %s: %d sessions, played %d\n", name, i, n }')
    echo "$result"
    { grep -q "^PASS" <<<"$result" && ! grep -q "^FAIL" <<<"$result"; } || failures=$((failures + 1))
done <<'EOF'
suspend-46min.log 2760:11
night-asleep.log 32400:9.286
idle-awake.log 0:3
short-naps.log 1200:12
wake-then-unplug.log 3000:12 1500:12
EOF
[ "$failures" -eq 0 ]
