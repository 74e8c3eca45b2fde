#!/usr/bin/env bash
# Checks a deliverable's PE header: Windows GUI subsystem (2), and only system DLLs imported, so the
# program runs from its folder alone (no MinGW runtime DLLs beside it).
#   shell_imports_check.sh PROGRAM [OBJDUMP]
set -euo pipefail
program=${1:?program}
objdump=${2:-x86_64-w64-mingw32-objdump}
headers=$("$objdump" -p "$program")

subsystem=$(awk '$1 == "Subsystem" { print $2 }' <<<"$headers")
if [ "$((16#$subsystem))" -ne 2 ]; then
    echo "FAIL: $program has subsystem $subsystem, not 2 (Windows GUI)" >&2
    exit 1
fi

system_dlls=" KERNEL32.DLL USER32.DLL GDI32.DLL OPENGL32.DLL GLU32.DLL MSVCRT.DLL ADVAPI32.DLL SHELL32.DLL "
system_dlls+="COMDLG32.DLL WINMM.DLL MSIMG32.DLL OLE32.DLL OLEAUT32.DLL COMCTL32.DLL SHLWAPI.DLL VERSION.DLL "
dlls=$(awk '/DLL Name:/ { print toupper($3) }' <<<"$headers")
if [ -z "$dlls" ]; then
    echo "FAIL: no import table found in $program" >&2
    exit 1
fi
status=0
for dll in $dlls; do
    case "$system_dlls" in
        *" $dll "*) echo "ok: imports $dll" ;;
        *) echo "FAIL: $program imports $dll, which is not a system DLL" >&2; status=1 ;;
    esac
done
[ "$status" -eq 0 ] && echo "ok: $program is a Windows GUI program importing system DLLs only"
exit "$status"
