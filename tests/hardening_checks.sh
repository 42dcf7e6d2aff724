#!/usr/bin/env bash
# Reads the ELF headers of the built binary: PIE, full RELRO, stack
# protector and the checked (_FORTIFY_SOURCE) buffer functions.
# Usage: hardening_checks.sh path/to/tolvane
set -u
bin=$1
failures=0
check() {  # check NAME COMMAND...: passes when the command succeeds
    local name=$1
    shift
    if "$@" >/dev/null 2>&1; then echo "ok: $name"; else echo "FAIL: $name"; failures=$((failures + 1)); fi
}
headers=$(readelf -hldW "$bin")
symbols=$(nm -D "$bin")
check "PIE" grep -Eq 'Type:\s+DYN' <<<"$headers"
check "PIE flag" grep -Eq 'FLAGS_1.*PIE' <<<"$headers"
check "RELRO segment" grep -q 'GNU_RELRO' <<<"$headers"
check "full RELRO (bind now)" grep -Eq '\(FLAGS\).*BIND_NOW|FLAGS_1.*NOW' <<<"$headers"
check "stack protector" grep -q '__stack_chk_fail' <<<"$symbols"
check "fortified calls" grep -Eq '__(s?n?printf|read|memcpy|memset)_chk' <<<"$symbols"
check "no executable stack" grep -Eq 'GNU_STACK.* RW ' <<<"$headers"
if command -v hardening-check >/dev/null; then
    check "hardening-check" hardening-check "$bin"
fi
[ "$failures" = 0 ] && echo "hardening checks passed" || exit 1
