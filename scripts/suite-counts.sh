#!/usr/bin/env bash
# Prints, from CTest JUnit reports, how many tests of each suite (the name up to its first dot)
# passed, failed and were skipped, then the totals on a closing line; exits non-zero unless
# every report is there, whole, and without a failure.
#   suite-counts.sh REPORT...
# A report that is missing (its build failed, or its tests never ran), cut off before its end or
# without a single test counts as a failure. Skipped means what a test itself asked for (its skip
# code) or a disabled test; a test CTest could not start at all (no program) is a failure.
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: suite-counts.sh REPORT..." >&2; exit 2; }
for report in "$@"; do
  if [ ! -f "$report" ]; then
    echo "missing $report"
  elif ! grep -q '^</testsuite>' "$report"; then
    echo "incomplete $report"
  else
    echo "report $report"
    cat "$report"
  fi
done | awk '
  function field(line, key) {
    if (!match(line, key "=\"[^\"]*\"")) return ""
    return substr(line, RSTART + length(key) + 2, RLENGTH - length(key) - 3)
  }
  function file() { return substr($0, length($1) + 2) }
  function close_report() {
    if (report != "" && cases == 0) { printf "  FAILED: no tests in %s\n", report; lost++ }
    report = ""
  }
  /^(missing|incomplete|report) / { close_report() }
  /^(missing|incomplete) / {
    printf "  FAILED: %s test report %s\n", ($1 == "missing" ? "no" : "an incomplete"), file()
    lost++
  }
  /^report / { report = file(); cases = 0 }
  /<testcase / {
    cases++
    name = field($0, "name"); status = field($0, "status")
    split(name, part, "."); suite = part[1]
    if (!(suite in seen)) { seen[suite] = 1; order[++n] = suite }
    asked_skip = 0
  }
  /<skipped message="SKIP_RETURN_CODE=/ { asked_skip = 1 }
  /<\/testcase>/ {
    if (status == "run") passed[suite]++
    else if (status == "disabled" || (status == "notrun" && asked_skip)) skipped[suite]++
    else failed[suite]++
  }
  END {
    close_report()
    for (i = 1; i <= n; i++) {
      s = order[i]
      printf "  %-18s %5d passed, %d failed, %d skipped\n", s, passed[s], failed[s], skipped[s]
      p += passed[s]; f += failed[s]; k += skipped[s]
    }
    f += lost
    printf "total: %d passed, %d failed, %d skipped\n", p, f, k
    exit f > 0 || p == 0
  }'
