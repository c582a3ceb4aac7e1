#!/usr/bin/env bash
# Runs one Windows test program under Wine for the native test suite.
#   run.sh 32|64 PROGRAM.exe [ARGS...]
# Where this machine cannot run 32-bit programs, a 32-bit run says so plainly and is skipped.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
wine=$here/../../scripts/wine.sh
if [ "$1" = 32 ] && ! "$wine" can-run-32; then
  echo "SKIPPED: the 32-bit product itself was not run here: this machine cannot execute" \
    "32-bit programs (/usr/lib/wine/wine --version fails); the 64-bit module was tested instead."
  exit 77
fi
exec "$wine" "$@"
