#!/usr/bin/env bash
# Fetches the i386 Wine that runs the 32-bit tolvane.exe on this 64-bit
# machine: Debian's own wine32 and libwine for i386, the same version as
# the installed wine64, with all their i386 dependencies, downloaded by
# apt-get into a private state and cache (nothing system-wide: no dpkg
# --add-architecture, no binfmt) and unpacked with dpkg-deb -x into
# CACHE-DIR/root. The kernel here refuses 32-bit code, so that Wine runs
# under qemu-i386-static (see windows_checks.sh).
# apt-get reads a sources list of its own: the machine's mirrors (from
# /etc/apt/sources.list and sources.list.d, either format) for just the
# suite that holds the installed wine64 (and its release's main suite, where
# that is an update suite), main only, i386 only. So a mirror that is
# mid-sync on another suite (bookworm-security, say) changes nothing here.
# A failed fetch is tried again twice, after a pause.
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
mkdir -p "$state/lists/partial" "$state/cache/archives/partial" "$state/sources.list.d" \
    "$state/preferences.d" "$root.new"
: > "$state/status"
: > "$cache/apt.log"

# The suites whose index lists the installed version, as the machine's apt
# knows them ("bookworm/main" in `apt-cache madison`); the release's own
# suite too when that is an update suite (bookworm-security: the
# dependencies are in bookworm). Without the machine's indexes, the release
# named in /etc/os-release.
suites=$(apt-cache madison wine64 2>/dev/null |
    awk -F' [|] ' -v version="$version" '$2 == version { split($3, where, " "); sub(/\/.*/, "", where[2]); print where[2] }')
[ -n "$suites" ] || suites=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
[ -n "$suites" ] || skip "no suite known for wine64 $version (apt-cache madison wine64 lists none)"
suites=$(for suite in $suites; do echo "$suite"; echo "${suite%%-*}"; done | sort -u | tr '\n' ' ')

# The machine's deb entries for those suites, as deb822 stanzas for i386
# and main alone: one-line entries ("deb [signed-by=KEY] URI SUITE
# COMPONENT...") and deb822 ones (Types/URIs/Suites/Signed-By, with
# Enabled: no left out; a Signed-By key given inline is kept as it is).
list=/etc/apt/sources.list parts=/etc/apt/sources.list.d/
eval "$(apt-config shell list Dir::Etc::SourceList/f parts Dir::Etc::SourceParts/d)"
sources=()
for file in "$list" "$parts"*.list "$parts"*.sources; do
    [ -f "$file" ] && sources+=("$file")
done
awk -v wanted=" $suites" '
    function emit(uris, suites, signedBy,   u, s, nu, ns, uri, suite) {
        nu = split(uris, uri, " "); ns = split(suites, suite, " ")
        for (u = 1; u <= nu; u++) for (s = 1; s <= ns; s++) {
            if (index(wanted, " " suite[s] " ") == 0 || seen[uri[u] " " suite[s]]++) continue
            printf "Types: deb\nURIs: %s\nSuites: %s\nComponents: main\nArchitectures: i386\n", uri[u], suite[s]
            if (signedBy != "") printf "Signed-By:%s\n", signedBy
            printf "\n"
        }
    }
    function flush() {
        if (types ~ /(^| )deb( |$)/ && tolower(enabled) != "no") emit(uris, suiteList, signed)
        types = uris = suiteList = signed = enabled = ""; field = ""
    }
    FNR == 1 { flush(); deb822 = FILENAME ~ /\.sources$/ }
    deb822 && /^[ \t]*$/ { flush(); next }
    deb822 && /^#/ { next }
    deb822 && /^[ \t]/ { if (field == "signed-by") signed = signed "\n" $0; next }
    deb822 {
        field = tolower(substr($0, 1, index($0, ":") - 1)); value = substr($0, index($0, ":") + 1)
        if (field == "types") types = value
        else if (field == "uris") uris = value
        else if (field == "suites") suiteList = value
        else if (field == "enabled") { enabled = value; gsub(/[ \t]/, "", enabled) }
        else if (field == "signed-by") signed = value
        next
    }
    $1 == "deb" {
        i = 2; key = ""
        if ($2 ~ /^\[/) {
            for (; i <= NF; i++) {
                if (match($i, /signed-by=[^] ]+/)) key = " " substr($i, RSTART + 10, RLENGTH - 10)
                if ($i ~ /\]$/) { i++; break }
            }
        }
        emit($i, $(i + 1), key)
    }
    END { flush() }' "${sources[@]}" /dev/null > "$state/sources.list.d/wine-i386.sources"
[ -s "$state/sources.list.d/wine-i386.sources" ] ||
    skip "no deb entry for ${suites% } in $list or $parts"
where=$(awk '/^URIs: / { u = $2 } /^Suites: / { print u, $2 }' "$state/sources.list.d/wine-i386.sources" |
    tr '\n' ';' | sed 's/;$//; s/;/; /g')

# An empty status file: apt-get resolves the whole i386 closure, as for a
# machine that has nothing installed, and only downloads it.
apt=(apt-get -q
     -o Dir::Etc::SourceList="$state/sources.list"
     -o Dir::Etc::SourceParts="$state/sources.list.d"
     -o Dir::Etc::Preferences="$state/preferences"
     -o Dir::Etc::PreferencesParts="$state/preferences.d"
     -o Dir::State::Lists="$state/lists"
     -o Dir::State::status="$state/status"
     -o Dir::State::extended_states="$state/extended_states"
     -o Dir::Cache="$state/cache"
     -o APT::Architecture=i386 -o APT::Architectures=i386
     -o APT::Install-Recommends=0 -o APT::Install-Suggests=0
     -o Acquire::Languages=none -o Acquire::http::Timeout=30 -o Acquire::https::Timeout=30
     -o pkgCacheGen::Essential=none
     -o Debug::NoLocking=1 -o APT::Sandbox::User=root)
# What counts is the download: an update that warns about an index this
# does not need still leaves the ones it does.
for try in 1 2 3; do
    echo "== try $try: $where" >> "$cache/apt.log"
    "${apt[@]}" update > "$cache/update.log" 2>&1
    "${apt[@]}" install -y --download-only "wine32=$version" "libwine=$version" \
        > "$cache/download.log" 2>&1
    status=$?
    cat "$cache/update.log" "$cache/download.log" >> "$cache/apt.log"
    [ "$status" = 0 ] && break
    if [ "$try" = 3 ]; then
        # The reason: the update's first failure, else the download's.
        reason=$(grep -h -e '^E: ' -e '^W: Failed' "$cache/update.log" "$cache/download.log" | head -n 1)
        skip "apt-get could not fetch wine32:i386 $version from $where (3 tries, see $cache/apt.log):" \
            "${reason:-$(tail -n 1 "$cache/download.log")}"
    fi
    sleep $((try * 5))
done
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
echo "i386 Wine $version from $where: ${#debs[@]} packages, $size MB, downloaded (try $try) and unpacked in $((SECONDS - started)) s"
