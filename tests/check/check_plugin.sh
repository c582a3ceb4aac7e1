#!/usr/bin/env bash
# Runs tkt-check under Wine on a plug-in, or on a copy of it with a fault built in, and checks the
# exit code and one line of the report, on the console and in the log (UTF-8 with a byte-order
# mark, CR LF line ends).
#   check_plugin.sh BITS CHECKER PLUGIN FAULT EXIT LINE [CHECKER ARGS...]
# FAULT is "-" or one of
#   no_draw      DrawSeiriken exported as DrawSeirikeX
#   description  the module name inside the description changed to TKT_B1
#   glyph_4      bitmap 204 (glyph 4) renumbered, out of the loader's reach
# LINE is one or more extended regular expressions joined by " && ", each to be found.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bits=$1 checker=$2 plugin=$3 fault=$4 exit_expected=$5 line=$6
shift 6
# The log's name tells apart the runs that share this folder, side by side.
name=$(basename "$plugin" .QPL)_$(md5sum <<<"$checker $plugin $*" | cut -c1-8)
if [ "$fault" != - ]; then
  case $fault in
  no_draw) edit='s/DrawSeiriken/DrawSeirikeX/' ;;
  description) edit='s/\x81\x69TKT_A1/\x81\x69TKT_B1/' ;;
  # A resource directory entry: the id, then the offset of its subdirectory (high bit set).
  glyph_4) edit='s/\xcc\x00\x00\x00(?=...\x80)/\xd6\x00\x00\x00/s' ;;
  *) echo "unknown fault $fault" >&2; exit 2 ;;
  esac
  name=${fault}_$bits
  perl -0777 -pe "$edit" "$plugin" >"$name.qpl"
  if cmp -s "$plugin" "$name.qpl"; then
    echo "the fault $fault could not be built into $plugin" >&2
    exit 1
  fi
  plugin=$name.qpl
fi
log=$PWD/$name.log
rm -f "$log"
set +e
output=$("$here/../wine/run.sh" "$bits" "$checker" --log "$log" "$@" "$plugin" 2>&1)
code=$?
set -e
echo "$output"
[ $code != 77 ] || exit 77
status=0
if [ $code != "$exit_expected" ]; then
  echo "== exit code $code, expected $exit_expected"
  status=1
fi
patterns=()
while [ -n "$line" ]; do
  patterns+=("${line%% && *}")
  [ "$line" != "${line#* && }" ] && line=${line#* && } || line=
done
for pattern in "${patterns[@]}"; do
  if ! grep -Eq -- "$pattern" <<<"$output"; then
    echo "== no line matches: $pattern"
    status=1
  fi
  if [ "$exit_expected" != 2 ] && ! tr -d '\r' <"$log" 2>/dev/null | grep -Eq -- "$pattern"; then
    echo "== the log $log lacks the line: $pattern"
    status=1
  fi
done
if [ "$exit_expected" != 2 ]; then
  if [ "$(head -c3 "$log" 2>/dev/null | od -An -tx1 | tr -d ' ')" != efbbbf ] ||
    ! grep -q $'\r$' "$log"; then
    echo "== the log $log lacks the byte-order mark or CR LF line ends"
    status=1
  fi
fi
exit $status
