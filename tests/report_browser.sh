#!/usr/bin/env bash
# The HTML page of tolvane-report in a real browser: headless Chromium opens
# the page made from a log, takes a screenshot and dumps the DOM it built.
# Checks: the charts are there with their points (the charge line, the
# remaining times, a drain bar per day with sessions, a bar of use per day
# with time on battery) and the sessions and charges tables have a row per
# session and charge of the same log's CSV; and the page asks for
# nothing from outside, read from Chromium's own network log, whose reading
# is first proved on a page that does ask. Fails when chromium is missing.
# Usage: report_browser.sh path/to/tolvane-report LOG
# (TOLVANE_SCREENSHOT=FILE keeps the screenshot, as doc/tolvane-report.png)
set -u
report=$(realpath "$1")
log=$(realpath "$2")
# A cross build's program runs under the command in TOLVANE_EMULATOR.
read -r -a emulator <<< "${TOLVANE_EMULATOR:-}"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
if ! command -v chromium >/dev/null; then
    echo "FAIL: chromium is not installed (Debian: apt-get install chromium)"
    exit 1
fi
work=$(mktemp -d /tmp/tolvane-browser.XXXXXX)
trap 'rm -rf "$work"' EXIT

# browse PAGE ARGUMENT...: Chromium as root, headless, on a fresh profile;
# its network log in PAGE.net.
browse() {
    local page=$1
    shift
    rm -rf "$work/profile" && mkdir "$work/profile"
    timeout 120 chromium --headless --no-sandbox --disable-gpu --no-first-run \
        --disable-background-networking --disable-component-update --disable-sync \
        --user-data-dir="$work/profile" --log-net-log="$page.net" --hide-scrollbars "$@" \
        "file://$page" 2> "$page.err"
}
# What a page itself asked for: the requests whose site is the file.
requests() {
    grep 'site=file://' "$1.net" | grep -o '"url":"[^"]*"' | sort -u | tr '\n' ' '
}

printf '<!DOCTYPE html><title>t</title><img src="http://example.invalid/x.png">\n' > "$work/control.html"
browse "$work/control.html" --dump-dom > /dev/null
[ -n "$(requests "$work/control.html")" ] ||
    fail "the network log shows no request of a page that makes one: $(tail -n 3 "$work/control.html.err")"

page=$work/page.html
# From the log's folder, so that the page names the log, not this machine's paths.
(cd "$(dirname "$log")" && "${emulator[@]}" "$report" --html "$page" "$(basename "$log")") ||
    fail "tolvane-report --html exited with $?"
csv=$("${emulator[@]}" "$report" --format=csv "$log")
sessions=$(($(grep -c '' <<<"$csv") - 1))
charges=$(($("${emulator[@]}" "$report" --format=csv --table=charges "$log" | grep -c '') - 1))
battery_days=$("${emulator[@]}" "$report" --format=csv --table=days "$log" | awk -F, 'NR > 1 && $2 > 0' | grep -c '')
days=$(tail -n +2 <<<"$csv" | cut -c1-10 | sort -u | grep -c '')
browse "$page" --dump-dom > "$work/dom.html" || fail "chromium --dump-dom exited with $?"
asked=$(requests "$page")
[ -z "$asked" ] || fail "the page asked for: $asked"
! grep -Eqi '<(script|link|img|iframe|object)|https?:|url\([^#]' "$page" || fail "the page refers to something outside"
browse "$page" --window-size=1000,1600 --screenshot="$work/page.png" > /dev/null ||
    fail "chromium --screenshot exited with $?"

count() {  # count PATTERN: matches in the DOM as the browser built it
    grep -o "$1" "$work/dom.html" | grep -c ''
}
points=$(grep -o 'class="charge" points="[^"]*"' "$work/dom.html" | grep -o ',' | grep -c '')
estimates=$(count 'class="estimate"')
bars=$(count 'class="drain"')
rows=$(sed -n '/<table id="sessions">/,/<\/table>/p' "$work/dom.html" | grep -c '^<tr><td>')
charge_rows=$(sed -n '/<table id="charges">/,/<\/table>/p' "$work/dom.html" | grep -c '^<tr><td>')
use_bars=$(count 'class="on-battery"')
for chart in charge-chart estimate-chart drain-chart usage-chart; do
    grep -q "<svg id=\"$chart\"" "$work/dom.html" || fail "no svg#$chart in the DOM"
done
[ "$points" -ge 100 ] || fail "the charge line has $points points"
[ "$estimates" -ge 50 ] || fail "$estimates remaining times drawn"
[ "$sessions" -gt 0 ] && [ "$bars" = "$days" ] || fail "$bars drain bars for $days days with sessions"
[ "$rows" = "$sessions" ] || fail "$rows rows in the sessions table for $sessions sessions in the CSV"
[ "$charges" -gt 0 ] && [ "$charge_rows" = "$charges" ] ||
    fail "$charge_rows rows in the charges table for $charges charges in the CSV"
[ "$battery_days" -gt 0 ] && [ "$use_bars" = "$battery_days" ] ||
    fail "$use_bars bars of time on battery for $battery_days days with some"
size=$(stat -c %s "$work/page.png" 2>/dev/null || echo 0)
[ "$(head -c 8 "$work/page.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] && [ "$size" -gt 20000 ] ||
    fail "the screenshot is no PNG with content ($size bytes)"
[ -z "${TOLVANE_SCREENSHOT:-}" ] || cp "$work/page.png" "$TOLVANE_SCREENSHOT"
echo "page $(stat -c %s "$page") bytes; in Chromium: $points points on the charge line, $estimates remaining" \
    "times, $bars drain bars, $rows session rows, $charge_rows charge rows, $use_bars days of use;" \
    "nothing asked from outside; screenshot $size bytes"
[ "$failures" = 0 ] || exit 1
