#!/usr/bin/env bash
# tolvane-report and the files around it, with the real binary:
#   - a new page gets mode 0666 less the umask; a page replaced keeps its
#     mode; a symlink stays a symlink and the file it leads to is replaced
#     (also when it does not exist yet);
#   - a FIFO and a device node of our own are written as streams and stay
#     what they were, also when writing fails; a page that can't be
#     written whole (a full file system) leaves the old page and no
#     temporary file;
#   - 600 files under `ulimit -n 256`, each opened in its turn, and a
#     FIFO and a pipe among the inputs;
#   - the page refused over the log named by a symlink;
#   - standard input closed after a file was read: exit 1, nothing on
#     standard output, a message naming standard input;
#   - at a terminal with no file, it says it reads standard input.
# The device node, the full file system and the other users' files need
# root (skipped otherwise).
# Usage: report_files.sh path/to/tolvane-report
set -u
report=$(realpath "$1")
read -r -a emulator <<< "${TOLVANE_EMULATOR:-}"
run() { "${emulator[@]}" "$report" "$@"; }
work=$(mktemp -d /tmp/tolvane-report-files.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
cd "$work" || exit 1
umask 027

# A run with one session: on battery at 09:00 from 90 %, on mains at 10:00.
session() {  # session MM/DD/YY
    printf '%s 09:00:00  Power source: Battery  Status: High, 90%%\n' "$1"
    printf '%s 10:00:00  Power source: AC       Status: High, Charging, 80%%\n' "$1"
}
session 12/01/26 > log
# A page as the first release began it.
old_page() {
    printf '<!DOCTYPE html>\n<html lang="en"><head><meta charset="utf-8">\n<title>old</title>\n'
}
old_page > old-page

# Modes, symlinks, replacing.
run --html new.html log && [ "$(stat -c %a new.html)" = 640 ] ||
    fail "a new page: mode $(stat -c %a new.html 2>&1), not 640 (0666 under umask 027)"
old_page > kept.html && chmod 604 kept.html
run --html kept.html log && [ "$(stat -c %a kept.html)" = 604 ] && grep -q '<svg' kept.html ||
    fail "a page replaced: mode $(stat -c %a kept.html), or not the new page"
mkdir pages && old_page > pages/page.html && ln -s pages/page.html link.html
ln -s pages/later.html dangling.html
if run --html link.html log && run --html dangling.html log; then
    [ -L link.html ] && [ -L dangling.html ] || fail "a symlink was replaced by the page"
    grep -q '<svg' pages/page.html && grep -q '<svg' pages/later.html ||
        fail "the file a symlink leads to was not written"
else
    fail "--html to a symlink failed"
fi
ls -A | grep -q '\.tmp-' && fail "temporary files left: $(ls -A)"

# A page made read-only stays as it is, even for root.
old_page > read-only.html && chmod 444 read-only.html
run --html read-only.html log 2> err
status=$?
[ "$status" = 1 ] && cmp -s read-only.html old-page &&
    grep -q '^tolvane-report: read-only.html: Permission denied: the file is read-only' err ||
    fail "a read-only page: exit $status, $(cat err)"

# Interrupted while the page is written (strace holds its fsync): the
# temporary file goes with the signal, the old page stays.
if command -v strace > /dev/null; then
    for signal in INT TERM HUP; do
        rm -f slow.html.tmp-* && cp old-page slow.html
        # (a command put in the background ignores SIGINT unless told otherwise)
        env --default-signal=INT strace -f -o /dev/null -e trace=fsync \
            -e inject=fsync:delay_enter=1000000 "${emulator[@]}" "$report" --html slow.html log 2> err &
        tracer=$!
        for ((i = 0; i < 100; i++)); do
            temporary=$(ls -A | grep '^slow\.html\.tmp-')
            [ -n "$temporary" ] && break
            sleep 0.05
        done
        pid=${temporary#slow.html.tmp-}
        kill -s "$signal" "${pid%-*}" 2> /dev/null || fail "SIG$signal: no temporary file to interrupt"
        wait "$tracer" 2> /dev/null
        status=$?
        [ "$status" = $((128 + $(kill -l "$signal"))) ] && cmp -s slow.html old-page &&
            ! ls -A | grep -q '\.tmp-' ||
            fail "SIG$signal while the page is written: exit $status, left $(ls -A | grep '\.tmp-')"
    done
else
    echo "SKIPPED: a page interrupted by a signal: needs strace"
fi

# A FIFO: read by cat, written as a stream, and still a FIFO.
mkfifo fifo
cat fifo > from-fifo &
reader=$!
run --html fifo log || fail "--html to a FIFO: exit $?"
wait "$reader"
[ -p fifo ] && grep -q '</html>' from-fifo || fail "the FIFO: not one any more, or no page read from it"

# Logs through a FIFO and a process substitution, read in their turn.
mkfifo log-fifo
cat log > log-fifo &
session 12/03/26 > log3
csv=$(run --format=csv log-fifo <(session 12/02/26) log3)
[ "$(grep -c ',ac,' <<<"$csv")" = 3 ] || fail "a FIFO and a pipe as inputs: $csv"
wait

# The log, by another name, as the page: refused, the log untouched.
ln -s log log-link
cp log log-before
run --html log log-link 2> err
status=$?
[ "$status" = 1 ] && cmp -s log log-before && grep -q '^tolvane-report: log: is the input file log-link' err ||
    fail "--html over the input's symlink: exit $status, $(cat err)"

# 600 files, a day each, oldest first, at most 256 descriptors.
files=()
for ((i = 0; i < 600; i++)); do
    day=$(printf '%02d/%02d/%02d' $((i / 28 % 12 + 1)) $((i % 28 + 1)) $((i / 336 + 27)))
    session "$day" > "many-$i.log"
    files+=("many-$i.log")
done
lines=$( (ulimit -n 256 && run --format=csv "${files[@]}") | grep -c ',ac,')
[ "$lines" = 600 ] || fail "600 files under ulimit -n 256: $lines sessions, not 600"

# 20,000 laptops of a collector, a session each: a machine costs a few
# kilobytes, its charge chart made only for the page, and there from what
# it was given while that is little.
if [ ${#emulator[@]} -gt 0 ] || ldd "$report" 2> /dev/null | grep -q libasan; then
    echo "SKIPPED: the memory of 20,000 machines: not measured under an emulator or ASan"
elif [ -x /usr/bin/time ]; then
    awk 'BEGIN {
        split("08:00 AC       Status: High, Charging, 100%|10:00 Battery  Status: High, 95%|" \
              "12:00 Battery  Status: High, 80%|13:00 AC       Status: High, Charging, 75%", report, "|")
        for (r = 1; r <= 4; r++)
            for (h = 0; h < 20000; h++) {
                time = substr(report[r], 1, 5)
                printf "2026-12-01T%s:%02d+0000 laptop-%05d tolvane[%d]: 12/01/26 %s:%02d  Power source: %s\n",
                    time, h % 60, h, 1000 + h, time, h % 60, substr(report[r], 7)
            }
    }' > fleet.log
    for output in --format=csv --html=fleet.html; do
        /usr/bin/time -f %M -o rss "$report" "$output" fleet.log > fleet.out
        status=$?
        [ "$output" = --html=fleet.html ] || cp fleet.out fleet.csv
        [ "$status" = 0 ] && [ "$(cat rss)" -lt $((256 * 1024)) ] ||
            fail "20,000 machines, $output: exit $status, peak RSS $(cat rss) KB, not under 256 MB"
    done
    [ "$(grep -c ',ac,0,laptop-' fleet.csv)" = 20000 ] ||
        fail "20,000 machines: $(grep -c ',ac,0,laptop-' fleet.csv) sessions in the CSV"
else
    echo "SKIPPED: the memory of 20,000 machines: needs /usr/bin/time"
fi

# Standard input closed after the first file: nothing but the message.
run --format=csv log - <&- > out 2> err
status=$?
[ "$status" = 1 ] && [ ! -s out ] && grep -q '^tolvane-report: standard input: ' err ||
    fail "closed standard input: exit $status, stdout $(wc -c < out) bytes, stderr: $(cat err)"

# At a terminal it says what it waits for; not in a pipe.
if command -v script > /dev/null; then
    said=$(printf '' | timeout 20 script -qec "$(printf '%q ' "${emulator[@]}" "$report")" /dev/null)
    [[ "$said" == *"reading the log from standard input (end it with Ctrl+D)"* ]] ||
        fail "no word at a terminal: $(printf %q "$said")"
fi
run < /dev/null 2> err > /dev/null
[ ! -s err ] || fail "not at a terminal, still said: $(cat err)"

if [ "$(id -u)" = 0 ] && unshare -m true 2> /dev/null; then
    # Our own /dev/full: the page fails, the node stays.
    mknod full c 1 7
    run --html full log 2> err
    status=$?
    [ "$status" = 1 ] && [ -c full ] && grep -q "^tolvane-report: full: No space left" err ||
        fail "--html to a full device: exit $status, $(ls -l full 2>&1), $(cat err)"
    run --version > full 2> err
    status=$?
    [ "$status" = 1 ] && grep -q "standard output: No space left" err ||
        fail "--version to a full device: exit $status, $(cat err)"
    # A file system with no room for the page: the old one stays whole.
    mkdir small
    unshare -m sh -c '
        mount -t tmpfs -o size=64k tmpfs small || exit 2
        cp old-page small/page.html
        dd if=/dev/zero of=small/filler bs=4k 2> /dev/null
        "$@" --html small/page.html log 2> err
        echo "exit $? $(cmp -s old-page small/page.html && echo old) $(ls -A small | tr "\n" " ")"' sh \
        "${emulator[@]}" "$report" > full-fs
    grep -qx 'exit 1 old filler page.html ' full-fs && grep -q 'small/page.html: No space left' err ||
        fail "a full file system: $(cat full-fs), $(cat err)"

    # A symlink that another user put in a sticky folder (a /tmp of our
    # own) is not followed onto root's file, whether or not the kernel's
    # fs.protected_symlinks would stop it (only where all may write).
    # One that root or the folder's owner made is.
    old_page > root-page.html && chmod 600 root-page.html && cp root-page.html root-before
    for folder_mode in 1777 1770; do
        rm -rf sticky && mkdir sticky && chmod "$folder_mode" sticky
        ln -s ../root-page.html sticky/fleet.html && chown -h nobody sticky/fleet.html
        run --html sticky/fleet.html log 2> err
        status=$?
        [ "$status" = 1 ] && cmp -s root-page.html root-before && [ -L sticky/fleet.html ] &&
            grep -q '^tolvane-report: sticky/fleet.html: not followed: it is a symlink of another user (uid 65534) in the sticky folder sticky' err ||
            fail "nobody's symlink in a sticky folder ($folder_mode): exit $status, $(cat err)"
    done
    chown -h root sticky/fleet.html
    run --html sticky/fleet.html log && grep -q '<svg' root-page.html ||
        fail "root's own symlink in a sticky folder was not followed"

    # A writable page in a folder nobody may not write: the folder is named.
    nobody=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    if command -v setpriv > /dev/null && "${nobody[@]}" test -x "$report"; then
        chmod o+x "$work" && mkdir locked && old_page > locked/page.html && cp log locked/log
        chown nobody locked/page.html && chmod 644 locked/log && chmod 555 locked
        "${nobody[@]}" "${emulator[@]}" "$report" --html locked/page.html locked/log 2> err
        status=$?
        [ "$status" = 1 ] && cmp -s locked/page.html old-page &&
            grep -q '^tolvane-report: locked: Permission denied (the folder of locked/page.html' err ||
            fail "a page in a folder we may not write: exit $status, $(cat err)"
        chmod 755 locked
    else
        echo "SKIPPED: a folder nobody may not write: needs setpriv, and nobody to run $report"
    fi
else
    echo "SKIPPED: the device node, the full file system and the other users' files: need root and unshare -m"
fi

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "report files: all checks passed"
