#!/usr/bin/env bash
# Lists the DLLs a Windows program imports and fails when one is not part of Windows itself: a
# program that needs the compiler's runtime DLLs does not start on a machine without them.
#   system_imports.sh PROGRAM.exe
set -euo pipefail
system=" kernel32.dll user32.dll gdi32.dll comctl32.dll comdlg32.dll shell32.dll msvcrt.dll winspool.drv advapi32.dll "
[ -f "$1" ] || { echo "FAILED: no program $1 (is its build there?)"; exit 1; }
dlls=$(x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\tDLL Name: //p')
[ -n "$dlls" ] || { echo "FAILED: $1 imports no DLL: not a program objdump can read"; exit 1; }
status=0
for dll in $dlls; do
  lower=$(tr '[:upper:]' '[:lower:]' <<<"$dll")
  if [[ $system == *" $lower "* ]]; then
    echo "imports $dll"
  else
    echo "imports $dll, which is not part of Windows"
    status=1
  fi
done
exit $status
