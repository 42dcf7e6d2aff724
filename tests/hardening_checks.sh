#!/usr/bin/env bash
# Reads the built binary: PIE, full RELRO, stack protector and the checked
# (_FORTIFY_SOURCE) buffer functions from its ELF headers; Debian's
# hardening-check; and the instructions that control-flow protection
# (x86-64, arm64) and stack clash protection (x86-64) put into our own
# functions.
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

# Every function that may be called through a pointer begins with a
# landing pad: endbr64 under -fcf-protection on x86-64; on arm64, under
# -mbranch-protection=standard, bti c, or paciasp where the function signs
# its return address (which serves as one). Ours are all external ones.
machine=$(readelf -h "$bin" | sed -n 's/^ *Machine: *//p')
case $machine in
    *X86-64) objdump=objdump landing=endbr64 ;;
    AArch64) objdump=aarch64-linux-gnu-objdump landing='bti c|paciasp' ;;
    *) objdump="" landing="" ;;
esac
if [ -z "$objdump" ]; then
    echo "SKIPPED: landing pads and stack clash probes: not checked on $machine"
elif ! disassembly=$("$objdump" -d --no-show-raw-insn -C "$bin"); then
    echo "FAIL: $objdump could not disassemble $bin"
    failures=$((failures + 1))
else
    for function in main MonitorLoop ReadPowerStatus PauseMilliseconds ReadPowerSupplyClass \
        WriteStatusReport FormatDateStamp FormatTimeStamp ReadLocalTime; do
        first=$(awk -v name="$function" '
            $2 == "<" name ">:" || index($2, "<" name "(") == 1 { getline; $1 = ""; sub(/^ +/, ""); print; exit }' \
            <<<"$disassembly")
        check "$function starts with $landing (found: ${first:-no such function})" \
            grep -Eqx "($landing)" <<<"$first"
    done
fi
if [ "$landing" = endbr64 ]; then
    # hardening-check only knows the probes of variable-sized frames; the
    # supply reader's fixed frame of several pages is probed page by page:
    # sub $0x1000,%rsp then orq $0x0,(%rsp).
    check "stack clash probes in ReadPowerSupplyClass" grep -Pzq \
        '<ReadPowerSupplyClass\([^\n]*>:\n(\s+[0-9a-f]+:[^\n]*\n)*?\s+[0-9a-f]+:\s+sub\s+\$0x1000,%rsp\n\s+[0-9a-f]+:\s+orq?\s+\$0x0,\(%rsp\)' \
        <<<"$disassembly"
elif [ -n "$landing" ]; then
    # GCC on arm64 assumes a 64 KiB guard and probes only frames beyond it;
    # the supply reader's 16 KiB give the same code with or without the flag.
    echo "not checked: stack clash probes ($machine: no frame of ours is large enough to get any)"
fi
[ "$failures" = 0 ] && echo "hardening checks passed" || exit 1
