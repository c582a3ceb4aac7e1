#!/usr/bin/env bash
# Unpacks the release zip into an empty folder, as an operator does, and checks what is there.
#   check_zip.sh contents ZIP SOURCE_DIR PRODUCT VERSION VIEWER
#       exactly the release's files in their order, each with the commit's time; SHA256SUMS
#       right; the product and the viewer byte for byte the ones the other suites test; the READMEs UTF-8 with a
#       byte-order mark and CRLF line ends; BUILDINFO.txt naming the version and the commit
#   check_zip.sh checker ZIP
#       the tkt-check.exe found there run on the TKT_A1.QPL found there, under 32-bit Wine
#       (skipped, 77, where 32-bit programs cannot run here)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mode=$1 zip_file=$2
[ -f "$zip_file" ] ||
  { echo "FAILED: no $zip_file: build it with cmake --workflow --preset release"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && TZ=UTC cmake -E tar xf "$zip_file")

if [ "$mode" = checker ]; then
  route=${TKT_WINE32:-$("$here/../../scripts/wine32.sh" route)}
  [ "${route%%:*}" != none ] ||
    { echo "SKIPPED: the zip's tkt-check.exe is a 32-bit program: ${route#none: }"; exit 77; }
  TKT_WINE32=$route exec "$here/../wine/run.sh" 32 "$work/tkt-check.exe" "$work/TKT_A1.QPL"
fi

source_dir=$3 product=$4 version=$5 viewer=$6
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

expected="TKT_A1.QPL tkt-check.exe tkt-view.exe README.txt README-ja.txt BUILDINFO.txt SHA256SUMS"
entries=$(cmake -E tar tf "$zip_file" | tr '\n' ' ')
[ "$entries" = "$expected " ] || fail "the zip holds '$entries', not '$expected'"

(cd "$work" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the files"
summed=$(cut -d' ' -f3 "$work/SHA256SUMS" | tr '\n' ' ')
[ "$summed" = "${expected% SHA256SUMS} " ] || fail "SHA256SUMS covers '$summed'"
cmp -s "$work/TKT_A1.QPL" "$product" || fail "TKT_A1.QPL differs from $product"
cmp -s "$work/tkt-view.exe" "$viewer" || fail "tkt-view.exe differs from $viewer"

epoch=$(git -C "$source_dir" log -1 --format=%ct HEAD)
for f in $expected; do
  t=$(stat -c %Y "$work/$f" 2>/dev/null || echo 0)
  ((t - epoch <= 1 && epoch - t <= 1)) || fail "$f has time $t, the commit $epoch"
done
for f in README.txt README-ja.txt; do
  [ "$(head -c 3 "$work/$f" | od -An -tx1 | tr -d ' ')" = efbbbf ] ||
    fail "$f has no byte-order mark"
  iconv -f UTF-8 -t UTF-8 "$work/$f" >/dev/null 2>&1 || fail "$f is not UTF-8"
  ! grep -q -v $'\r$' "$work/$f" || fail "$f has a line that does not end in CRLF"
done
grep -q "^TKT_A1.QPL $version"$'\r$' "$work/BUILDINFO.txt" ||
  fail "BUILDINFO.txt names another version than $version"
grep -q "^Source commit: $(git -C "$source_dir" rev-parse HEAD)" "$work/BUILDINFO.txt" ||
  fail "BUILDINFO.txt names another commit than $(git -C "$source_dir" rev-parse HEAD)"
[ $failures = 0 ] || exit 1
echo "release zip as expected: $expected"
