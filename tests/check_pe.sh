#!/usr/bin/env bash
# Checks a Windows executable's headers: machine, console subsystem, imports
# of KERNEL32 and USER32 only, entry point at program_start, ASLR, DEP and
# terminal-server awareness on (and, on x86, no SEH handlers declared),
# resources with no time stamp, and its size within a budget.
# usage: check_pe.sh OBJDUMP EXE MAP FORMAT ENTRY-SYMBOL MAX-BYTES
set -u
objdump=$1 exe=$2 map=$3 format=$4 entry_symbol=$5 budget=$6
headers=$("$objdump" -p "$exe") || { echo "can not read $exe"; exit 1; }
failed=0
fail() { echo "FAIL: $*"; failed=1; }

grep -q "file format $format\$" <<<"$headers" ||
  fail "not $format: $(grep -m1 'file format' <<<"$headers")"
grep -q $'^Subsystem\t\t00000003\t(Windows CUI)' <<<"$headers" ||
  fail "not a console program"

dlls=$(awk '/DLL Name:/ {print $3}' <<<"$headers" | sort | tr '\n' ' ')
[ "$dlls" = "KERNEL32.dll USER32.dll " ] || fail "imports: $dlls"

entry=$(awk '/^AddressOfEntryPoint/ {print $2}' <<<"$headers")
base=$(awk '/^ImageBase/ {print $2}' <<<"$headers")
symbol=$(awk -v s="$entry_symbol" '$2 == s {print $1; exit}' "$map")
if [ -z "$symbol" ]; then
  fail "no $entry_symbol in $map"
elif [ $((0x$base + 0x$entry)) -ne $((symbol)) ]; then
  fail "entry point $entry is not $entry_symbol ($symbol)"
fi

flags="DYNAMIC_BASE NX_COMPAT TERMINAL_SERVICE_AWARE"
[ "$format" = pei-i386 ] && flags="$flags NO_SEH"
for flag in $flags; do
  grep -q "^[[:space:]]*$flag\$" <<<"$headers" || fail "$flag is off"
done
# Without its relocations an image can't be moved, whatever the flag says.
grep -q 'relocations stripped' <<<"$headers" && fail "relocations stripped"

# The resource directory's second word is its time stamp: a build's time
# there would make every build differ.
stamp=$("$objdump" -s -j .rsrc "$exe" | awk '/^ [0-9a-f]+ / {print $3; exit}')
[ "$stamp" = 00000000 ] || fail "resource time stamp ${stamp:-missing}"

size=$(stat -c %s "$exe")
[ "$size" -le "$budget" ] || fail "$size bytes, over the budget of $budget"
echo "$exe: $size bytes (budget $budget), imports $dlls"
exit $failed
