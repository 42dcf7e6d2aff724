#!/usr/bin/env bash
# Install and packages: `cmake --install`, the man page's lint, the .deb
# (file list, control fields, and the unpacked binary run against a fake
# tree) and the Windows zip (its files, README.txt in CR LF, the exe
# stripped).
# Usage: package_checks.sh BUILD-DIR BUILD-WIN32-DIR
set -u
cd "$(dirname "$0")/.."
build=$(realpath "$1")
win32=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

lint=$(mandoc -Tlint doc/tolvane.1 2>&1) && [ -z "$lint" ] || fail "mandoc -Tlint: $lint"
echo "mandoc -Tlint doc/tolvane.1: ${lint:-clean}"

cmake --install "$build" --prefix "$work/prefix" > /dev/null || fail "cmake --install"
installed=$(cd "$work/prefix" && find . -type f | sort | tr '\n' ' ')
[ "$installed" = "./bin/tolvane ./share/man/man1/tolvane.1 " ] || fail "cmake --install put: $installed"
echo "cmake --install: $installed"

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" > cpack.log 2>&1) || { cat "$work/cpack.log"; fail "cpack -G DEB"; }
deb=$(ls "$work"/tolvane_*.deb 2>/dev/null | head -n 1)
if [ -n "$deb" ]; then
    files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $NF }' | sort | tr '\n' ' ')
    [ "$files" = "./usr/bin/tolvane ./usr/share/man/man1/tolvane.1 " ] || fail ".deb files: $files"
    for field in "Package: tolvane" "Version: 1.0.0" "Architecture: $(dpkg --print-architecture)" \
        "Section: utils"; do
        dpkg-deb -f "$deb" | grep -qx "$field" || fail ".deb control lacks '$field'"
    done
    depends=$(dpkg-deb -f "$deb" Depends)
    [[ "$depends" == libc6* ]] || fail ".deb Depends (from shlibdeps) is '$depends'"
    echo "$(basename "$deb"): $files; Depends: $depends"

    dpkg-deb -x "$deb" "$work/root"
    mkdir -p "$work/tree/AC"
    echo Mains > "$work/tree/AC/type"
    echo 1 > "$work/tree/AC/online"
    if [ "$(id -u)" = 0 ] && unshare -m true 2>/dev/null; then
        output=$(unshare -m sh -c 'mount --bind "$0" /sys/class/power_supply && exec timeout 3 "$1"' \
            "$work/tree" "$work/root/usr/bin/tolvane")
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
    [ "$entries" = "README.txt tolvane.exe " ] || fail "zip holds: $entries"
    unzip -p "$zip" README.txt > "$work/README.txt"
    lines=$(grep -c '' "$work/README.txt")
    crlf=$(grep -c $'\r$' "$work/README.txt")
    [ "$lines" -gt 0 ] && [ "$lines" = "$crlf" ] || fail "README.txt: $crlf of $lines lines end in CR LF"
    unzip -p "$zip" tolvane.exe > "$work/tolvane.exe"
    objdump -f "$work/tolvane.exe" | grep -q 'file format pei-i386' || fail "zip's tolvane.exe is not 32-bit"
    # Shipped stripped: the MinGW runtime alone brings some 190 KB of DWARF.
    sections=$(objdump -h "$work/tolvane.exe") || fail "objdump -h on the zip's tolvane.exe"
    grep -q ' \.text ' <<<"$sections" || fail "zip's tolvane.exe: no .text in: $sections"
    debug=$(awk '$2 ~ /^\.debug/ { print $2 }' <<<"$sections" | tr '\n' ' ')
    [ -z "$debug" ] || fail "zip's tolvane.exe is not stripped: $debug"
    echo "$(basename "$zip"): $entries; README.txt $crlf/$lines lines CR LF;" \
        "tolvane.exe $(stat -c %s "$work/tolvane.exe") bytes, debug sections: ${debug:-none}"
else
    fail "no Windows zip made"
fi

if [ "$failures" -gt 0 ]; then
    echo "$failures package check(s) failed"
    exit 1
fi
echo "package checks passed"
