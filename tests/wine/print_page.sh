#!/usr/bin/env bash
# Has tkt-check print its test page on a PostScript printer of Wine's that writes into a file,
# renders the file with Ghostscript at the printer's 203 dpi with no smoothing, and compares the
# two pages. Page 2 holds nothing but the reference tickets: from its first row with any ink down
# to the foot of the page, page 1 (the plug-in's tickets under the caption) must be the same byte
# for byte, and above that row page 1 must have its caption. The checker's other checks are
# judged by its own suites: here only its print line counts.
#   print_page.sh 32|64 TEST_PRINTER.exe TKT_CHECK.exe PLUGIN.QPL
# Skipped (77) where Ghostscript is missing or the Windows programs cannot run here.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bits=$1 test_printer=$2 checker=$3 plugin=$4
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

# The pixels of binary PPM pages start after a header of a few lines; the pixel bytes' offset
# of the first row with ink on page 2 comes from comparing it with a white page.
page1=$work/page1.ppm page2=$work/page2.ppm
read -r width height < <(head -n 4 "$page2" | grep -aE '^[0-9]+ [0-9]+$')
row=$((width * 3))
header=$(($(stat -c %s "$page2") - row * height))
{ head -c $header "$page2"; head -c $((row * height)) /dev/zero | tr '\0' '\377'; } >"$work/white"
first=$(cmp "$page2" "$work/white" | sed -n 's/.* byte \([0-9]*\).*/\1/p') || true
[ -n "$first" ] || { echo "FAILED: page 2 is blank"; exit 1; }
top=$(((first - 1 - header) / row))
start=$((header + top * row))
! cmp -s -n $start "$page1" "$page2" ||
  { echo "FAILED: page 1 has no caption above the tickets (row $top)"; exit 1; }
differing=$(cmp -l -i $start "$page1" "$page2" | wc -l) || true
[ "$differing" = 0 ] ||
  { echo "FAILED: $differing bytes of the tickets on page 1 differ from the reference"; exit 1; }
echo "the tickets of page 1 equal the reference: rows $top to $((height - 1)) of $width x $height"
