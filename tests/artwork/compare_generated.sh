#!/usr/bin/env bash
# Runs the artwork generator into a fresh folder and compares every file it writes, byte for byte,
# with the committed bitmaps. The bytes depend on the exact FreeType and font versions: where they
# differ and a package's version on this machine is not the one the bitmaps were made with
# (tools/artwork/made_with.txt), the test names those packages and is skipped (exit 77).
#   compare_generated.sh GENERATOR RESOURCES MADE_WITH OUT
set -uo pipefail
generator=$1 resources=$2 made_with=$3 out=$4

# The installed version of a package, for this machine's architecture where it has one.
installed_version() {
  local arch
  arch=$(dpkg --print-architecture 2>/dev/null) || return 0
  { dpkg-query -W -f='${db:Status-Status} ${Version}\n' "$1:$arch" ||
    dpkg-query -W -f='${db:Status-Status} ${Version}\n' "$1"; } 2>/dev/null |
    sed -n 's/^installed //p' | head -1
}

differing=()
while read -r package version; do
  [[ -z $package || $package == '#'* ]] && continue
  here=$(installed_version "$package")
  [ "$here" = "$version" ] || differing+=("$package ${here:-not installed} here, $version for the bitmaps")
done <"$made_with"

rm -rf "$out"
problems=()
if "$generator" "$out"; then
  for name in ticket_face digit_{0..9}; do
    cmp -s "$out/$name.bmp" "$resources/$name.bmp" || problems+=("$name.bmp differs from resources/$name.bmp")
  done
else
  problems+=("the generator failed")
fi

if [ ${#problems[@]} -eq 0 ]; then
  echo "the generator gives the committed bitmaps byte for byte"
  [ ${#differing[@]} -eq 0 ] || printf '  (with other package versions: %s)\n' "${differing[@]}"
  exit 0
fi
printf '%s\n' "${problems[@]}"
if [ ${#differing[@]} -gt 0 ]; then
  echo "SKIPPED: the bitmaps were made with other package versions than this machine's:"
  printf '  %s\n' "${differing[@]}"
  exit 77
fi
echo "FAILED with the packages the bitmaps were made with: run the generator into resources/ and commit"
exit 1
