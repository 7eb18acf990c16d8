#!/bin/sh
# Runs the program on one input file under valgrind's memcheck and fails on any memory error
# or leak, or on an exit status other than the expected one.
# Usage: memcheck.sh SANITIZED PROGRAM INPUT EXPECTED_STATUS
# Exits 77 (skipped) for a sanitized build, which valgrind cannot run, or without valgrind.
sanitized=$1 program=$2 input=$3 expected=$4
[ "$sanitized" = 1 ] && { echo "skipped: sanitized build"; exit 77; }
command -v valgrind >/dev/null 2>&1 || { echo "skipped: valgrind is not installed"; exit 77; }

valgrind --quiet --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite,indirect \
  "$program" "$input" </dev/null >/dev/null
status=$?
[ "$status" -eq 99 ] && { echo "memcheck found errors in $program $input"; exit 1; }
[ "$status" -eq "$expected" ] || { echo "exit status $status, expected $expected"; exit 1; }
exit 0
