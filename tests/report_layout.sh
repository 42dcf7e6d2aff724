#!/usr/bin/env bash
# tolvane-report's stages depend one way, as its data flows: the installed
# batteries, then reading the log, then the figures, then the outputs. A
# file may include its own stage and the ones before it, never a later
# one; and no source with its header grows past 300 lines.
# Usage: report_layout.sh path/to/report
set -u
cd "$1" || exit 1
stages=(batteries read figures output)
rank() {
    local i
    for i in "${!stages[@]}"; do
        [ "${stages[$i]}" = "$1" ] && echo "$i" && return
    done
    echo 99  # the top: main, options, run_report
}
problems=0
for file in */*.h */*.cpp; do
    own=$(rank "${file%%/*}")
    while IFS= read -r included; do
        if [ "$(rank "$included")" -gt "$own" ]; then
            echo "FAIL: $file includes report/$included/, a later stage"
            problems=$((problems + 1))
        fi
    done < <(sed -n 's|^#include "report/\([a-z]*\)/.*|\1|p' "$file")
done
for header in */*.h *.h; do
    source=${header%.h}.cpp
    lines=$(cat "$header" $([ -f "$source" ] && echo "$source") | wc -l)
    if [ "$lines" -gt 300 ]; then
        echo "FAIL: ${header%.h} has $lines lines with its header, more than 300"
        problems=$((problems + 1))
    fi
done
[ "$problems" -eq 0 ] && echo "PASS: $(ls */*.cpp *.cpp | wc -l) sources, every include one way"
[ "$problems" -eq 0 ]
