#!/usr/bin/env bash
# Runs one Windows test program under Wine for the native test suite.
#   run.sh 32|64 PROGRAM.exe [ARGS...]
# A 32-bit run goes the way scripts/wine32.sh decided for this run (TKT_WINE32; asked now, without
# registering anything, where the suite runs on its own). Where 32-bit programs cannot run, it
# says why and is skipped. A suite that must not run emulated names the reason in
# TKT_NOT_EMULATED and is skipped with it there.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
scripts=$here/../../scripts
if [ "$1" = 32 ]; then
  route=${TKT_WINE32:-$("$scripts/wine32.sh" route)}
  export TKT_WINE32=$route
  case $route in
  none:*)
    echo "SKIPPED: the 32-bit product itself was not run here: ${route#none: }; the 64-bit" \
      "module was tested instead."
    exit 77
    ;;
  qemu:*)
    if [ -n "${TKT_NOT_EMULATED:-}" ]; then
      echo "SKIPPED under emulation: $TKT_NOT_EMULATED"
      exit 77
    fi
    ;;
  esac
fi
exec "$scripts/wine.sh" "$@"
