#!/usr/bin/env bash
# Builds everything (the product with gcc and with clang, the 64-bit module, the native code,
# tools and test programs, the fuzz targets) and runs every test suite. Installs what it needs
# on Debian 12.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

# Warnings are errors here, so that what lands builds clean with both compilers.
for preset in win32 win32-clang win64 native fuzz; do
  echo "== build: $preset"
  cmake --preset "$preset" -DTKT_WERROR=ON >/dev/null
  cmake --build --preset "$preset"
done

if scripts/wine.sh can-run-32; then
  echo "== This machine runs 32-bit programs: the Wine suites run the product itself too."
else
  echo "== NOTE: this machine cannot execute 32-bit programs (/usr/lib/wine/wine --version fails)."
  echo "== The product itself is not run under Wine here: its Wine suites are skipped and the"
  echo "== 64-bit module stands in; the workbench suites still run the product in an emulator."
fi

status=0
for preset in native fuzz; do
  echo "== tests: $preset"
  ctest --preset "$preset" -j2 --output-junit junit.xml || status=1
done
echo "== tests by suite"
scripts/suite-counts.sh build/native/junit.xml build/fuzz/junit.xml
exit $status
