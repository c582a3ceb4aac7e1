#!/usr/bin/env bash
# Fails when a 32-bit module holds an instruction that a 486 with its x87 unit lacks: SSE (which
# faults on a processor without it, and includes the MXCSR instructions), MMX, or the Pentium Pro's
# conditional moves and FCOMI comparisons. The disassembly is the proof: no emulator at hand
# refuses these instructions.
#   instruction_set.sh MODULE...
set -euo pipefail
newer='xmm|mxcsr|%mm[0-7]|\bcmov|\bfcmov|\bfu?comip?\b|[slm]fence|prefetch|movnti|maskmovq|clflush'
status=0
for module; do
  listing=$(i686-w64-mingw32-objdump -d "$module")
  lines=$(grep -c '^ *[0-9a-f]*:' <<<"$listing" || true)
  found=$(grep -E "$newer" <<<"$listing" || true)
  if [ "$lines" -eq 0 ]; then
    echo "FAIL $module: no code disassembled"
    status=1
  elif [ -n "$found" ]; then
    echo "FAIL $module: instructions beyond the 486 and its x87 unit:"
    head -n 5 <<<"$found"
    status=1
  else
    echo "ok $module: $lines instructions, none beyond the 486 and its x87 unit"
  fi
done
exit $status
