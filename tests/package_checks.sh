#!/usr/bin/env bash
# Install and packages: `cmake --install`, the man pages' lint, the
# systemd user unit (systemd-analyze verify), the .deb (file list, control
# fields, lintian, the unpacked monitor run against a fake tree and the
# unpacked tolvane-report on the sample log) and the Windows zip (its
# files, README.txt and LICENSE.txt in CR LF, the task file, both exes
# stripped).
# Usage: package_checks.sh BUILD-DIR BUILD-WIN32-DIR
# A cross build's program runs under the command in TOLVANE_EMULATOR.
set -u
cd "$(dirname "$0")/.."
build=$(realpath "$1")
win32=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
read -r -a emulator <<< "${TOLVANE_EMULATOR:-}"
# The .deb's architecture is the one its program was built for.
case $(readelf -h "$build/tolvane" | sed -n 's/^ *Machine: *//p') in
    AArch64) architecture=arm64 ;;
    *X86-64) architecture=amd64 ;;
    *) architecture=$(dpkg --print-architecture) ;;
esac

for page in doc/tolvane.1 doc/tolvane-report.1; do
    lint=$(mandoc -Tlint "$page" 2>&1) && [ -z "$lint" ] || fail "mandoc -Tlint $page: $lint"
    echo "mandoc -Tlint $page: ${lint:-clean}"
done

# verify_unit NAME UNIT ROOT BINDIR MANPATH: the user unit UNIT runs
# BINDIR/tolvane with its output to the journal, restarts it whatever ends
# it but exit status 2, records a battery health reading before it (whose
# failure does not count) under the identifier tolvane, and passes
# `systemd-analyze verify` without a word; the programs are looked for
# under ROOT (the unpacked .deb), the man page of Documentation= in MANPATH. No systemd needs to run for this.
verify_unit() {
    local name=$1 unit=$2 root=$3 bindir=$4 manpath=$5 dir="$work/units/${1//[^a-z]/}" output status key
    if [ ! -f "$unit" ]; then
        fail "$name: no $unit"
        return
    fi
    [ "$(sed -n 's/^ExecStart=//p' "$unit")" = "$bindir/tolvane" ] ||
        fail "$name: ExecStart is not $bindir/tolvane: $(grep '^ExecStart' "$unit")"
    [ "$(sed -n 's/^ExecStartPre=//p' "$unit")" = "-$bindir/tolvane-report --batteries --format=log" ] ||
        fail "$name: ExecStartPre is not -$bindir/tolvane-report --batteries --format=log: $(grep '^ExecStartPre' "$unit")"
    for key in StandardOutput=journal Restart=always RestartPreventExitStatus=2 \
        SyslogIdentifier=tolvane WantedBy=default.target; do
        grep -Eqx "$key" "$unit" || fail "$name: no $key in the unit"
    done
    mkdir -p "$dir" "$work/runtime"
    chmod 700 "$work/runtime"
    sed -e "s#^ExecStart=#ExecStart=$root#" -e "s#^ExecStartPre=-#ExecStartPre=-$root#" "$unit" \
        > "$dir/tolvane.service"
    output=$(XDG_RUNTIME_DIR="$work/runtime" MANPATH="$manpath" \
        systemd-analyze --user verify "$dir/tolvane.service" 2>&1)
    status=$?
    [ "$status" = 0 ] && [ -z "$output" ] || fail "$name: systemd-analyze verify ($status): $output"
    echo "systemd-analyze --user verify ($name unit, ExecStart=$bindir/tolvane): ${output:-clean}, status $status"
}

cmake --install "$build" --prefix "$work/prefix" > /dev/null || fail "cmake --install"
installed=$(cd "$work/prefix" && find . -type f | sort | tr '\n' ' ')
[ "$installed" = "./bin/tolvane ./bin/tolvane-report ./lib/systemd/user/tolvane.service \
./share/doc/tolvane/changelog.gz ./share/doc/tolvane/copyright ./share/man/man1/tolvane-report.1.gz \
./share/man/man1/tolvane.1.gz " ] || fail "cmake --install put: $installed"
echo "cmake --install: $installed"
for page in tolvane tolvane-report; do
    gzip -dc "$work/prefix/share/man/man1/$page.1.gz" | cmp -s - "doc/$page.1" ||
        fail "the installed $page.1.gz is not doc/$page.1"
