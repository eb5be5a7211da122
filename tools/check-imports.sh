#!/bin/sh
# Fails when a Windows program imports a library that is not among Windows' known
# libraries (always taken from the system folder) or its side-by-side common controls.
# Usage: tools/check-imports.sh OBJDUMP PROGRAM.exe
set -eu
objdump=$1
program=$2
imports=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
status=0
for dll in $imports; do
  case $dll in
    kernel32.dll | user32.dll | gdi32.dll | ole32.dll | shell32.dll | msvcrt.dll | comctl32.dll) ;;
    *) echo "$program imports $dll, which Windows may look for beside the program" >&2; status=1 ;;
  esac
done
echo "imports:" $imports
exit "$status"
