#!/usr/bin/env bash
# The main job: builds TKT_A1.QPL and shows what it gives a host, by really loading it.
# Under Wine the product itself runs where this machine runs 32-bit programs; elsewhere the
# 64-bit build of the same sources does, and the output says so.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
if scripts/wine.sh can-run-32; then
  preset=win32
  echo "Loading the product build/win32/plugin/TKT_A1.QPL under Wine (32-bit)."
else
  preset=win64
  echo "This machine cannot run 32-bit programs: loading the 64-bit build of the same sources"
  echo "(build/win64/plugin/TKT_A1.QPL) under wine64 instead of the product."
fi
for p in win32 "$preset"; do
  cmake --preset "$p" >/dev/null
  cmake --build --preset "$p" >/dev/null
done
echo "Built build/win32/plugin/TKT_A1.QPL ($(stat -c %s build/win32/plugin/TKT_A1.QPL) bytes)."
echo

bits=32
[ "$preset" = win64 ] && bits=64
# The plug-in's texts are code page 932; convert them for this terminal.
scripts/wine.sh "$bits" "build/$preset/tools/preview/ticket_preview.exe" \
  "build/$preset/plugin/TKT_A1.QPL" | iconv -f CP932 -t UTF-8
