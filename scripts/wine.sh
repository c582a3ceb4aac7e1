#!/usr/bin/env bash
# Runs a Windows program headless under Wine, in the project's own prefix, with the Japanese
# code page (932) the plug-in is made for, and decides how Wine's 32-bit half runs here.
#   scripts/wine.sh 32|64 PROGRAM.exe [ARGS...]
#   scripts/wine.sh choose-32    decide how 32-bit programs run, registering qemu-user where
#                                that is needed and allowed; print the decision
#   scripts/wine.sh route-32     the same decision, registering nothing
#
# The decision is made once per run by the script that starts the run and handed on in
# TKT_WINE32 as "KIND: what it means". KIND is one of
#   native  the kernel runs 32-bit programs itself: Wine's 32-bit half runs as it is;
#   qemu    binfmt_misc hands 32-bit programs to an emulator (qemu-user): through our own
#           registration, made where the kernel refuses them, we are root and binfmt_misc is
#           writable (TKT_NO_QEMU=1 turns this off), or through someone else's, used as it is;
#   none    neither: 32-bit runs are skipped, for the reason given.
# Nothing is registered where the kernel runs 32-bit programs itself, and no registration that
# this project did not make is ever changed.
# The locale is set for Wine alone: no glibc locale is needed for it to pick code page 932.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

wine32=/usr/lib/wine/wine
wine64=/usr/lib/wine/wine64
export WINEPREFIX=${TKT_WINEPREFIX:-${XDG_CACHE_HOME:-${HOME:-/tmp}/.cache}/tkt-a1-wine}
export WINEDEBUG=-all
# A program that crashes ends there, instead of waiting in Wine's debugger.
export WINEDLLOVERRIDES=winedbg.exe=d

binfmt=/proc/sys/fs/binfmt_misc
# Our registration, made with binfmt-support, whose admin files name the package that made it.
package=tkt-a1-qpl
format="qemu-i386"
qemu=/usr/bin/qemu-i386-static
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
unregister="update-binfmts --package $package --remove $format $qemu"

runs_32() { "$wine32" --version >/dev/null 2>&1; }

# The live binfmt_misc entry that takes i386 programs such as wine32, if any. The kernel's own
# entries decide; binfmt-support's admin files may be stale (a reboot, another namespace).
i386_entry() {
  [ "$(cat "$binfmt/status" 2>/dev/null)" = enabled ] || return 0
  local header entry offset magic mask i byte keep matches
  header=$(od -An -tx1 -N128 "$wine32" | tr -d ' \n')
  for entry in "$binfmt"/*; do
    case ${entry##*/} in register | status) continue ;; esac
    [ "$(sed -n 1p "$entry")" = enabled ] || continue
    offset=$(sed -n 's/^offset //p' "$entry")
    offset=${offset:-0}
    magic=$(sed -n 's/^magic //p' "$entry")
    mask=$(sed -n 's/^mask //p' "$entry")
    [ -n "$magic" ] || continue # an entry by file name extension
    matches=1
    for ((i = 0; i < ${#magic}; i += 2)); do
      byte=${header:$((offset * 2 + i)):2}
      keep=${mask:i:2}
      if [ -z "$byte" ] || ((((16#$byte ^ 16#${magic:i:2}) & 16#${keep:-ff}) != 0)); then
        matches=0
        break
      fi
    done
    [ $matches = 0 ] || { echo "${entry##*/}"; return; }
  done
}

# True when binfmt-support's admin file for FORMAT says our package made it.
admin_ours() { [ "$(sed -n 1p "/var/lib/binfmts/$1" 2>/dev/null)" = "$package" ]; }

# True when the live entry NAME is ours: our format, and an admin file of our package that names
# the interpreter the kernel uses.
live_ours() {
  [ "$1" = "$format" ] && admin_ours "$1" &&
    [ "$(sed -n 6p "/var/lib/binfmts/$1")" = "$(interpreter "$1")" ]
}

interpreter() { sed -n 's/^interpreter //p' "$binfmt/$1"; }

# Registers qemu-user for i386 programs, or prints why it may not and fails.
register_qemu() {
  [ "${TKT_NO_QEMU:-}" != 1 ] || { echo "TKT_NO_QEMU=1 keeps qemu-user out"; return 1; }
  [ "$(id -u)" = 0 ] || { echo "registering qemu-user for them needs root"; return 1; }
  [ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null ||
    { echo "binfmt_misc cannot be mounted here"; return 1; }
  [ -w "$binfmt/register" ] || { echo "binfmt_misc is not writable here"; return 1; }
  "$here/install-deps.sh" qemu >&2 ||
    { echo "qemu-user-static and binfmt-support could not be installed"; return 1; }
  # An admin file of ours without a live entry is stale: start afresh from the values above.
  if admin_ours "$format"; then $unregister >/dev/null 2>&1 || true; fi
  local refused
  refused=$(update-binfmts --package "$package" --install "$format" "$qemu" --magic "$magic" \
    --mask "$mask" --fix-binary yes 2>&1) ||
    { echo "update-binfmts refused: ${refused//$'\n'/ }"; return 1; }
  echo "== Registered qemu-user with the kernel for 32-bit programs; '$unregister' undoes it" >&2
}

# Prints the decision; with "register", registers qemu-user first where that is the way.
decide_32() {
  [ -x "$wine32" ] || { echo "none: wine32 is not installed"; return; }
  local entry why
  entry=$(i386_entry)
  if [ -z "$entry" ]; then
    runs_32 && { echo "native: the kernel runs 32-bit programs itself"; return; }
    local refused="the kernel refuses 32-bit programs"
    [ "$1" = register ] || { echo "none: $refused"; return; }
    why=$(register_qemu) || { echo "none: $refused, and $why"; return; }
    entry=$(i386_entry)
    [ -n "$entry" ] || { echo "none: $refused, and registering qemu-user took no effect"; return; }
  fi
  local through
  through="binfmt_misc entry $entry hands 32-bit programs to $(interpreter "$entry")"
  if live_ours "$entry"; then
    through+="; this project registered it, and '$unregister' undoes it"
  else
    through+="; this project did not register it"
  fi
  runs_32 || { echo "none: $through, and $wine32 --version fails there"; return; }
  echo "qemu: $through"
}

case ${1:-} in
choose-32) decide_32 register; exit ;;
route-32) decide_32 look; exit ;;
esac

bits=$1
shift
[ -x "$wine64" ] || { echo "wine64 is not installed (scripts/install-deps.sh)" >&2; exit 1; }
route=${TKT_WINE32:-$(decide_32 look)}
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

if [ "$bits" = 32 ]; then
  exec env LC_ALL=ja_JP.UTF-8 "$wine32" "$@"
else
  exec env LC_ALL=ja_JP.UTF-8 "$wine64" "$@"
fi
