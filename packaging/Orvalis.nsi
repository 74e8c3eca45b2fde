; Installer of the Orvalis screen saver for 64-bit Windows.
;   - Orvalis.scr and Orvalis.dll go side by side into the native system folder, where Windows lists savers;
;   - the saver becomes the screen saver of the person who runs the installer;
;   - an uninstaller (with the readme) goes to Program Files\Orvalis and is registered in Add/Remove Programs.
; The installer runs as the user who started it. The machine-wide steps (the system folder, Program Files, the
; settings file's permissions, the Add/Remove Programs entry) run in a second, elevated instance of the same
; program (/MACHINE), which the first one starts with the "runas" verb and waits for; the user's own screen
; saver settings and the finish page's "/c" stay in the first instance, in that user's registry. A silent run
; that is elevated already (a deployment) does both parts itself, for the account it runs as. The uninstaller
; works the same way.
; Built by packaging/CMakeLists.txt:
;   makensis -DVERSION=1.00.0001 -DVERSION_QUAD=1.0.0.1 -DSCR_FILE=... -DDLL_FILE=... -DREADME_FILE=...
;            -DICON_FILE=... -DOUT_FILE=... Orvalis.nsi
; Silent install and uninstall: /S. The uninstaller keeps the user's Orvalis.ini unless the user says
; otherwise.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestSupportedOS all

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"
!include "FileFunc.nsh"

!define PRODUCT_NAME "Orvalis (ScreenSaver)"
!define PUBLISHER "Orvalis developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvalis"
!define DESKTOP_KEY "Control Panel\Desktop"
; A 64-bit installer sees the real System32 (no file-system redirection).
!define SAVER_DIR "$WINDIR\System32"
!define SAVER_PATH "${SAVER_DIR}\Orvalis.scr"
!define SETTINGS_PATH "${SAVER_DIR}\Orvalis.ini"
; The well-known SID of the local Users group (its name is translated on non-English systems).
!define USERS_SID "*S-1-5-32-545"
; What this instance does: the user's part and the machine's in an elevated instance it starts, the machine's
; part only (as that elevated instance), or both itself (a silent run that is elevated already).
!define ROLE_USER "user"
!define ROLE_MACHINE "machine"
!define ROLE_BOTH "both"
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_UPDATEINIFILE_SENDCHANGE 3
; SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC
!define SEE_MASK_WAIT_FOR_PROCESS 0x140
!define ERROR_CANCELLED 1223

Var Role
; 1 when the user agreed to delete the saved settings (passed on to the elevated uninstaller).
Var DeleteSettings

Name "${PRODUCT_NAME}"
OutFile "${OUT_FILE}"
InstallDir "$PROGRAMFILES64\Orvalis"
Caption "${PRODUCT_NAME} Setup"
UninstallCaption "${PRODUCT_NAME} Uninstall"
BrandingText "${PRODUCT_NAME} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT_NAME} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON_FILE}"
!define MUI_UNICON "${ICON_FILE}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TITLE "${PRODUCT_NAME} ${VERSION}"
!define MUI_WELCOMEPAGE_TEXT "This installs the Orvalis screen saver for every user of this computer and \
makes it your screen saver.$\r$\n$\r$\nOrvalis.scr and Orvalis.dll are copied into $WINDIR\System32. You can \
remove them again under Add or Remove Programs.$\r$\n$\r$\n$_CLICK"
!define MUI_FINISHPAGE_TITLE "Orvalis is your screen saver"
!define MUI_FINISHPAGE_TEXT "Orvalis starts when the computer has been idle for the time set under \
Screen Saver Settings. Its own settings (the background music) open with the Settings button there."
!define MUI_FINISHPAGE_RUN "${SAVER_PATH}"
!define MUI_FINISHPAGE_RUN_PARAMETERS "/c"
!define MUI_FINISHPAGE_RUN_TEXT "Choose the background music now"
!define MUI_FINISHPAGE_RUN_NOTCHECKED
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\ReadMe.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the readme"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_UNPAGE_FINISH
!insertmacro MUI_LANGUAGE "English"

; Tells running programs (the Screen Saver Settings among them) that the desktop settings changed.
!macro AnnounceDesktopChange
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:${DESKTOP_KEY}" /TIMEOUT=1000
!macroend

; Decides the instance's role from its command line and whether it runs elevated already.
!macro ChooseRole
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/MACHINE" $R1
    ${IfNot} ${Errors}
        StrCpy $Role ${ROLE_MACHINE}
        SetSilent silent
    ${Else}
        StrCpy $Role ${ROLE_USER}
        ${If} ${Silent}
            UserInfo::GetAccountType
            Pop $R1
            ${If} $R1 == "Admin"
                StrCpy $Role ${ROLE_BOTH}
            ${EndIf}
        ${EndIf}
    ${EndIf}
    ClearErrors
    ${GetOptions} $R0 "/DELETESETTINGS" $R1
    ${IfNot} ${Errors}
        StrCpy $DeleteSettings 1
    ${Else}
        StrCpy $DeleteSettings 0
    ${EndIf}
!macroend

; Runs this program again elevated ("runas") with PARAMETERS and waits for it. Its exit code 3010 sets the
; restart flag; a refused elevation or any other exit code ends this installer with a message.
!macro RunMachinePart PARAMETERS WHAT
    ; SHELLEXECUTEINFOW on x64: cbSize 0, fMask 4, hwnd 8, lpVerb 16, lpFile 24, lpParameters 32, nShow 48,
    ; hProcess 104, 112 bytes in all. Each field is written at its offset; the rest stays zero.
    System::Call '*(&w16 "runas") p .R5'
    System::Call '*(&w${NSIS_MAX_STRLEN} "$EXEPATH") p .R6'
    System::Call '*(&w${NSIS_MAX_STRLEN} "${PARAMETERS}") p .R7'
    System::Alloc 112
    Pop $R4
    System::Call '*$R4(i 112, i ${SEE_MASK_WAIT_FOR_PROCESS}, p $HWNDPARENT, p R5, p R6, p R7)'
    IntPtrOp $R3 $R4 + 48
    System::Call '*$R3(i ${SW_SHOWNORMAL})'
    System::Call 'shell32::ShellExecuteExW(p R4) i .R0 ?e'
    Pop $R1
    StrCpy $R2 ""
    ${If} $R0 != 0
        IntPtrOp $R3 $R4 + 104
        System::Call '*$R3(p .R3)'
        System::Call 'kernel32::WaitForSingleObject(p R3, i -1) i'
        System::Call 'kernel32::GetExitCodeProcess(p R3, *i .R2) i'
        System::Call 'kernel32::CloseHandle(p R3) i'
    ${EndIf}
    System::Free $R4
    System::Free $R5
    System::Free $R6
    System::Free $R7
    ${If} $R0 == 0
        ${If} $R1 = ${ERROR_CANCELLED}
            MessageBox MB_OK|MB_ICONSTOP "Orvalis was not ${WHAT}: its files in the Windows folder need an \
                administrator's approval." /SD IDOK
        ${Else}
            MessageBox MB_OK|MB_ICONSTOP "Orvalis was not ${WHAT}: the part that needs administrator rights \
                could not start (error $R1)." /SD IDOK
        ${EndIf}
        SetErrorLevel 2
        Abort
    ${ElseIf} $R2 = 3010
        SetRebootFlag true
    ${ElseIf} $R2 != 0
        MessageBox MB_OK|MB_ICONSTOP "Orvalis was not ${WHAT}: the part that needs administrator rights \
            failed (exit code $R2)." /SD IDOK
        SetErrorLevel 2
        Abort
    ${EndIf}
    DetailPrint "Administrator part done (exit code $R2)"
!macroend

; Adds the size of a file in bytes to a variable (0 when the file cannot be opened).
!macro AddFileSize VAR PATH
    ClearErrors
    FileOpen $9 "${PATH}" r
    ${IfNot} ${Errors}
        FileSeek $9 0 END $8
        FileClose $9
        IntOp ${VAR} ${VAR} + $8
    ${EndIf}
!macroend

; Puts one program into the saver folder. While the saver or its preview in the Screen Saver Settings runs,
; Windows keeps the old copy locked: the new one then waits beside it and replaces it when Windows restarts.
!macro InstallProgram NAME SOURCE
    SetOverwrite try
    ClearErrors
    File "/oname=${NAME}" "${SOURCE}"
    ${If} ${Errors}
        SetOverwrite on
        File "/oname=${NAME}.new" "${SOURCE}"
        Rename /REBOOTOK "${SAVER_DIR}\${NAME}.new" "${SAVER_DIR}\${NAME}"
        DetailPrint "${NAME} is in use: it is replaced when Windows restarts"
        SetRebootFlag true
    ${EndIf}
!macroend

; Removes one program; a copy in use goes when Windows restarts.
!macro RemoveProgram NAME
    ClearErrors
    Delete "${SAVER_DIR}\${NAME}"
    ${If} ${Errors}
        Delete /REBOOTOK "${SAVER_DIR}\${NAME}"
        DetailPrint "${NAME} is in use: it is removed when Windows restarts"
    ${EndIf}
!macroend

Function .onInit
    SetRegView 64
    !insertmacro ChooseRole
FunctionEnd

; A restart still to come is reported the way Windows installers report it (3010), also after a silent run.
Function .onInstSuccess
    ${If} ${RebootFlag}
        SetErrorLevel 3010
    ${EndIf}
FunctionEnd

Function un.onUninstSuccess
    ${If} ${RebootFlag}
        SetErrorLevel 3010
    ${EndIf}
FunctionEnd

; The machine's part: the programs, the settings file, the uninstaller and the Add/Remove Programs entry.
!macro InstallForTheMachine
    ; Both programs in one folder: the saver starts its renderer from its own folder.
    SetOutPath "${SAVER_DIR}"
    !insertmacro InstallProgram "Orvalis.scr" "${SCR_FILE}"
    !insertmacro InstallProgram "Orvalis.dll" "${DLL_FILE}"
    SetOverwrite on

    ; The saver keeps its settings in Orvalis.ini beside itself, and a 64-bit program that is not elevated
    ; cannot create files in System32. An empty settings file (the saver's defaults) that every user may
    ; change lets the settings dialog save the music choice. An existing file is the user's: left as it is.
    ${IfNot} ${FileExists} "${SETTINGS_PATH}"
        FileOpen $0 "${SETTINGS_PATH}" w
        FileClose $0
    ${EndIf}
    nsExec::Exec '"${SAVER_DIR}\icacls.exe" "${SETTINGS_PATH}" /grant ${USERS_SID}:(M)'
    Pop $0
    DetailPrint "Settings file ${SETTINGS_PATH} (access for users: $0)"

    ; Without its uninstaller the saver could not be removed again: that ends the installation with an error
    ; (exit code 2), which the instance that started this one reports.
    ClearErrors
    SetOutPath "$INSTDIR"
    File "/oname=ReadMe.txt" "${README_FILE}"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    ${If} ${Errors}
        DetailPrint "$INSTDIR cannot take the uninstaller and the readme"
        Abort
    ${EndIf}

    ; Add or Remove Programs.
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_NAME}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "${SAVER_PATH},0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    StrCpy $0 0
    !insertmacro AddFileSize $0 "${SAVER_PATH}"
    !insertmacro AddFileSize $0 "${SAVER_DIR}\Orvalis.dll"
    !insertmacro AddFileSize $0 "$INSTDIR\Uninstall.exe"
    !insertmacro AddFileSize $0 "$INSTDIR\ReadMe.txt"
    IntOp $0 $0 / 1024
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
!macroend

Section "Orvalis" SecSaver
    SectionIn RO
    SetRegView 64

    ${If} $Role == ${ROLE_USER}
        !insertmacro RunMachinePart "/S /MACHINE /D=$INSTDIR" "installed"
    ${Else}
        !insertmacro InstallForTheMachine
    ${EndIf}

    ${If} $Role != ${ROLE_MACHINE}
        ; The user's screen saver. The saver is turned on through the system-parameters call, which also tells
        ; the running session; the saver's path has no such call: a registry value and the announcement.
        WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "${SAVER_PATH}"
        System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, \
            i ${SPIF_UPDATEINIFILE_SENDCHANGE}) i .r0'
        DetailPrint "Screen saver turned on (result $0)"
        !insertmacro AnnounceDesktopChange
    ${EndIf}
