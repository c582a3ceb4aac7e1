#!/usr/bin/env bash
# Runs a Windows program headless under Wine, in the project's own prefix, with the Japanese
# code page (932) the plug-in is made for.
#   scripts/wine.sh 32|64 PROGRAM.exe [ARGS...]
#   scripts/wine.sh can-run-32      exit 0 where this machine runs 32-bit programs
# The locale is set for Wine alone: no glibc locale is needed for it to pick code page 932.
set -euo pipefail

wine32=/usr/lib/wine/wine
wine64=/usr/lib/wine/wine64
export WINEPREFIX=${TKT_WINEPREFIX:-${XDG_CACHE_HOME:-${HOME:-/tmp}/.cache}/tkt-a1-wine}
export WINEDEBUG=-all
# A program that crashes ends there, instead of waiting in Wine's debugger.
export WINEDLLOVERRIDES=winedbg.exe=d

# A 32-bit Linux program starts only where the kernel runs 32-bit code and wine32 is installed.
can_run_32() { "$wine32" --version >/dev/null 2>&1; }

if [ "${1:-}" = can-run-32 ]; then
  can_run_32
  exit
fi

bits=$1
shift
[ -x "$wine64" ] || { echo "wine64 is not installed (scripts/install-deps.sh)" >&2; exit 1; }

# Make the prefix once, with the null display driver, and let it settle before the first program
# runs: a program started in a half-made prefix was seen failing to create any window.
mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
if [ ! -f "$WINEPREFIX/.tkt-ready" ]; then
  env LC_ALL=ja_JP.UTF-8 "$wine64" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  /usr/lib/wine/wineserver -w
  touch "$WINEPREFIX/.tkt-ready"
fi
flock -u 9

if [ "$bits" = 32 ]; then
  exec env LC_ALL=ja_JP.UTF-8 "$wine32" "$@"
else
  exec env LC_ALL=ja_JP.UTF-8 "$wine64" "$@"
fi
