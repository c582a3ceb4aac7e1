#!/usr/bin/env bash
# Builds everything (the product with gcc and with clang, the 64-bit module, the release zip, the
# native code, tools and test programs, the thread suite, the fuzz targets) and runs every test
# suite.
# Installs what it needs on Debian 12.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

# How Wine's 32-bit half runs, decided once for the whole run: natively, emulated by qemu-user
# (registered here where the kernel refuses 32-bit programs and that is allowed), or not at all.
TKT_WINE32=$(scripts/wine32.sh choose)
export TKT_WINE32
echo "== 32-bit Wine: $TKT_WINE32."
case $TKT_WINE32 in
native:*) echo "== The Wine suites run the product itself too." ;;
qemu:*)
  echo "== The Wine suites run the product itself too, emulated (each 32-bit program takes"
  echo "== seconds to start); the suites with many threads at once are skipped (they say why)."
  ;;
*)
  echo "== NOTE: the product itself is not run under Wine here: its Wine suites are skipped and"
  echo "== the 64-bit module stands in; the workbench suites still run the product in an emulator."
  ;;
esac

# Each preset's workflow configures, builds (warnings are errors) and, where it has tests, runs
# them into junit.xml. The Windows builds and the release zip come first: the native suites run
# and unpack what they built.
status=0
for preset in win32 win32-clang win64 release native tsan fuzz; do
  rm -f "build/$preset/junit.xml" # a preset that fails to build must not count old results
  echo "== $preset"
  cmake --workflow --preset "$preset" || status=1
done
echo "== tests by suite; 32-bit Wine: $TKT_WINE32"
scripts/suite-counts.sh build/native/junit.xml build/tsan/junit.xml build/fuzz/junit.xml
exit $status
