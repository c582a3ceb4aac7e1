#!/usr/bin/env bash
# Makes the release zip: the product, the checker, the viewer, the operator's READMEs (UTF-8 with a byte-order
# mark and CRLF line ends, for Notepad), BUILDINFO.txt and SHA256SUMS of the other files. Entries
# go in a fixed order, each with the commit's time (as UTC) and mode 644, and no owner or other
# extra field, so that two builds of one commit give the same bytes.
#   make_zip.sh ZIP VERSION SOURCE_DIR PRODUCT CHECKER VIEWER "LABEL=TOOL"...
# The commit and its time (seconds since 1970) come from git in SOURCE_DIR, or from
# TKT_SOURCE_COMMIT and TKT_SOURCE_TIME where they are set (sources without git).
set -euo pipefail
zip_file=$1 version=$2 source_dir=$3 product=$4 checker=$5 viewer=$6
shift 6
here=$(cd "$(dirname "$0")" && pwd)
command -v zip >/dev/null ||
  { echo "make_zip.sh: zip is not installed (scripts/install-deps.sh)" >&2; exit 1; }

commit=${TKT_SOURCE_COMMIT:-}
if [ -z "$commit" ]; then
  commit=$(git -C "$source_dir" rev-parse HEAD 2>/dev/null) ||
    {
      echo "make_zip.sh: $source_dir is no git checkout:" \
        "set TKT_SOURCE_COMMIT and TKT_SOURCE_TIME" >&2
      exit 1
    }
  git -C "$source_dir" diff --quiet HEAD -- || commit+=" with changes not committed"
fi
epoch=${TKT_SOURCE_TIME:-$(git -C "$source_dir" log -1 --format=%ct HEAD)}

# The first line of a tool's --version, and the Debian package and version it comes from.
describe() {
  local tool line package
  tool=$(command -v "$1")
  line=$("$tool" --version 2>/dev/null | sed -n 1p)
  package=$(dpkg-query -S "$(readlink -f "$tool")" 2>/dev/null | sed -n '1s/:.*//p') || true
  [ -z "$package" ] ||
    line+=" (Debian package $package $(dpkg-query -W -f='${Version}' "$package"))"
  echo "$line"
}

# Text for Windows: a byte-order mark, the version filled in, CRLF line ends.
windows_text() {
  printf '\xef\xbb\xbf'
  sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$1"
}

# The files are gathered in a folder of their own and zipped into a temporary file, both removed
# however the script ends; the zip takes its name only when it is whole.
stage=$zip_file.files
trap 'rm -rf "$stage" "$zip_file.tmp"' EXIT
rm -rf "$stage"
mkdir -p "$stage"
files=(TKT_A1.QPL tkt-check.exe tkt-view.exe)
cp "$product" "$stage/TKT_A1.QPL"
cp "$checker" "$stage/tkt-check.exe"
cp "$viewer" "$stage/tkt-view.exe"
windows_text "$here/README.txt" >"$stage/README.txt"
windows_text "$here/README-ja.txt" >"$stage/README-ja.txt"
{
  echo "TKT_A1.QPL $version"
  echo "Source commit: $commit"
  echo "Build date (the commit's): $(date -u -d "@$epoch" +%Y-%m-%dT%H:%M:%SZ)"
  for labelled in "$@"; do
    echo "${labelled%%=*}: $(describe "${labelled#*=}")"
  done
} | sed 's/$/\r/' >"$stage/BUILDINFO.txt"
files+=(README.txt README-ja.txt BUILDINFO.txt)
(cd "$stage" && sha256sum "${files[@]}") >"$stage/SHA256SUMS"
files+=(SHA256SUMS)

chmod 644 "$stage"/*
TZ=UTC touch -d "@$epoch" "$stage"/*
rm -f "$zip_file.tmp" # zip would add to one left by a run that was killed
(cd "$stage" && TZ=UTC zip -q -X -D -9 "$zip_file.tmp" "${files[@]}")
mv "$zip_file.tmp" "$zip_file"
echo "release: $zip_file (${files[*]})"