done
verify_unit "cmake --install" "$work/prefix/lib/systemd/user/tolvane.service" "" "$work/prefix/bin" \
    "$work/prefix/share/man"

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" > cpack.log 2>&1) || { cat "$work/cpack.log"; fail "cpack -G DEB"; }
deb=$(ls "$work"/tolvane_*.deb 2>/dev/null | head -n 1)
if [ -n "$deb" ]; then
    files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $NF }' | sort | tr '\n' ' ')
    [ "$files" = "./usr/bin/tolvane ./usr/bin/tolvane-report ./usr/lib/systemd/user/tolvane.service \
./usr/share/doc/tolvane/changelog.gz ./usr/share/doc/tolvane/copyright \
./usr/share/man/man1/tolvane-report.1.gz ./usr/share/man/man1/tolvane.1.gz " ] || fail ".deb files: $files"
    # No maintainer scripts: the package enables nothing.
    control=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -v '/$' | sort | tr '\n' ' ')
    [ "$control" = "./control ./md5sums " ] || fail ".deb control archive holds: $control"
    for field in "Package: tolvane" "Version: 1.2.0" "Architecture: $architecture" \
        "Section: utils"; do
        dpkg-deb -f "$deb" | grep -qx "$field" || fail ".deb control lacks '$field'"
    done
    depends=$(dpkg-deb -f "$deb" Depends)
    [[ "$depends" == libc6* ]] || fail ".deb Depends (from shlibdeps) is '$depends'"
    echo "$(basename "$deb"): $files; Depends: $depends"
    version=$(dpkg-deb -f "$deb" Version)

    if command -v lintian >/dev/null; then
        # lintian warns when run as root; that line is not about the package.
        lint=$(lintian --fail-on error,warning --info "$deb" 2>&1)
        status=$?
        lint=$(grep -v '^running with root privileges is not recommended!$' <<<"$lint")
        [ "$status" = 0 ] || fail "lintian --fail-on error,warning ($status)"
        echo "lintian --fail-on error,warning --info $(basename "$deb"): ${lint:-clean}, status $status"
    else
        fail "lintian is not installed"
    fi

    dpkg-deb -x "$deb" "$work/root"
    for program in tolvane tolvane-report; do
        sections=$(readelf -SW "$work/root/usr/bin/$program")
        ! grep -Eq '\] \.(symtab|comment) ' <<<"$sections" || fail "the packaged $program keeps .symtab or .comment"
    done
    csv=$("${emulator[@]}" "$work/root/usr/bin/tolvane-report" --format=csv doc/sample-battery.log)
    [ "$(grep -c ',ac,' <<<"$csv")" -gt 0 ] || fail "the unpacked tolvane-report gave: $csv"
    echo "unpacked /usr/bin/tolvane-report on doc/sample-battery.log: $(($(grep -c '' <<<"$csv") - 1)) sessions"
    gzip -dc "$work/root/usr/share/doc/tolvane/changelog.gz" | head -n 1 | grep -q "^tolvane ($version) " ||
        fail "the changelog's latest entry is not $version"
    verify_unit ".deb" "$work/root/usr/lib/systemd/user/tolvane.service" "$work/root" /usr/bin \
        "$work/root/usr/share/man"
    mkdir -p "$work/tree/AC"
    echo Mains > "$work/tree/AC/type"
    echo 1 > "$work/tree/AC/online"
    if [ "$(id -u)" = 0 ] && unshare -m true 2>/dev/null; then
        output=$(unshare -m sh -c 'mount --bind "$0" /sys/class/power_supply && exec timeout 3 "$@"' \
            "$work/tree" "${emulator[@]}" "$work/root/usr/bin/tolvane")
        grep -Eq '^[0-9/]{8} [0-9:]{8}  Power source: AC       Status: No battery, \?\?%$' <<<"$output" ||
            fail "unpacked tolvane printed: $output"
        echo "unpacked /usr/bin/tolvane against a fake tree: $(tail -n 1 <<<"$output")"
    else
        echo "SKIPPED: running the unpacked binary needs root for the fake tree"
    fi
else
    fail "no .deb made"
fi

