#!/usr/bin/env bash
# The longer crash run, beyond the short one of the test suite:
#  1. the suite's random-kill test with more trials on a larger workload;
#  2. terralog-sql killed (SIGKILL) at random moments of an UPDATE of every
#     row, a DELETE of half, an INSERT ... SELECT and an ALTER TABLE of a
#     table of 360,448 rows; the next opening must find the statement whole or
#     not at all, a file that matches its header, and nothing left beside it.
#
#   scripts/crash_test.sh [trials of 1] [rows of 1] [trials per statement of 2]
set -euo pipefail
cd "$(dirname "$0")/.."
trials=${1:-250}
rows=${2:-20000}
kills=${3:-15}
build=${BUILD:-build}
cmake --build "$build" --target test_engine terralog-sql > /dev/null

TERRALOG_CRASH_TRIALS=$trials TERRALOG_CRASH_ROWS=$rows "$build/tests/test_engine" \
  --gtest_filter='Crash.KilledAtRandomMoments' --gtest_brief=1

sql="$build/terralog-sql"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
master="$work/master"
mkdir -p "$master"
T="\"$master/T.DBF\""
echo "CREATE TABLE $T (K DECIMAL(2,0), N DECIMAL(10,0), NAME CHAR(40))" | "$sql" > /dev/null
for k in 0 1 2 3 4 5 6 7 8 9; do
  echo "INSERT INTO $T VALUES ($k, $((k * 7)), \"RAND $k AL UNEI TABLE DE PROBA\")" | "$sql" > /dev/null
done
for i in $(seq 15); do echo "INSERT INTO $T (K, N, NAME) SELECT K, N + 1, NAME FROM $T" | "$sql" > /dev/null; done
echo "INSERT INTO $T (K, N, NAME) SELECT K, N, NAME FROM $T WHERE K=0" | "$sql" > /dev/null

# What an opening finds: the rows, their sum, the fields; and the file checked
# against its header, with nothing else in the folder.
state() {
  local dir=$1
  printf 'SELECT Count(*) AS C, SUM(N) AS S, SUM(K) AS SK FROM "%s/T.DBF"' "$dir" | "$sql" | tail -1 | tr '\t' ' '
  printf 'SELECT * FROM "%s/T.DBF" WHERE K=-1' "$dir" | "$sql" | head -1 | tr '\t' ' '
  python3 - "$dir" <<'PY'
import os, struct, sys
d = sys.argv[1]
names = sorted(os.listdir(d))
if names != ["T.DBF"]: print("left in the folder:", names)
b = open(os.path.join(d, "T.DBF"), "rb").read()
count, header, record = struct.unpack("<IHH", b[4:12])
body = header + count * record
if len(b) not in (body, body + 1): print("size", len(b), "does not match the header's", body)
PY
}

statements=(
  "UPDATE {T} SET N=N+1"
  "DELETE FROM {T} WHERE K<5"
  "INSERT INTO {T} (K, N, NAME) SELECT K, N, NAME FROM {T} WHERE K=1"
  "ALTER TABLE {T} ADD EXTRA CHAR(10)"
)
failures=0
for statement in "${statements[@]}"; do
  run="$work/run"
  rm -rf "$run"; cp -r "$master" "$run"
  before=$(state "$run")
  text=${statement//\{T\}/\"$run/T.DBF\"}
  start=$(date +%s%N)
  echo "$text" | "$sql" > /dev/null
  span=$(( ($(date +%s%N) - start) / 1000 ))
  after=$(state "$run")
  cut=0
  for trial in $(seq "$kills"); do
    rm -rf "$run"; cp -r "$master" "$run"
    echo "$text" | "$sql" > /dev/null 2>&1 &
    pid=$!
    sleep "$(python3 -c "import random; print(random.randint(1, $span) / 1e6)")"
    if kill -9 "$pid" 2> /dev/null; then cut=$((cut + 1)); fi
    wait "$pid" 2> /dev/null || true
    found=$(state "$run")
    if [ "$found" != "$before" ] && [ "$found" != "$after" ]; then
      failures=$((failures + 1))
      printf 'FAILED: %s\n  found:  %s\n  before: %s\n  after:  %s\n' "$statement" "$found" "$before" "$after"
    fi
  done
  echo "$statement: $kills trials, $cut killed midway (the statement alone takes $((span / 1000)) ms)"
done
[ "$failures" -eq 0 ] && echo "terralog-sql: every killed statement was whole or absent" || exit 1