SectionEnd

Function un.onInit
    SetRegView 64
    !insertmacro ChooseRole
FunctionEnd

; $R0 = the registered saver path with any quotes removed; $R1 = 1 when it names the installed Orvalis.scr
; (long or short form, any case), else 0.
Function un.NamesThisSaver
    StrCpy $R1 0
    StrCpy $R2 $R0 1
    ${If} $R2 == '"'
        StrCpy $R0 $R0 "" 1
        StrCpy $R2 $R0 1 -1
        ${If} $R2 == '"'
            StrCpy $R0 $R0 -1
        ${EndIf}
    ${EndIf}
    ${If} $R0 == ""
        Return
    ${EndIf}
    ; StrCmp (behind ==) ignores case, as Windows does for paths.
    ${If} $R0 == "${SAVER_PATH}"
    ${OrIf} $R0 == "$SYSDIR\Orvalis.scr"
        StrCpy $R1 1
        Return
    ${EndIf}
    GetFullPathName /SHORT $R2 "${SAVER_PATH}"
    ${If} $R2 != ""
    ${AndIf} $R0 == $R2
        StrCpy $R1 1
    ${EndIf}
FunctionEnd

; The machine's part of the removal; the saved settings go only with $DeleteSettings = 1.
!macro RemoveFromTheMachine
    !insertmacro RemoveProgram "Orvalis.scr"
    !insertmacro RemoveProgram "Orvalis.dll"

    ; An empty settings file is the one this installer made: nothing of the user's is in it.
    ${If} ${FileExists} "${SETTINGS_PATH}"
        StrCpy $0 0
        !insertmacro AddFileSize $0 "${SETTINGS_PATH}"
        ${If} $0 == 0
        ${OrIf} $DeleteSettings == 1
            Delete "${SETTINGS_PATH}"
        ${EndIf}
    ${EndIf}

    Delete "$INSTDIR\ReadMe.txt"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
