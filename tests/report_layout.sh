#!/usr/bin/env bash
# tolvane-report's stages depend one way, as its data flows: the installed
# batteries, then reading the log, then the figures, then the outputs. A
# file may include its own stage and the ones before it, never a later
# one; and no source with its header grows past 300 lines.
# Usage: report_layout.sh path/to/report
set -u
cd "$1" || exit 1
awk '
    BEGIN { rank["batteries"] = 1; rank["read"] = 2; rank["figures"] = 3; rank["output"] = 4 }
    # The stage of a path below report/; the top (main, options, run_report) is after all.
    function stage(path) { return path ~ /\// ? rank[substr(path, 1, index(path, "/") - 1)] : 9 }
    FNR == 1 { own = stage(FILENAME); unit = FILENAME; sub(/\.(h|cpp)$/, "", unit); sources[unit] = 1 }
    { lines[unit]++ }
    /^#include "report\// {
        included = $2
        gsub(/"/, "", included)
        sub(/^report\//, "", included)
        if (stage(included) > own) {
            print "FAIL: " FILENAME " includes report/" included ", of a later stage"
            problems++
        }
    }
    END {
        for (unit in sources) {
            if (lines[unit] > 300) {
                print "FAIL: " unit " has " lines[unit] " lines with its header, more than 300"
                problems++
            }
        }
        if (!problems) {
            print "PASS: " length(sources) " sources and headers, every include one way"
        }
        exit problems > 0
    }' */*.h */*.cpp *.h *.cpp
