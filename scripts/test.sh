#!/usr/bin/env bash
# Builds everything (the product with gcc and with clang, the 64-bit module, the release zip, the
# native code, tools and test programs, the thread suite, the fuzz targets) and runs every test
# suite. Installs what it needs on Debian 12.
# The builds run one after another (each uses every core, and the native suites run and unpack
# what the Windows builds made); each test preset starts as soon as its build is done, with as
# many tests at a time as there are cores, the native one with twice as many (its Wine tests
# wait much of the time). Their lines are marked with the preset's name. At the end: a count
# per suite and in all, and the time the builds and the tests took. Exits non-zero on any
# failure: a build, a test, or a test report that is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

# How Wine's 32-bit half runs, decided once for the whole run: natively, emulated by qemu-user
# (registered here where the kernel refuses 32-bit programs and that is allowed), or not at all.
source scripts/use_wine32.sh choose
case $wine32_kind in
native) echo "== The Wine suites run the product itself too." ;;
qemu)
  echo "== The Wine suites run the product itself too, emulated (each 32-bit program takes"
  echo "== seconds to start); the suites with many threads at once are skipped (they say why)."
  ;;
none)
  echo "== NOTE: the product itself is not run under Wine here: its Wine suites are skipped and"
  echo "== the 64-bit module stands in; the workbench suites still run the product in an emulator."
  ;;
esac

# The native suites' Wine prefixes (tests/CMakeLists.txt: the build folder's own, and the ones
# with a display and with the viewer's printer beside it) are made while the builds run: each
# takes half a minute to make, which the first suites would otherwise wait for. A prefix that
# fails to be made here is made again by the first suite that needs it, which reports the failure.
prefix=$PWD/build/native/wine-prefix
mkdir -p build/native
(
  TKT_WINEPREFIX=$prefix scripts/wine.sh 64 cmd /c exit
  TKT_WINEPREFIX=$prefix scripts/wine-display.sh true
  TKT_WINEPREFIX=$prefix-view scripts/wine.sh 64 cmd /c exit
) >/dev/null 2>&1 &
prefixes=$!

status=0
tested=(native tsan fuzz)
reports=()
for preset in "${tested[@]}"; do
  reports+=("build/$preset/junit.xml")
  rm -f "build/$preset/junit.xml" # a preset that fails to build must not count old results
done

# Every preset configures and builds with warnings as errors. One that fails is reported and
# its tests are not run (its missing report counts as a failure below). A preset's tests start as
# soon as it and the builds before it are built, beside the builds still to come: the native
# suites, the longest, mostly wait on Wine while the thread suite and the fuzz targets build.
minutes() { printf '%dm%02ds' $(($1 / 60)) $(($1 % 60)); }
cores=$(nproc)
SECONDS=0
failed_builds=()
declare -A runs=()
test_start() {
  local preset=$1 jobs=$cores
  [ "$preset" != native ] || jobs=$((cores * 2))
  echo "== tests: $preset, $jobs at a time"
  (ctest --preset "$preset" --parallel "$jobs" 2>&1 | sed -u "s/^/[$preset] /") &
  runs[$preset]=$!
}
for preset in win32 win32-clang win64 release native tsan fuzz; do
  echo "== build: $preset"
  started=$SECONDS
  if cmake --preset "$preset" && cmake --build --preset "$preset"; then
    echo "== built $preset in $(minutes $((SECONDS - started)))"
    [[ " ${tested[*]} " != *" $preset "* ]] || test_start "$preset"
  else
    echo "== FAILED: the $preset build"
    failed_builds+=("$preset")
    status=1
  fi
done
build_seconds=$SECONDS

wait "$prefixes" || true
failed_tests=()
for preset in "${!runs[@]}"; do
  wait "${runs[$preset]}" || { failed_tests+=("$preset"); status=1; }
done
test_seconds=$((SECONDS - build_seconds))

echo "== tests by suite; 32-bit Wine: $TKT_WINE32"
scripts/suite-counts.sh "${reports[@]}" || status=1
echo "== time: builds $(minutes "$build_seconds"), then the tests still running $(minutes "$test_seconds")"
if [ $status = 0 ]; then
  echo "== every build and every test run passed"
else
  echo "== FAILED: builds: ${failed_builds[*]:-none}; test runs: ${failed_tests[*]:-none}" \
    "(and the counts above)"
fi
exit $status
