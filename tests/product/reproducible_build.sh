#!/usr/bin/env bash
# Builds the release (TKT_A1.QPL, the checker and the zip that holds them) twice, from copies of
# the same sources in two unrelated folders, and checks that the product and the zip are byte
# for byte the same: no time stamp, path, owner or other build-time trace.
#   reproducible_build.sh SOURCE_DIR VERSION
set -euo pipefail
source_dir=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The copies have no git: the zip is told the commit and its time. (Not as SOURCE_DATE_EPOCH,
# which the linker would take for every program's time stamp, hiding one left in.)
TKT_SOURCE_COMMIT=$(git -C "$source_dir" rev-parse HEAD)
TKT_SOURCE_TIME=$(git -C "$source_dir" log -1 --format=%ct HEAD)
export TKT_SOURCE_COMMIT TKT_SOURCE_TIME
unset SOURCE_DATE_EPOCH
version=$2

build_copy() {
  local dir=$1
  mkdir -p "$dir"
  (cd "$source_dir" && git ls-files -z | xargs -0 tar -cf - --) | tar -xf - -C "$dir"
  cmake --preset release -S "$dir" -B "$dir/out" >/dev/null
  cmake --build "$dir/out" >/dev/null
}
build_copy "$work/a"
# The second one under another umask too: the zip's modes must not follow it.
(umask 077 && build_copy "$work/second/copy/elsewhere")

status=0
for file in plugin/TKT_A1.QPL "TKT_A1-$version.zip"; do
  first=$work/a/out/$file
  second=$work/second/copy/elsewhere/out/$file
  if cmp "$first" "$second"; then
    echo "reproducible: two builds in different folders give the same $(stat -c %s "$first") bytes of $file"
  else
    echo "FAILED: the two builds of $file differ"
    status=1
  fi
done
exit $status
