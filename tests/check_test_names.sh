#!/bin/sh
# Fails, naming them, when CTest shows a test whose name is a memory dump ("8-byte object <...>"):
# a row of a parameterised test whose type GoogleTest cannot print.
#   check_test_names.sh <ctest> <build directory>
# ctest -N only lists the tests, so this never runs one. It lists them from a scratch directory that
# includes the build's tests, because ctest replaces the log of the directory it is pointed at, and
# that log belongs to the run this check is part of.
set -eu
ctest=$1
build=$(readlink -f "$2")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
printf 'subdirs([==[%s]==])\n' "$build" >"$scratch/CTestTestfile.cmake"
listing=$("$ctest" --test-dir "$scratch" -N)
total=$(printf '%s\n' "$listing" | sed -n 's/^Total Tests: //p')
if [ "${total:-0}" -lt 2 ]; then
    echo "no tests listed in $build"
    exit 1
fi
dumps=$(printf '%s\n' "$listing" | grep 'byte object' || true)
if [ -n "$dumps" ]; then
    echo "Test names that show a parameter as memory (give its type a PrintTo):"
    printf '%s\n' "$dumps"
    exit 1
fi
echo "$total test names, none a memory dump"
