#!/usr/bin/env bash
# Checks the Linux program: statically linked (no program interpreter, no
# dynamic section), stripped, and within a size budget.
# usage: check_elf.sh PROGRAM MAX-BYTES
set -u
program=$1 budget=$2
failed=0
fail() { echo "FAIL: $*"; failed=1; }
headers=$(readelf -lS "$program") || { echo "can not read $program"; exit 1; }
grep -q "INTERP" <<<"$headers" && fail "has a program interpreter"
grep -q "DYNAMIC" <<<"$headers" && fail "is linked dynamically"
grep -q "\.symtab" <<<"$headers" && fail "is not stripped"
size=$(stat -c %s "$program")
[ "$size" -le "$budget" ] || fail "$size bytes, over the budget of $budget"
echo "$program: $size bytes (budget $budget), static, stripped"
exit $failed