# check_task ZIP: the zip's tolvane-log-task.xml is what schtasks /xml
# takes (UTF-16LE with its mark, CR LF, well-formed XML in the Task
# Scheduler's namespace) and the task README.txt describes: at every start
# of Windows, as SYSTEM, on battery too and for good, a health reading and
# then the monitor, appended to their files in C:\Program Files\Tolvane.
check_task() {
    local task=$work/tolvane-log-task.xml text=$work/task.utf8 lines crlf query expected before=$failures
    unzip -p "$1" tolvane-log-task.xml > "$task"
    [ "$(head -c 2 "$task" | od -An -tx1 | tr -d ' ')" = fffe ] || fail "tolvane-log-task.xml has no UTF-16LE mark"
    iconv -f UTF-16 -t UTF-8 "$task" > "$text" || fail "tolvane-log-task.xml is not UTF-16"
    lines=$(grep -c '' "$text")
    crlf=$(grep -c $'\r$' "$text")
    [ "$lines" -gt 0 ] && [ "$lines" = "$crlf" ] || fail "tolvane-log-task.xml: $crlf of $lines lines end in CR LF"
    xmllint --noout "$task" || fail "tolvane-log-task.xml is no well-formed XML"
    # "QUERY == VALUE": each setting as XPath, and its value.
    for query in \
        'namespace-uri(/*) == http://schemas.microsoft.com/windows/2004/02/mit/task' \
        'local-name(/*) == Task' \
        'count(/*/*[local-name()="Triggers"]/*) == 1' \
        'count(/*/*[local-name()="Triggers"]/*[local-name()="BootTrigger"]) == 1' \
        'string(//*[local-name()="Principal"]/*[local-name()="UserId"]) == S-1-5-18' \
        'string(//*[local-name()="Settings"]/*[local-name()="DisallowStartIfOnBatteries"]) == false' \
        'string(//*[local-name()="Settings"]/*[local-name()="StopIfGoingOnBatteries"]) == false' \
        'string(//*[local-name()="Settings"]/*[local-name()="ExecutionTimeLimit"]) == PT0S' \
        'count(/*/*[local-name()="Actions"]/*) == 1' \
        'string(//*[local-name()="Exec"]/*[local-name()="Command"]) == %SystemRoot%\System32\cmd.exe' \
        'string(//*[local-name()="Exec"]/*[local-name()="Arguments"]) == /c .\tolvane-report.exe --batteries --format=log >> battery-health.log & .\tolvane.exe >> battery.log' \
        'string(//*[local-name()="Exec"]/*[local-name()="WorkingDirectory"]) == %ProgramFiles%\Tolvane'; do
        expected=${query#* == }
        query=${query%% == *}
        [ "$(xmllint --xpath "$query" "$task" 2>&1)" = "$expected" ] ||
            fail "tolvane-log-task.xml: $query is $(xmllint --xpath "$query" "$task" 2>&1), not $expected"
    done
    tr -d '\r' < "$work/README.txt" | grep -Fq '/xml "%ProgramFiles%\Tolvane\tolvane-log-task.xml"' ||
        fail "README.txt does not import tolvane-log-task.xml from %ProgramFiles%\Tolvane"
    [ "$failures" != "$before" ] ||
        crlfs="$crlfs; tolvane-log-task.xml UTF-16LE, $crlf/$lines lines CR LF, a boot task on battery too, without limit"
}

(cd "$work" && cpack -G ZIP --config "$win32/CPackConfig.cmake" > cpack-zip.log 2>&1) || { cat "$work/cpack-zip.log"; fail "cpack -G ZIP"; }
zip=$(ls "$work"/tolvane-*-win32.zip 2>/dev/null | head -n 1)
if [ -n "$zip" ]; then
    entries=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
    [ "$entries" = "LICENSE.txt README.txt tolvane-log-task.xml tolvane-report.exe tolvane.exe " ] ||
        fail "zip holds: $entries"
    crlfs=""
    for text in README.txt LICENSE.txt; do
        unzip -p "$zip" "$text" > "$work/$text"
        lines=$(grep -c '' "$work/$text")
        crlf=$(grep -c $'\r$' "$work/$text")
        [ "$lines" -gt 0 ] && [ "$lines" = "$crlf" ] || fail "$text: $crlf of $lines lines end in CR LF"
        crlfs="$crlfs; $text $crlf/$lines lines CR LF"
    done
    tr -d '\r' < "$work/LICENSE.txt" | cmp -s - LICENSE || fail "the zip's LICENSE.txt is not LICENSE"
    check_task "$zip"
    sizes=""
    for exe in tolvane.exe tolvane-report.exe; do
        unzip -p "$zip" "$exe" > "$work/$exe"
        objdump -f "$work/$exe" | grep -q 'file format pei-i386' || fail "zip's $exe is not 32-bit"
        # Shipped stripped: the MinGW runtime alone brings some 190 KB of DWARF.
        sections=$(objdump -h "$work/$exe") || fail "objdump -h on the zip's $exe"
        grep -q ' \.text ' <<<"$sections" || fail "zip's $exe: no .text in: $sections"
        debug=$(awk '$2 ~ /^\.debug/ { print $2 }' <<<"$sections" | tr '\n' ' ')
        [ -z "$debug" ] || fail "zip's $exe is not stripped: $debug"
        sizes="$sizes $exe $(stat -c %s "$work/$exe") bytes, debug sections: ${debug:-none};"
    done
    echo "$(basename "$zip"): $entries$crlfs;$sizes"
else
    fail "no Windows zip made"
fi

if [ "$failures" -gt 0 ]; then
    echo "$failures package check(s) failed"
    exit 1
fi
echo "package checks passed"
