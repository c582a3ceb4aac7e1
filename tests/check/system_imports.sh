#!/usr/bin/env bash
# Lists the DLLs a Windows program imports and fails when one is not part of Windows itself: a
# program that needs the compiler's runtime DLLs does not start on a machine without them.
#   system_imports.sh PROGRAM.exe
set -euo pipefail
system=" kernel32.dll user32.dll gdi32.dll comctl32.dll comdlg32.dll shell32.dll msvcrt.dll winspool.drv advapi32.dll "
status=0
for dll in $(x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\tDLL Name: //p'); do
  lower=$(tr '[:upper:]' '[:lower:]' <<<"$dll")
  if [[ $system == *" $lower "* ]]; then
    echo "imports $dll"
  else
    echo "imports $dll, which is not part of Windows"
    status=1
  fi
done
exit $status
