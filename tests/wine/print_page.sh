#!/usr/bin/env bash
# Has tkt-check print its test page on a PostScript printer of Wine's that writes into a file,
# renders the file with Ghostscript at the printer's 203 dpi with no smoothing, and has the
# plug-in's tickets on page 1 compared with the reference tickets on page 2. The checker's other
# checks are judged by its own suites: here only its print line counts.
#   print_page.sh 32|64 TEST_PRINTER.exe TKT_CHECK.exe PLUGIN.QPL PRINT_PAGES_COMPARE
# Skipped (77) where Ghostscript is missing or the Windows programs cannot run here.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bits=$1 test_printer=$2 checker=$3 plugin=$4 compare=$5
command -v gs >/dev/null || { echo "SKIPPED: Ghostscript (gs) is not installed"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printer="TKT_A1 test printer"
windows_work="Z:${work//\//\\}" # the folder as Wine's programs name it

"$here/run.sh" "$bits" "$test_printer" "$printer"
status=0
"$here/run.sh" "$bits" "$checker" --print "$printer" --print-file "$windows_work\\page.ps" \
  --log "$windows_work\\tkt-check.log" "$plugin" >"$work/report.txt" || status=$?
[ $status != 77 ] || { cat "$work/report.txt"; exit 77; }
grep -a '^ok print: ' "$work/report.txt" ||
  { echo "FAILED: tkt-check exited $status without printing:"; cat "$work/report.txt"; exit 1; }

gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -dTextAlphaBits=1 -dGraphicsAlphaBits=1 -r203 \
  -sOutputFile="$work/page%d.ppm" "$work/page.ps"
pages=$(find "$work" -name 'page*.ppm' | wc -l)
[ "$pages" = 2 ] ||
  { echo "FAILED: Ghostscript made $pages pages of the test page, not 2"; exit 1; }
"$compare" "$work/page1.ppm" "$work/page2.ppm"
