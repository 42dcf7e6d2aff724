#!/usr/bin/env bash
# Install and packages: `cmake --install`, the man page's lint, the
# systemd user unit (systemd-analyze verify), the .deb (file list, control
# fields, lintian, and the unpacked binary run against a fake tree) and the
# Windows zip (its files, README.txt and LICENSE.txt in CR LF, the exe
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

lint=$(mandoc -Tlint doc/tolvane.1 2>&1) && [ -z "$lint" ] || fail "mandoc -Tlint: $lint"
echo "mandoc -Tlint doc/tolvane.1: ${lint:-clean}"

# verify_unit NAME UNIT ROOT BINDIR MANPATH: the user unit UNIT runs
# BINDIR/tolvane with its output to the journal, restarts it whatever ends
# it but exit status 2, and passes `systemd-analyze verify` without a word; the
# program is looked for under ROOT (the unpacked .deb), the man page of
# Documentation= in MANPATH. No systemd needs to run for this.
verify_unit() {
    local name=$1 unit=$2 root=$3 bindir=$4 manpath=$5 dir="$work/units/${1//[^a-z]/}" output status key
    if [ ! -f "$unit" ]; then
        fail "$name: no $unit"
        return
    fi
    [ "$(sed -n 's/^ExecStart=//p' "$unit")" = "$bindir/tolvane" ] ||
        fail "$name: ExecStart is not $bindir/tolvane: $(grep '^ExecStart' "$unit")"
    for key in StandardOutput=journal Restart=always RestartPreventExitStatus=2 \
        WantedBy=default.target; do
        grep -Eqx "$key" "$unit" || fail "$name: no $key in the unit"
    done
    mkdir -p "$dir" "$work/runtime"
    chmod 700 "$work/runtime"
    sed "s#^ExecStart=#ExecStart=$root#" "$unit" > "$dir/tolvane.service"
    output=$(XDG_RUNTIME_DIR="$work/runtime" MANPATH="$manpath" \
        systemd-analyze --user verify "$dir/tolvane.service" 2>&1)
    status=$?
    [ "$status" = 0 ] && [ -z "$output" ] || fail "$name: systemd-analyze verify ($status): $output"
    echo "systemd-analyze --user verify ($name unit, ExecStart=$bindir/tolvane): ${output:-clean}, status $status"
}

cmake --install "$build" --prefix "$work/prefix" > /dev/null || fail "cmake --install"
installed=$(cd "$work/prefix" && find . -type f | sort | tr '\n' ' ')
[ "$installed" = "./bin/tolvane ./lib/systemd/user/tolvane.service ./share/doc/tolvane/changelog.gz \
./share/doc/tolvane/copyright ./share/man/man1/tolvane.1.gz " ] || fail "cmake --install put: $installed"
echo "cmake --install: $installed"
gzip -dc "$work/prefix/share/man/man1/tolvane.1.gz" | cmp -s - doc/tolvane.1 ||
    fail "the installed tolvane.1.gz is not doc/tolvane.1"
verify_unit "cmake --install" "$work/prefix/lib/systemd/user/tolvane.service" "" "$work/prefix/bin" \
    "$work/prefix/share/man"

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" > cpack.log 2>&1) || { cat "$work/cpack.log"; fail "cpack -G DEB"; }
deb=$(ls "$work"/tolvane_*.deb 2>/dev/null | head -n 1)
if [ -n "$deb" ]; then
    files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $NF }' | sort | tr '\n' ' ')
    [ "$files" = "./usr/bin/tolvane ./usr/lib/systemd/user/tolvane.service \
./usr/share/doc/tolvane/changelog.gz ./usr/share/doc/tolvane/copyright \
./usr/share/man/man1/tolvane.1.gz " ] || fail ".deb files: $files"
    # No maintainer scripts: the package enables nothing.
    control=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -v '/$' | sort | tr '\n' ' ')
    [ "$control" = "./control ./md5sums " ] || fail ".deb control archive holds: $control"
    for field in "Package: tolvane" "Version: 1.0.0" "Architecture: $architecture" \
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
    sections=$(readelf -SW "$work/root/usr/bin/tolvane")
    ! grep -Eq '\] \.(symtab|comment) ' <<<"$sections" || fail "the packaged tolvane keeps .symtab or .comment"
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

(cd "$work" && cpack -G ZIP --config "$win32/CPackConfig.cmake" > cpack-zip.log 2>&1) || { cat "$work/cpack-zip.log"; fail "cpack -G ZIP"; }
zip=$(ls "$work"/tolvane-*-win32.zip 2>/dev/null | head -n 1)
if [ -n "$zip" ]; then
    entries=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
    [ "$entries" = "LICENSE.txt README.txt tolvane.exe " ] || fail "zip holds: $entries"
    crlfs=""
    for text in README.txt LICENSE.txt; do
        unzip -p "$zip" "$text" > "$work/$text"
        lines=$(grep -c '' "$work/$text")
        crlf=$(grep -c $'\r$' "$work/$text")
        [ "$lines" -gt 0 ] && [ "$lines" = "$crlf" ] || fail "$text: $crlf of $lines lines end in CR LF"
        crlfs="$crlfs; $text $crlf/$lines lines CR LF"
    done
    tr -d '\r' < "$work/LICENSE.txt" | cmp -s - LICENSE || fail "the zip's LICENSE.txt is not LICENSE"
    unzip -p "$zip" tolvane.exe > "$work/tolvane.exe"
    objdump -f "$work/tolvane.exe" | grep -q 'file format pei-i386' || fail "zip's tolvane.exe is not 32-bit"
    # Shipped stripped: the MinGW runtime alone brings some 190 KB of DWARF.
    sections=$(objdump -h "$work/tolvane.exe") || fail "objdump -h on the zip's tolvane.exe"
    grep -q ' \.text ' <<<"$sections" || fail "zip's tolvane.exe: no .text in: $sections"
    debug=$(awk '$2 ~ /^\.debug/ { print $2 }' <<<"$sections" | tr '\n' ' ')
    [ -z "$debug" ] || fail "zip's tolvane.exe is not stripped: $debug"
    echo "$(basename "$zip"): $entries$crlfs;" \
        "tolvane.exe $(stat -c %s "$work/tolvane.exe") bytes, debug sections: ${debug:-none}"
else
    fail "no Windows zip made"
fi

if [ "$failures" -gt 0 ]; then
    echo "$failures package check(s) failed"
    exit 1
fi
echo "package checks passed"
