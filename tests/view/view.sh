#!/usr/bin/env bash
# Runs view_test on a virtual display (scripts/wine-display.sh), so that the viewer's pixels on
# the screen are checked too, then checks with libpng that the PNG it saved holds the same pixels
# as the BMP it saved of the same picture, and runs it once more on a system of code page 1252
# (English), where the description must still read as code page 932.
#   view.sh BITS BUILD_DIR DESCRIPTION_CP932 SAME_PIXELS [OTHER_WIDTH_PRODUCT]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bits=$1 build=$2 description=$3 same_pixels=$4
other=("${@:5}") # the other width's product, if given
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
windows_work="Z:${work//\//\\}" # the folder as Wine's programs name it

status=0
"$here/../../scripts/wine-display.sh" "$here/../wine/run.sh" "$bits" \
  "$build/tests/view/view_test.exe" "$build/tools/view/tkt-view.exe" "$build/plugin/TKT_A1.QPL" \
  "$description" "$windows_work" "$build/tests/check/modules" --screen "${other[@]}" || status=$?
[ $status != 77 ] || exit 77
[ $status = 0 ] || { echo "FAILED: view_test exited $status"; exit 1; }
"$same_pixels" png "$work/sheet.png" "$work/sheet.bmp"
TKT_WINE_LOCALE=C.UTF-8 "$here/../wine/run.sh" "$bits" "$build/tests/view/view_test.exe" \
  "$build/tools/view/tkt-view.exe" "$build/plugin/TKT_A1.QPL" "$description" "$windows_work" \
  "$build/tests/check/modules" --code-page
