#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) into build-fuzz/ and runs each, or the one named,
# for 1,000,000 executions or the number given, over a copy of its corpus.
#
#   scripts/fuzz.sh [target|all] [executions]
#
# A crash is written to build-fuzz/work/<target>/crashes/; once fixed, copy it
# into fuzz/corpus/<target>/, whose files the test suite replays.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:-all}
runs=${2:-1000000}
build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTERRALOG_FUZZ=ON -DTERRALOG_BUILD_TESTS=OFF -DTERRALOG_BUILD_BENCH=OFF > /dev/null
if [ "$target" = all ]; then
  targets=$(sed -n 's/^terralog_fuzz_target(\([a-z0-9_]*\).*/\1/p' fuzz/CMakeLists.txt)
else
  targets=$target
fi
for t in $targets; do
  cmake --build "$build" --target "fuzz_$t"
  work="$PWD/$build/work/$t"  # absolute: a target may change its working folder
  mkdir -p "$work/corpus" "$work/crashes"
  cp -n "fuzz/corpus/$t/"* "$work/corpus/"
  "$PWD/$build/fuzz/fuzz_$t" -runs="$runs" -artifact_prefix="$work/crashes/" -print_final_stats=1 "$work/corpus"
  echo "fuzz_$t: $runs executions; crashes, if any, in $work/crashes/"
done
