#!/bin/sh
# memcheck.sh SANITIZED PROGRAM INPUT: runs PROGRAM on INPUT under valgrind; fails on a memory
# error, a leak, or a status other than 1 for bad-* inputs and 0 otherwise. 77: skipped.
sanitized=$1 program=$2 input=$3
[ "$sanitized" = 1 ] && { echo "skipped: valgrind cannot run a sanitized build"; exit 77; }
command -v valgrind >/dev/null 2>&1 || { echo "skipped: valgrind is not installed"; exit 77; }
case $(basename "$input") in bad-*) expected=1 ;; *) expected=0 ;; esac
valgrind --quiet --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite,indirect \
  "$program" "$input" </dev/null >/dev/null
status=$?
[ "$status" -eq 99 ] && { echo "memcheck found errors in $program $input"; exit 1; }
[ "$status" -eq "$expected" ] || { echo "exit status $status, expected $expected"; exit 1; }
