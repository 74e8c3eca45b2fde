#!/usr/bin/env bash
# Orvalis.scr must run from its folder alone: a Windows GUI program (subsystem 2) that imports system DLLs
# only, none of the MinGW runtime DLLs.
#   host_imports_check.sh PROGRAM
set -euo pipefail
headers=$(x86_64-w64-mingw32-objdump -p "${1:?program}")
subsystem=$(awk '$1 == "Subsystem" { print $2 }' <<<"$headers")
[ "$((16#$subsystem))" -eq 2 ] || { echo "FAIL: subsystem $subsystem, not Windows GUI" >&2; exit 1; }
dlls=$(awk '/DLL Name:/ { print toupper($3) }' <<<"$headers")
[ -n "$dlls" ] || { echo "FAIL: no import table" >&2; exit 1; }
status=0
for dll in $dlls; do
    case "$dll" in
        KERNEL32.DLL | USER32.DLL | GDI32.DLL | MSVCRT.DLL | ADVAPI32.DLL | SHELL32.DLL | COMDLG32.DLL | \
            WINMM.DLL | MSIMG32.DLL | COMCTL32.DLL | OLE32.DLL | VERSION.DLL) echo "ok: imports $dll" ;;
        *) echo "FAIL: imports $dll, which is not a system DLL" >&2; status=1 ;;
    esac
done
exit "$status"
