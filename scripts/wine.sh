#!/usr/bin/env bash
# Runs a Windows program headless under Wine, in the project's own prefix, with the Japanese
# code page (932) the plug-in is made for.
#   scripts/wine.sh 32|64 PROGRAM.exe [ARGS...]
# A 32-bit program runs the way scripts/wine32.sh decided for this run (TKT_WINE32), or, where
# no run decided, the way it finds without registering anything.
# The locale is set for Wine alone: no glibc locale is needed for it to pick code page 932.
# TKT_WINE_LOCALE names another (C.UTF-8: code page 1252, English), for a test of just that.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

wine32=/usr/lib/wine/wine
wine64=/usr/lib/wine/wine64
export WINEPREFIX=${TKT_WINEPREFIX:-${XDG_CACHE_HOME:-${HOME:-/tmp}/.cache}/tkt-a1-wine}
export WINEDEBUG=-all
# A program that crashes ends there, instead of waiting in Wine's debugger.
export WINEDLLOVERRIDES=winedbg.exe=d

if [ $# -lt 2 ] || { [ "$1" != 32 ] && [ "$1" != 64 ]; }; then
  echo "usage: scripts/wine.sh 32|64 PROGRAM.exe [ARGS...]" >&2
  exit 2
fi
bits=$1
shift
[ -x "$wine64" ] || { echo "wine64 is not installed (scripts/install-deps.sh)" >&2; exit 1; }
route=${TKT_WINE32:-$("$here/wine32.sh" route)}
if [ "${route%%:*}" = qemu ]; then
  # qemu-user gives a 32-bit program 4 GiB by default, and Wine then spends a minute and a half
  # of every start reserving the upper half piece by piece; Windows gives such a program 2 GiB.
  # Just above 2 GiB (room for Wine's shared page at 0x7ffe0000 and the stack) a start takes
  # seconds.
  export QEMU_RESERVED_VA=0x81000000
fi

# Make the prefix once, with the null display driver, and let it settle before the first program
# runs: a program started in a half-made prefix was seen failing to create any window. A prefix
# made while 32-bit programs could not run lacks Wine's 32-bit half ("could not load
# kernel32.dll"): where they run now, it is made again.
mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
if [ -f "$WINEPREFIX/.tkt-ready" ] && [ "${route%%:*}" != none ] &&
  [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
  echo "== The Wine prefix $WINEPREFIX has no 32-bit half: making it again" >&2
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
fi
if [ ! -f "$WINEPREFIX/.tkt-ready" ]; then
  env LC_ALL=ja_JP.UTF-8 "$wine64" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  /usr/lib/wine/wineserver -w
  touch "$WINEPREFIX/.tkt-ready"
fi
flock -u 9
exec 9>&- # the programs, and the wineserver they start, keep no hold on the lock file

# A wineserver that a program starts inherits the program's standard output and error and keeps
# them open until the server ends, long after the program when others share the prefix, so that
# whoever reads them (a command substitution, a pipe) waits for the server. It is started here
# instead, holding none of them; where one already runs for the prefix, this one ends at once.
/usr/lib/wine/wineserver </dev/null >/dev/null 2>&1 || true

if [ "$bits" = 32 ]; then
  exec env LC_ALL="${TKT_WINE_LOCALE:-ja_JP.UTF-8}" "$wine32" "$@"
else
  exec env LC_ALL="${TKT_WINE_LOCALE:-ja_JP.UTF-8}" "$wine64" "$@"
fi
