#!/usr/bin/env bash
# Has tkt-view print tickets 41 to 43 in its one-bit view, one a page, on a PostScript printer of
# Wine's at 203 dpi that writes into a file; Ghostscript renders the file at 203 dpi with no
# smoothing, and each page must hold its ticket exactly as the platform draws it: one ticket
# pixel on one printer dot.
#   view_print.sh BITS BUILD_DIR SAME_PIXELS
# Skipped (77) where Ghostscript is missing or the Windows programs cannot run here.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bits=$1 build=$2 same_pixels=$3
command -v gs >/dev/null || { echo "SKIPPED: Ghostscript (gs) is not installed"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
windows_work="Z:${work//\//\\}"
printer="TKT_A1 viewer test printer"
export TKT_WINEPREFIX=${TKT_WINEPREFIX:-${XDG_CACHE_HOME:-${HOME:-/tmp}/.cache}/tkt-a1-wine}-view

"$here/../wine/run.sh" "$bits" "$build/tests/windows/test_printer.exe" "$printer"
status=0
"$here/../wine/run.sh" "$bits" "$build/tests/view/view_print_test.exe" \
  "$build/tools/view/tkt-view.exe" "$build/plugin/TKT_A1.QPL" "$printer" \
  "$windows_work\\tickets.ps" "$windows_work" 41 43 || status=$?
[ $status != 77 ] || exit 77
[ $status = 0 ] || { echo "FAILED: view_print_test exited $status"; exit 1; }

gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -dTextAlphaBits=1 -dGraphicsAlphaBits=1 -r203 \
  -sOutputFile="$work/page%d.ppm" "$work/tickets.ps"
pages=$(find "$work" -name 'page*.ppm' | wc -l)
[ "$pages" = 3 ] || { echo "FAILED: Ghostscript made $pages pages, not 3"; exit 1; }
for page in 1 2 3; do
  "$same_pixels" page "$work/page$page.ppm" "$work/expected_$((40 + page)).bmp"
done
# And a ticket is not found on a page of another: the search tells pictures apart.
! "$same_pixels" page "$work/page1.ppm" "$work/expected_42.bmp" >/dev/null ||
  { echo "FAILED: ticket 42 was found on ticket 41's page"; exit 1; }
echo "each page holds its ticket pixel for pixel"
