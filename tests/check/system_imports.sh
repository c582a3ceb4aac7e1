#!/usr/bin/env bash
# Lists what each Windows program or module imports and fails on a function that is not in the
# list of functions the oldest Windows we support has (a DLL outside Windows, such as a compiler's
# runtime, is in no row of it either).
#   system_imports.sh LIST FILE...
# LIST: lines "function|DLL|first Windows|note"; the line "oldest|Windows XP" names the oldest.
set -euo pipefail
list=$1
shift
order=("Windows 95" "Windows NT 4.0" "Windows 2000" "Windows XP" "Windows Vista" "Windows 7")
rank() {
  local i
  for i in "${!order[@]}"; do [ "${order[$i]}" != "$1" ] || { echo "$i"; return; }; done
  echo 99
}
oldest=$(awk -F'|' '$1 == "oldest" { print $2 }' "$list")
[ -n "$oldest" ] || { echo "$list names no oldest Windows" >&2; exit 2; }
status=0
for file in "$@"; do
  [ -f "$file" ] || { echo "FAILED: no file $file (is its build there?)"; status=1; continue; }
  imports=$(x86_64-w64-mingw32-objdump -p "$file" | awk '
    /^\tDLL Name:/ { dll = tolower($3) }
    dll && /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ { print $3 "|" dll }
    dll && /^\t[0-9a-f]+\t +[0-9]+ *$/ { print "ordinal " $2 "|" dll }')
  [ -n "$imports" ] || { echo "FAILED: $file imports nothing objdump can read"; status=1; continue; }
  echo "$file: $(wc -l <<<"$imports") functions"
  while IFS='|' read -r function dll; do
    first=$(awk -F'|' -v f="$function" -v d="$dll" '$1 == f && tolower($2) == d { print $3 }' "$list")
    if [ -z "$first" ]; then
      echo "  $function ($dll) is not in $list: find the Windows it first appeared in and add it"
      status=1
    elif [ "$(rank "$first")" -gt "$(rank "$oldest")" ]; then
      echo "  $function ($dll) first appeared in $first, after $oldest"
      status=1
    fi
  done <<<"$imports"
done
[ $status = 0 ] && echo "every function imported is in $oldest"
exit $status
