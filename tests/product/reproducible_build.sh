#!/usr/bin/env bash
# Builds TKT_A1.QPL twice from copies of the same sources in two unrelated folders and checks
# that the two files are byte for byte the same: no time stamp, path or other build-time trace.
#   reproducible_build.sh SOURCE_DIR
set -euo pipefail
source_dir=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

build_copy() {
  local dir=$1
  mkdir -p "$dir"
  (cd "$source_dir" && git ls-files -z | xargs -0 tar -cf - --) | tar -xf - -C "$dir"
  cmake --preset win32 -S "$dir" -B "$dir/out" >/dev/null
  cmake --build "$dir/out" --target TKT_A1 >/dev/null
}
build_copy "$work/a"
build_copy "$work/second/copy/elsewhere"

first=$work/a/out/plugin/TKT_A1.QPL
second=$work/second/copy/elsewhere/out/plugin/TKT_A1.QPL
if cmp "$first" "$second"; then
  echo "reproducible: two builds in different folders give the same $(stat -c %s "$first") bytes"
else
  echo "FAILED: the two builds differ"
  exit 1
fi
