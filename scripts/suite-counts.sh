#!/usr/bin/env bash
# Prints, from CTest JUnit reports, how many tests of each suite (the name up to its first dot)
# passed, failed and were skipped, then the totals on a closing line.
set -euo pipefail
reports=()
for f in "$@"; do
  [ -f "$f" ] && reports+=("$f")
done
[ ${#reports[@]} -gt 0 ] || { echo "no test reports"; exit 1; }
awk '
  /<testcase / {
    match($0, /name="[^"]*"/); name = substr($0, RSTART + 6, RLENGTH - 7)
    match($0, /status="[^"]*"/); status = substr($0, RSTART + 8, RLENGTH - 9)
    split(name, part, "."); suite = part[1]
    if (!(suite in seen)) { seen[suite] = 1; order[++n] = suite }
    if (status == "run") passed[suite]++
    else if (status == "notrun" || status == "disabled") skipped[suite]++
    else failed[suite]++
  }
  END {
    for (i = 1; i <= n; i++) {
      s = order[i]
      printf "  %-18s %5d passed, %d failed, %d skipped\n", s, passed[s], failed[s], skipped[s]
      p += passed[s]; f += failed[s]; k += skipped[s]
    }
    printf "total: %d passed, %d failed, %d skipped\n", p, f, k
  }' "${reports[@]}"
