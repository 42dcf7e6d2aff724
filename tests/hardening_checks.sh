#!/usr/bin/env bash
# Reads the built binary: PIE, full RELRO, stack protector and the checked
# (_FORTIFY_SOURCE) buffer functions from its ELF headers; Debian's
# hardening-check; and, on x86-64, the instructions that stack clash
# protection and control-flow protection put into our own functions.
# Usage: hardening_checks.sh path/to/tolvane (not stripped)
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

# Control flow integrity is left out: hardening-check reads it from the
# GNU property note, which the linker drops because the C runtime's start
# files carry none (it says "no" for /usr/bin/ls too). The instructions
# are checked below instead.
if command -v hardening-check >/dev/null; then
    report=$(hardening-check --nocfprotection "$bin" 2>&1)
    status=$?
    sed 's/^/  /' <<<"$report"
    check "hardening-check --nocfprotection" test "$status" = 0
else
    echo "FAIL: hardening-check is not installed (Debian: devscripts)"
    failures=$((failures + 1))
fi

if objdump -f "$bin" | grep -q 'architecture: i386:x86-64'; then
    disassembly=$(objdump -d --no-show-raw-insn -C "$bin")
    # Every function that may be called through a pointer begins with
    # endbr64 under -fcf-protection; ours are all external ones.
    for function in main MonitorLoop ReadPowerStatus PauseMilliseconds ReadPowerSupplyClass \
        WriteStatusReport FormatDateStamp FormatTimeStamp ReadLocalTime; do
        first=$(awk -v name="$function" '
            $2 == "<" name ">:" || index($2, "<" name "(") == 1 { getline; print $2; exit }' \
            <<<"$disassembly")
        check "$function starts with endbr64 (found: ${first:-no such function})" test "$first" = endbr64
    done
    # hardening-check only knows the probes of variable-sized frames; the
    # supply reader's fixed frame of several pages is probed page by page:
    # sub $0x1000,%rsp then orq $0x0,(%rsp).
    check "stack clash probes in ReadPowerSupplyClass" grep -Pzq \
        '<ReadPowerSupplyClass\([^\n]*>:\n(\s+[0-9a-f]+:[^\n]*\n)*?\s+[0-9a-f]+:\s+sub\s+\$0x1000,%rsp\n\s+[0-9a-f]+:\s+orq?\s+\$0x0,\(%rsp\)' \
        <<<"$disassembly"
else
    echo "SKIPPED: endbr64 and stack clash probes: not an x86-64 binary"
fi
[ "$failures" = 0 ] && echo "hardening checks passed" || exit 1
