#!/usr/bin/env bash
# Writes the image checksum into a linked module, computed as the Windows loader computes it
# (CheckSumMappedFile): the file's 16-bit little-endian words added with each carry folded back
# into the low 16 bits, the checksum field itself counted as zero, then the file's length added.
#   write_pe_checksum.sh MODULE
set -euo pipefail
module=$1
header=$(od -An -v -j 60 -N 4 -t u4 --endian=little "$module")
field=$((header + 4 + 20 + 64)) # signature, file header, then 64 bytes into the optional header

write_field() {
  # shellcheck disable=SC2059 # the format is the word's four bytes as octal escapes, on purpose
  printf "$(printf '\\%03o' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24)))" |
    dd of="$module" bs=1 seek="$field" conv=notrunc status=none
}

write_field 0
sum=$(od -An -v -t u2 --endian=little "$module" |
  awk '{ for (i = 1; i <= NF; i++) { s += $i; s = s % 65536 + int(s / 65536) } } END { print s + 0 }')
write_field $((sum + $(stat -c %s "$module")))
