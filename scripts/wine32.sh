#!/usr/bin/env bash
# Decides how Wine's 32-bit half runs here, and registers qemu-user for it where that is the way.
#   scripts/wine32.sh choose   decide, registering qemu-user where that is needed and allowed;
#                              print the decision
#   scripts/wine32.sh route    the same decision, registering nothing
#
# The script that starts a run decides once and hands the decision on in TKT_WINE32 as
# "KIND: what it means" (scripts/wine.sh and tests/wine/run.sh read it). KIND is one of
#   native  the kernel runs 32-bit programs itself: Wine's 32-bit half runs as it is;
#   qemu    binfmt_misc hands 32-bit programs to an emulator (qemu-user): through our own
#           registration, made where the kernel refuses them, we are root and binfmt_misc is
#           writable (TKT_NO_QEMU=1 turns this off), or through someone else's, used as it is;
#   none    neither: 32-bit runs are skipped, for the reason given.
# Nothing is registered where the kernel runs 32-bit programs itself, and no registration that
# this project did not make is ever changed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

wine32=/usr/lib/wine/wine

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
choose) decide_32 register ;;
route) decide_32 look ;;
*)
  echo "usage: scripts/wine32.sh choose|route" >&2
  exit 2
  ;;
esac
