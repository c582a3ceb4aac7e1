#!/usr/bin/env bash
# Runs a command with a virtual X display of its own (Xvfb) and a Wine prefix whose graphics
# driver draws on it, so that Windows programs run under scripts/wine.sh show real windows whose
# pixels can be read back. The prefix is TKT_WINEPREFIX with "-display" added (the headless
# prefix keeps the null driver); the display ends with the command.
#   scripts/wine-display.sh COMMAND [ARGS...]
# Exit 77 (skipped) where Xvfb is not installed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
command -v Xvfb >/dev/null ||
  { echo "SKIPPED: Xvfb is not installed (scripts/install-deps.sh installs xvfb)"; exit 77; }

base=${TKT_WINEPREFIX:-${XDG_CACHE_HOME:-${HOME:-/tmp}/.cache}/tkt-a1-wine}
export TKT_WINEPREFIX=$base-display

# Xvfb picks a free display number and writes it to the descriptor it is given.
numbers=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$numbers" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; rm -f "$numbers"' EXIT
for _ in $(seq 100); do
  [ -s "$numbers" ] && break
  sleep 0.1
done
[ -s "$numbers" ] || { echo "FAILED: Xvfb did not start"; exit 1; }
DISPLAY=:$(head -n 1 "$numbers")
export DISPLAY

# The prefix is made as scripts/wine.sh makes every prefix, then given the X11 driver once.
if [ ! -f "$TKT_WINEPREFIX/.tkt-display" ]; then
  "$here/wine.sh" 64 cmd /c ver >/dev/null 2>&1 || true
  WINEPREFIX=$TKT_WINEPREFIX WINEDEBUG=-all /usr/lib/wine/wine64 reg add \
    'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null 2>&1
  WINEPREFIX=$TKT_WINEPREFIX /usr/lib/wine/wineserver -w
  touch "$TKT_WINEPREFIX/.tkt-display"
fi
status=0
"$@" || status=$?
WINEPREFIX=$TKT_WINEPREFIX /usr/lib/wine/wineserver -k 2>/dev/null || true
exit $status
