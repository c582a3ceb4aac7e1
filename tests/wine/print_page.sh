#!/usr/bin/env bash
# Prints the plug-in's test page on a PostScript printer of Wine's that writes into a file,
# renders the file with Ghostscript at the printer's 203 dpi with no smoothing, and has the
# plug-in's tickets on page 1 compared with the reference tickets on page 2.
#   print_page.sh 32|64 PRINT_PAGE_TEST.exe PLUGIN.QPL PRINT_PAGES_COMPARE
# Skipped (77) where Ghostscript is missing or the Windows program cannot run here.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bits=$1 program=$2 plugin=$3 compare=$4
command -v gs >/dev/null || { echo "SKIPPED: Ghostscript (gs) is not installed"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printer="TKT_A1 test printer"
output="Z:${work//\//\\}\\page.ps" # the file as Wine's programs name it

"$here/run.sh" "$bits" "$program" add-printer "$printer"
"$here/run.sh" "$bits" "$program" print "$plugin" "$printer" "$output"

gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -dTextAlphaBits=1 -dGraphicsAlphaBits=1 -r203 \
  -sOutputFile="$work/page%d.ppm" "$work/page.ps"
pages=$(find "$work" -name 'page*.ppm' | wc -l)
[ "$pages" = 2 ] || { echo "FAILED: Ghostscript made $pages pages of the test page, not 2"; exit 1; }
"$compare" "$work/page1.ppm" "$work/page2.ppm"