!macroend

; The user's screen saver is cleared only while it is still this one.
!macro ClearTheUsersSaver
    ClearErrors
    ReadRegStr $R0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${IfNot} ${Errors}
        Call un.NamesThisSaver
        ${If} $R1 == 1
            DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
            !insertmacro AnnounceDesktopChange
        ${EndIf}
    ${EndIf}
!macroend

Section "Uninstall"
    SetRegView 64

    ; Settings the user saved are removed only when the user says so; a silent uninstall keeps them.
    ${If} $Role != ${ROLE_MACHINE}
        StrCpy $0 0
        !insertmacro AddFileSize $0 "${SETTINGS_PATH}"
        ${If} $0 != 0
            MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
                "Also delete your Orvalis settings (the music you chose)?$\r$\n$\r$\n${SETTINGS_PATH}" \
                /SD IDNO IDNO keep_settings
            StrCpy $DeleteSettings 1
            keep_settings:
        ${EndIf}
    ${EndIf}

    ; The user's value goes once the elevated instance has removed the files: a refused elevation changes
    ; nothing.
    ${If} $Role == ${ROLE_USER}
        ${If} $DeleteSettings == 1
            !insertmacro RunMachinePart "/S /MACHINE /DELETESETTINGS _?=$INSTDIR" "removed"
        ${Else}
            !insertmacro RunMachinePart "/S /MACHINE _?=$INSTDIR" "removed"
        ${EndIf}
        !insertmacro ClearTheUsersSaver
    ${ElseIf} $Role == ${ROLE_BOTH}
        !insertmacro ClearTheUsersSaver
        !insertmacro RemoveFromTheMachine
    ${Else}
        !insertmacro RemoveFromTheMachine
    ${EndIf}
SectionEnd
