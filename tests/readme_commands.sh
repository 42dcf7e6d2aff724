#!/usr/bin/env bash
# Runs the commands of README.md and HACKING.md as a new user would type
# them, in a fresh clone: every one-line command block that builds,
# installs, packages or runs. Three things are bent so that the check
# leaves the machine as it was: the monitor runs for 3 s, the install prefix is a temporary
# directory (a plain `tolvane` is the one installed there), and apt-get
# only simulates. The test command itself is left out (it is what runs
# this), and so are the systemctl and journalctl ones (these machines run
# no systemd; package_checks.sh verifies the unit).
set -u
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
git clone -q . "$work/clone" || exit 1
cd "$work/clone"
# Where the test command compiles through ccache, the clone is the tree
# whose paths it makes relative, so its builds find what that run compiled.
[ -z "${CCACHE_BASEDIR:-}" ] || export CCACHE_BASEDIR=$PWD

commands=$(awk '/^```/ { if (inBlock && lines == 1) print block; inBlock = !inBlock; lines = 0; next }
                inBlock { lines++; block = $0 }' README.md HACKING.md |
           grep -E '^(cmake|\(cd|build/|bench/replay-summary|tolvane )')
[ "$(grep -c '' <<<"$commands")" -ge 5 ] || { echo "FAIL: found only: $commands"; exit 1; }

failures=0
while IFS= read -r command; do
    bent=$(sed -E -e 's#build/tolvane( |$)#timeout 3 build/tolvane\1#' \
               -e "s#^tolvane( |\$)#timeout 3 $work/prefix/bin/tolvane\\1#" \
               -e "s#--prefix /usr/local#--prefix $work/prefix#" \
               -e 's#apt-get install #apt-get install --simulate #' <<<"$command")
    bash -o pipefail -c "$bent" > "$work/log" 2>&1
    status=$?
    # A monitor stopped by timeout ends with 124: that is the run we wanted.
    if [ "$status" = 0 ] || { [ "$status" = 124 ] && [[ "$command" =~ ^tolvane|build/tolvane ]]; }; then
        echo "ok: $command"
    else
        tail -n 20 "$work/log"
        echo "FAIL ($status): $command"
        failures=$((failures + 1))
    fi
done <<<"$commands"
grep -q 'Power source: ' battery.log || { echo "FAIL: battery.log holds no report"; failures=$((failures + 1)); }
[ "$failures" = 0 ] && echo "README commands work as written" || exit 1
