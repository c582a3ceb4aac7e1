#!/usr/bin/env bash
# Builds everything (the product with gcc and with clang, the 64-bit module, the native code,
# tools and test programs, the thread suite, the fuzz targets) and runs every test suite.
# Installs what it needs on Debian 12.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

if scripts/wine.sh can-run-32; then
  echo "== This machine runs 32-bit programs: the Wine suites run the product itself too."
else
  echo "== NOTE: this machine cannot execute 32-bit programs (/usr/lib/wine/wine --version fails)."
  echo "== The product itself is not run under Wine here: its Wine suites are skipped and the"
  echo "== 64-bit module stands in; the workbench suites still run the product in an emulator."
fi

# Each preset's workflow configures, builds (warnings are errors) and, where it has tests, runs
# them into junit.xml. The Windows builds come first: the native suites run what they built.
status=0
for preset in win32 win32-clang win64 native tsan fuzz; do
  rm -f "build/$preset/junit.xml" # a preset that fails to build must not count old results
  echo "== $preset"
  cmake --workflow --preset "$preset" || status=1
done
echo "== tests by suite"
scripts/suite-counts.sh build/native/junit.xml build/tsan/junit.xml build/fuzz/junit.xml
exit $status
