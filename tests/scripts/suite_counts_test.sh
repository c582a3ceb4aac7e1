#!/usr/bin/env bash
# scripts/suite-counts.sh on reports that CTest itself writes: what passed, failed and was skipped,
# and that a missing, cut-off or empty report, a failure or a test CTest could not start is never
# counted as success.
#   suite_counts_test.sh SUITE_COUNTS
set -euo pipefail
counts=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One small project with a test of each outcome, run by CTest into report.xml.
cat >"$work/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(outcomes NONE)
enable_testing()
add_test(NAME a.passes COMMAND true)
add_test(NAME a.fails COMMAND false)
add_test(NAME b.skips COMMAND sh -c "exit 77")
add_test(NAME b.no_program COMMAND /nonexistent/program)
add_test(NAME b.disabled COMMAND true)
add_test(NAME c.passes COMMAND true)
set_tests_properties(b.skips b.no_program PROPERTIES SKIP_RETURN_CODE 77)
set_tests_properties(b.disabled PROPERTIES DISABLED ON)
CMAKE
cmake -S "$work" -B "$work/build" >/dev/null
(ctest --test-dir "$work/build" --output-junit "$work/mixed.xml" >/dev/null 2>&1) || true
(ctest --test-dir "$work/build" -R '^[ac]\.passes$|^b\.skips$' --output-junit "$work/good.xml" \
  >/dev/null 2>&1)
head -n 12 "$work/good.xml" >"$work/cut.xml"
(ctest --test-dir "$work/build" -R '^none$' --no-tests=ignore --output-junit "$work/empty.xml" \
  >/dev/null 2>&1)

# reports | exit code | the closing line
cases=(
  "good.xml|0|total: 2 passed, 0 failed, 1 skipped"
  "mixed.xml|1|total: 2 passed, 2 failed, 2 skipped"
  "good.xml absent.xml|1|total: 2 passed, 1 failed, 1 skipped"
  "good.xml cut.xml|1|total: 2 passed, 1 failed, 1 skipped"
  "absent.xml|1|total: 0 passed, 1 failed, 0 skipped"
  "good.xml empty.xml|1|total: 2 passed, 1 failed, 1 skipped"
)
failures=0
for case in "${cases[@]}"; do
  IFS='|' read -r reports want_code want_line <<<"$case"
  read -ra files <<<"$reports"
  code=0
  output=$(cd "$work" && "$counts" "${files[@]}") || code=$?
  line=$(tail -n 1 <<<"$output")
  if [ "$code" != "$want_code" ] || [ "$line" != "$want_line" ]; then
    echo "FAILED: $reports: exit $code and '$line', not exit $want_code and '$want_line'"
    failures=$((failures + 1))
  fi
done
# The suites are counted apart.
output=$(cd "$work" && "$counts" mixed.xml) || true
grep -qE '^  b +0 passed, 1 failed, 2 skipped$' <<<"$output" ||
  { echo "FAILED: suite b of mixed.xml:"; echo "$output"; failures=$((failures + 1)); }
[ $failures = 0 ] || exit 1
echo "suite-counts: ${#cases[@]} sets of reports counted as expected"
