# shellcheck shell=bash
# The fleet page's checks for tests/fleet_end_to_end.sh, on the page as
# written and on the DOM that headless Chromium built from it. Sourced;
# expects $work, $hosts and fail().

# browse PAGE [HTML]: Chromium's DOM of PAGE (written first when HTML is
# given), as root, headless, on a fresh profile; its network log in PAGE.net.
browse() {
    [ $# -lt 2 ] || printf '%s\n' "$2" > "$1"
    rm -rf "$work/profile" && mkdir "$work/profile"
    timeout 120 chromium --headless --no-sandbox --disable-gpu --no-first-run \
        --disable-background-networking --disable-component-update --disable-sync \
        --user-data-dir="$work/profile" --log-net-log="$1.net" --dump-dom "file://$1" 2> "$1.err"
}
# What a page itself asked for: the requests whose site is the file.
requests() {
    grep 'site=file://' "$1.net" | grep -o '"url":"[^"]*"' | sort -u | tr '\n' ' '
}

# check_fleet_page FILE WHAT: one row of table#fleet per machine, with its
# name, a weekly drain chart and a link to a section.machine that has its
# name and its charge chart; one such section per machine.
check_fleet_page() {
    local flat table rows row host id section
    flat=$(tr -d '\n' < "$1")
    table=$(grep -o '<table id="fleet">.*' <<<"$flat" | sed 's#</table>.*##')
    [ -n "$table" ] || { fail "report: no table#fleet in the page ($2)"; return; }
    rows=$(sed 's#</tr>#\n#g' <<<"$table" | grep 'href="#machine-')
    [ "$(grep -c . <<<"$rows")" = "${#hosts[@]}" ] ||
        fail "report: $(grep -c . <<<"$rows") linked rows in table#fleet for ${#hosts[@]} machines ($2)"
    [ "$(grep -o '<section class="machine" id="machine-[0-9]*"' <<<"$flat" | sort -u | grep -c .)" = "${#hosts[@]}" ] ||
        fail "report: not one section.machine per machine ($2)"
    for host in "${hosts[@]}"; do
        row=$(grep ">$host<" <<<"$rows")
        [ "$(grep -c . <<<"$row")" = 1 ] || { fail "report: not one fleet row for $host ($2)"; continue; }
        [[ "$row" == *'<svg class="weekly-drain"'* ]] || fail "report: $host's row has no weekly drain chart ($2)"
        id=$(grep -o 'href="#machine-[0-9]*"' <<<"$row" | head -n 1 | sed 's/href="#\(.*\)"/\1/')
        section=$(grep -o "<section class=\"machine\" id=\"$id\">.*" <<<"$flat" | sed 's#</section>.*##')
        [ -n "$section" ] || { fail "report: $host's row links to #$id, which is no section.machine ($2)"; continue; }
        grep -Eq "(^|[^a-z])$host([^a-z]|$)" <<<"$section" || fail "report: section #$id, linked from $host, does not name it ($2)"
        [[ "$section" == *'<polyline class="charge"'* ]] || fail "report: $host's section has no charge chart ($2)"
    done
}
