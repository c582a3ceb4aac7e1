#!/usr/bin/env bash
# Builds the release (TKT_A1.QPL, the checker and the zip that holds them) once more, from a copy
# of the sources in an unrelated folder and under another umask, and checks that the product and
# the zip are byte for byte those of the release preset's own build: no time stamp, path, owner or
# other build-time trace.
#   reproducible_build.sh SOURCE_DIR RELEASE_BUILD_DIR VERSION
set -euo pipefail
source_dir=$(cd "$1" && pwd)
release_dir=$2 version=$3
zip_name=TKT_A1-$version.zip
[ -f "$release_dir/$zip_name" ] ||
  { echo "FAILED: no $release_dir/$zip_name: build it with cmake --workflow --preset release"
    exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The copy has no git: the zip is told the commit and the commit's time that the release build's
# BUILDINFO.txt names. (Not as SOURCE_DATE_EPOCH, which the linker would take for every program's
# time stamp, hiding one left in.)
(cd "$work" && cmake -E tar xf "$release_dir/$zip_name" BUILDINFO.txt)
named() { sed -n "s/^$1: \(.*\)\r\$/\1/p" "$work/BUILDINFO.txt"; }
TKT_SOURCE_COMMIT=$(named "Source commit")
built=$(named "Build date (the commit's)")
if [ -z "$TKT_SOURCE_COMMIT" ] || [ -z "$built" ]; then
  echo "FAILED: the release's BUILDINFO.txt names no commit or no date"
  exit 1
fi
TKT_SOURCE_TIME=$(date -u -d "$built" +%s)
export TKT_SOURCE_COMMIT TKT_SOURCE_TIME
unset SOURCE_DATE_EPOCH

copy=$work/second/copy/elsewhere
mkdir -p "$copy"
(cd "$source_dir" && git ls-files -z | xargs -0 tar -cf - --) | tar -xf - -C "$copy"
(
  umask 077 # the zip's modes must not follow it
  cmake --preset release -S "$copy" -B "$copy/out" >/dev/null
  cmake --build "$copy/out" >/dev/null
)

status=0
for file in plugin/TKT_A1.QPL "$zip_name"; do
  if cmp "$release_dir/$file" "$copy/out/$file"; then
    echo "reproducible: the build in another folder gives the same" \
      "$(stat -c %s "$copy/out/$file") bytes of $file"
  else
    echo "FAILED: $file built in another folder differs from $release_dir/$file" \
      "(is the release build of these sources?)"
    status=1
  fi
done
exit $status
