#!/usr/bin/env bash
# The longer crash run, beyond the short one of the test suite:
#  1. the suite's random-kill test with more trials on a larger workload;
#  2. terralog-sql killed (SIGKILL) amid an UPDATE of every row, a DELETE of
#     half, an INSERT ... SELECT and an ALTER TABLE of a table of 360,448
#     rows (scripts/crash_sql.py): the next opening must find the statement
#     whole or not at all, a file that matches its header, nothing beside it.
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

scripts/crash_sql.py "$build/terralog-sql" "$kills"
