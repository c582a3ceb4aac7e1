#!/usr/bin/env bash
# The main job: builds TKT_A1.QPL, loads it as a host does and shows what it gives the host, and
# writes PNG previews of a few tickets and of one sheet of tickets 0 to 99 into preview/, and a
# screenshot of tkt-view's window showing ticket 42.
#   1. Through the workbench: the product itself in a CPU emulator, on any 64-bit Linux.
#   2. Under Wine, through the system's own controls and image lists: the product itself where
#      32-bit programs run here, natively or emulated by qemu-user, else the 64-bit build of the
#      same sources (it says which).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
build() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" "${@:2}" >/dev/null
}
build win32
build native --target tkt-workbench bmp2png
product=build/win32/plugin/TKT_A1.QPL
echo "Built $product ($(stat -c %s "$product") bytes)."

out=preview
rm -rf "$out"
mkdir -p "$out/workbench" "$out/wine"

echo
echo "== The product in the workbench (CPU emulator, no Windows, no Wine)"
workbench=(build/native/workbench/tkt-workbench --plugin "$product")
"${workbench[@]}" info
for n in 0 7 42 99; do
  "${workbench[@]}" render "$n" -o "$out/workbench/ticket_$n.png"
done
"${workbench[@]}" sheet -o "$out/workbench/sheet.png"

echo
# How Wine's 32-bit half runs here: natively, emulated by qemu-user, or not at all.
source scripts/use_wine32.sh choose
case $wine32_kind in
native) echo "== The product under Wine (32-bit)" ;;
qemu) echo "== The product under Wine (32-bit, emulated by qemu-user)" ;;
none)
  build win64
  echo "== The 64-bit build of the same sources (build/win64/plugin/TKT_A1.QPL) under wine64"
  echo "== stands in for the product"
  ;;
esac
# The plug-in's texts are code page 932; convert them for this terminal.
scripts/wine.sh "$wine_bits" "build/$wine_preset/tools/preview/ticket_preview.exe" \
  "build/$wine_preset/plugin/TKT_A1.QPL" "Z:$PWD/$out/wine" |
  iconv -f CP932 -t UTF-8 | grep -v '^wrote'
for bmp in "$out"/wine/*.bmp; do
  build/native/tools/png/bmp2png "$bmp" "${bmp%.bmp}.png"
  rm "$bmp"
done

echo
echo "== tkt-view on a virtual display (Xvfb), ticket 42 at 2x"
# A Wine desktop of its own draws the window's frame, as Windows would.
status=0
scripts/wine-display.sh scripts/wine.sh "$wine_bits" explorer /desktop=tkt-view,1000x740 \
  "build/$wine_preset/tests/view/view_screenshot.exe" "build/$wine_preset/tools/view/tkt-view.exe" \
  "build/$wine_preset/plugin/TKT_A1.QPL" 42 "Z:$PWD/$out/wine/tkt-view.bmp" || status=$?
if [ -f "$out/wine/tkt-view.bmp" ]; then
  build/native/tools/png/bmp2png "$out/wine/tkt-view.bmp" "$out/wine/tkt-view.png"
  rm "$out/wine/tkt-view.bmp"
else
  echo "no screenshot of tkt-view (exit $status)"
fi

echo
echo "Previews written:"
printf '  %s\n' "$out"/workbench/*.png "$out"/wine/*.png
