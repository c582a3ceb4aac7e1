#!/usr/bin/env bash
# Measures the figures of the plug-in (measurements to read, never pass/fail tests):
#   - the size of TKT_A1.QPL and what it is made of;
#   - one DrawSeiriken under Wine against the same platform calls made directly, as a ratio;
#   - tickets per second through the workbench and the full 65,536-number sweep, with and
#     without the workbench's fixes of Unicorn's store path;
#   - the number conversions, natively, with the doubles in SSE and in the x87 unit.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
for preset in win32 native; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" >/dev/null
done
product=build/win32/plugin/TKT_A1.QPL

echo "== Size of $product: $(stat -c %s "$product") bytes"
bitmaps=0
for f in resources/*.bmp; do bitmaps=$((bitmaps + $(stat -c %s "$f") - 14)); done
echo "   the eleven bitmaps alone: $bitmaps bytes"
echo "   sections (each padded to 512 bytes in the file, after 1,024 bytes of headers):"
i686-w64-mingw32-objdump -h "$product" | awk '/^ +[0-9]+ \./ { print $2, $3 }' |
  while read -r name size; do printf '     %-8s %6d bytes\n' "$name" "$((16#$size))"; done

echo
# How 32-bit programs run here, asked without registering anything: only a natively run
# product gives a timing of the plug-in.
source scripts/use_wine32.sh route
case $wine32_kind in
native)
  echo "== DrawSeiriken under Wine: the product (32-bit)"
  scripts/wine.sh 32 build/win32/bench/windows/draw_benchmark.exe "$product"
  ;;
*)
  cmake --preset win64 >/dev/null && cmake --build --preset win64 >/dev/null
  case $wine32_kind in
  qemu) why="under qemu-user a timing would measure the emulator, not the plug-in" ;;
  *) why="32-bit programs do not run here" ;;
  esac
  echo "== DrawSeiriken under Wine: the 64-bit module under wine64 ($why)"
  scripts/wine.sh 64 build/win64/bench/windows/draw_benchmark.exe build/win64/plugin/TKT_A1.QPL
  ;;
esac

echo
echo "== The product through the workbench"
build/native/bench/workbench/workbench_bench --benchmark_min_time=2
echo "   the same on Debian's Unicorn 2.0.1 as it stands (without workbench/emulator/unicorn_store_fix.cpp):"
build/native/bench/workbench/workbench_bench_stock_unicorn --benchmark_min_time=2

echo
echo "== The number conversions, natively: doubles in SSE, then in the x87 unit as the 32-bit product"
build/native/bench/conversions/conversions_bench
[ ! -x build/native/bench/conversions/conversions_bench_x87 ] ||
  build/native/bench/conversions/conversions_bench_x87
