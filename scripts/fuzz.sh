#!/usr/bin/env bash
# Runs the fuzz targets of the text and number code and of the workbench's reading of plug-in
# files for as long as asked.
#
#   scripts/fuzz.sh [SECONDS] [TARGET]
#
# SECONDS (default 600) is the time for each target; TARGET (text_to_number, number_to_text,
# text_ops or plugin_file) runs that one alone, otherwise all of them run one after another. Each
# starts from its committed seeds (tests/fuzz/corpus/TARGET) and from the corpus kept by earlier
# runs in BUILD/corpus/TARGET, where new inputs go, so the committed seeds stay small. Inputs that
# crash or fail a check land in BUILD/findings/. BUILD is $FUZZ_BUILD_DIR, or build/fuzz (the
# fuzz preset's folder). Exits non-zero when anything was found.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
only=${2:-}
build=${FUZZ_BUILD_DIR:-build/fuzz}
targets=(text_to_number number_to_text text_ops plugin_file)
if [ -n "$only" ]; then
  [[ " ${targets[*]} " == *" $only "* ]] || { echo "unknown target: $only (${targets[*]})" >&2; exit 2; }
  targets=("$only")
fi

scripts/install-deps.sh
cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build"

# The inputs a target has left in a folder, by glob: no names parsed out of ls.
shopt -s nullglob
count() {
  local files=("$@")
  echo ${#files[@]}
}

mkdir -p "$build/findings"
status=0
for name in "${targets[@]}"; do
  corpus=$build/corpus/$name
  log=$build/findings/$name.log
  mkdir -p "$corpus"
  before=$(count "$build/findings/$name-"*)
  echo "== fuzz: $name for ${seconds}s (log: $log)"
  set +e
  "$build/tests/fuzz/${name}_fuzz" "$corpus" "tests/fuzz/corpus/$name" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/findings/$name-" >"$log" 2>&1
  rc=$?
  set -e
  after=$(count "$build/findings/$name-"*)
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -1)
  echo "   executions: ${executions:-?}, ${coverage:-cov: ?}, corpus: $(count "$corpus"/*) inputs"
  if [ "$rc" -ne 0 ] || [ "$after" -ne "$before" ]; then
    status=1
    echo "   FOUND (exit $rc):"
    grep -E '^(check failed|==[0-9]+==ERROR|SUMMARY)' "$log" | head -5 | sed 's/^/     /'
    printf '     %s\n' "$build/findings/$name-"*
  else
    echo "   nothing found"
  fi
done
exit $status
