#!/usr/bin/env bash
# Builds everything (the product with gcc and with clang, the 64-bit module, the native code,
# tools and test programs) and runs every test suite. Installs what it needs on Debian 12.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

# Warnings are errors here, so that what lands builds clean with both compilers.
for preset in win32 win32-clang win64 native; do
  echo "== build: $preset"
  cmake --preset "$preset" -DTKT_WERROR=ON >/dev/null
  cmake --build --preset "$preset"
done

echo "== tests"
ctest --preset native -j2
