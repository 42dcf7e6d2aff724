#!/usr/bin/env bash
# Fetches the i386 Wine that runs the 32-bit tolvane.exe on this 64-bit
# machine: Debian's own wine32 and libwine for i386, the same version as
# the installed wine64, with all their i386 dependencies, downloaded by
# apt-get into a private state and cache (nothing system-wide: no dpkg
# --add-architecture, no binfmt) and unpacked with dpkg-deb -x into
# CACHE-DIR/root. The kernel here refuses 32-bit code, so that Wine runs
# under qemu-i386-static (see windows_checks.sh).
# Later runs find CACHE-DIR/root complete and download nothing.
# Usage: wine_i386.sh CACHE-DIR
# Exit status 0 when CACHE-DIR/root is ready; otherwise 77 and the reason
# on the last line of standard output.
set -u
cache=$(realpath -m "$1")
wine64=/usr/lib/wine/wine64
root=$cache/root
skip() { echo "$*"; exit 77; }

version=$(dpkg-query -W -f='${Version}' wine64 2>/dev/null) && [ -n "$version" ] && [ -x "$wine64" ] ||
    skip "wine64 is not installed (Debian: wine64)"
mkdir -p "$cache" || skip "can't make $cache"
exec 9> "$cache/lock"
flock 9

if [ "$(cat "$root/.version" 2>/dev/null)" = "$version" ]; then
    echo "i386 Wine $version: already unpacked in $root"
    exit 0
fi

started=$SECONDS
state=$cache/apt
rm -rf "$root" "$root.new" "$state"
mkdir -p "$state/lists/partial" "$state/cache/archives/partial" "$root.new"
: > "$state/status"
# An empty status file: apt-get resolves the whole i386 closure, as for a
# machine that has nothing installed, and only downloads it.
apt=(apt-get -q
     -o Dir::State::Lists="$state/lists"
     -o Dir::State::status="$state/status"
     -o Dir::State::extended_states="$state/extended_states"
     -o Dir::Cache="$state/cache"
     -o APT::Architecture=i386 -o APT::Architectures=i386
     -o APT::Install-Recommends=0 -o APT::Install-Suggests=0
     -o pkgCacheGen::Essential=none
     -o Debug::NoLocking=1 -o APT::Sandbox::User=root)
if ! "${apt[@]}" update > "$cache/apt.log" 2>&1 ||
    grep -q '^\(W: Failed\|E: \)' "$cache/apt.log"; then
    skip "apt-get update for i386 failed: $(grep -m1 '^[WE]: ' "$cache/apt.log" || tail -n 1 "$cache/apt.log")"
fi
if ! "${apt[@]}" install -y --download-only "wine32=$version" "libwine=$version" >> "$cache/apt.log" 2>&1; then
    skip "apt-get could not download wine32:i386 $version: $(grep -m1 '^E: ' "$cache/apt.log" || tail -n 1 "$cache/apt.log")"
fi
debs=("$state"/cache/archives/*.deb)
[ -f "${debs[0]}" ] || skip "apt-get downloaded no packages (see $cache/apt.log)"
size=$(du -cm "${debs[@]}" | tail -n 1 | cut -f1)
for deb in "${debs[@]}"; do
    dpkg-deb -x "$deb" "$root.new" || skip "dpkg-deb -x $deb failed"
done
[ -x "$root.new/usr/lib/wine/wine" ] || skip "the i386 packages hold no /usr/lib/wine/wine"
# The i386 Wine starts its 64-bit helpers (wineboot, services) through the
# wine64 beside its own loader: there, the machine's native one.
ln -sfn "$wine64" "$root.new/usr/lib/wine/wine64"
echo "$version" > "$root.new/.version"
mv "$root.new" "$root"
rm -rf "$state/cache"  # the unpacked tree is all later runs need
echo "i386 Wine $version: ${#debs[@]} packages, $size MB, downloaded and unpacked in $((SECONDS - started)) s"
