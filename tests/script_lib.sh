# Shared by the scripts that run the real binary against fake power supply
# trees: argument and root checks, a work directory that is removed (with
# every process the script started) however the script ends, and small
# helpers. Source it with the script's name as $1 and the binary as $2:
#   . "$(dirname "$0")/script_lib.sh" NAME "$@"
# It sets $bin (the binary's absolute path) and $work, and $emulator: the
# words of TOLVANE_EMULATOR, the command a cross build's binary runs under
# ("${emulator[@]}" "$bin"; empty for a native one).
umask 022
read -r -a emulator <<< "${TOLVANE_EMULATOR:-}"

if [ $# -ne 2 ] || [ ! -x "$2" ]; then
    echo "usage: $0 path/to/tolvane" >&2
    exit 1
fi
bin=$(realpath "$2")
if [ "$(id -u)" != 0 ] || ! unshare -m true 2>/dev/null; then
    echo "SKIP: needs root and unshare -m for the bind mount"
    exit 77
fi

work=$(mktemp -d "/tmp/tolvane-$1.XXXXXX")
# Every process this script started, found by walking the process tree
# down from this shell (a case's command substitutions included).
descendants() {
    local child
    for child in $(ps -o pid= --ppid "$1" 2>/dev/null); do
        echo "$child"
        descendants "$child"
    done
}
cleanup() {
    local pids
    IFS=$' \t\n'  # the trap may have come inside an `IFS= read`
    pids=$(descendants $$)
    [ -z "$pids" ] || kill -9 $pids 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

now_ms() { local t=${EPOCHREALTIME/./}; echo $((t / 1000)); }
put() {  # put FILE VALUE: replaces FILE in one step
    printf '%s\n' "$2" > "$1.new" && mv -f "$1.new" "$1"
}
# runs_binary PID: PID runs $bin, or, under an emulator, the emulator
# with $bin on its command line.
runs_binary() {
    local exe
    exe=$(readlink "/proc/$1/exe" 2>/dev/null) || return 1
    if [ ${#emulator[@]} -eq 0 ]; then
        [ "$exe" = "$bin" ]
    else
        [ "$exe" = "$(realpath "$(command -v "${emulator[0]}")")" ] &&
            tr '\0' '\n' < "/proc/$1/cmdline" | grep -qxF "$bin"
    fi
}
proc_state() {  # one letter, or empty when the process is gone
    local line
    read -r line 2>/dev/null < "/proc/$1/stat" || return
    line=${line##*) }
    echo "${line%% *}"
}

# verdict NAME PROBLEMS_ARRAY FIGURES_ARRAY: writes case NAME's verdict to
# $work/NAME/result: PASS with its figures, or FAIL with its problems.
verdict() {
    local -n p=$2 f=$3
    if [ ${#p[@]} -eq 0 ]; then
        echo "PASS $1: ${f[*]}" > "$work/$1/result"
    else
        local IFS=';'
        echo "FAIL $1: ${p[*]} [${f[*]}]" > "$work/$1/result"
    fi
}

# report_verdicts STARTED_MS NAME...: prints each case's verdict (the file
# $work/NAME/result, a line beginning PASS or FAIL) and a summary; exits 1
# when any case failed or gave none.
report_verdicts() {
    local started=$1 name failures=0
    shift
    for name in "$@"; do
        if [ -f "$work/$name/result" ]; then
            cat "$work/$name/result"
            grep -q '^PASS' "$work/$name/result" || failures=$((failures + 1))
        else
            echo "FAIL $name: the case gave no verdict"
            failures=$((failures + 1))
        fi
    done
    echo "$# cases, $failures failed, $((($(now_ms) - started) / 1000)) s"
    [ "$failures" -eq 0 ] || exit 1
    exit 0
}
