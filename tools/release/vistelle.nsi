; The Vistelle installer: a 64-bit, per-user setup that needs no
; administrator rights. Built by tools/release/make-release.sh, which passes
;   VERSION   the release, "2.0.0"
;   STAGE     the installed program folder (cmake --install)
;   FILES     an include file that installs the folder's files (files.nsh)
;   UNFILES   an include file that removes them again (unfiles.nsh)
;   ICON      the program's icon
;   OUTFILE   the installer to write
; /S installs silently (with the components as preselected), /D=FOLDER
; installs elsewhere. Uninstall.exe /S uninstalls silently and keeps the
; user's library and settings.

Target amd64-unicode
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include WinMessages.nsh
!include WordFunc.nsh
!include nsDialogs.nsh

!define PRODUCT "Vistelle"
!define PROGRAM "Pictora.exe"
; The class of the program's main window.
!define WINDOW_CLASS "Vistelle"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; The value the program's settings write too: "\"FOLDER\Pictora.exe\" hide".
!define RUN_VALUE "Pictora"

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION} Setup"
UninstallCaption "${PRODUCT} ${VERSION} Uninstall"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; An earlier installation is updated where it is.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "the ${PRODUCT} developers"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!ifdef WIZARD_BITMAP
  !define MUI_WELCOMEFINISHPAGE_BITMAP "${WIZARD_BITMAP}"
  !define MUI_UNWELCOMEFINISHPAGE_BITMAP "${WIZARD_BITMAP}"
!endif
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
; The uninstaller's choice to remove the library and settings too.
Var LibraryBox
Var RemoveLibrary

!define MUI_WELCOMEPAGE_TEXT "This will install ${PRODUCT} ${VERSION} for you alone; it needs no administrator rights.$\r$\n$\r$\nIf ${PRODUCT} is running, setup closes it first. Your library and settings of an earlier installation are kept.$\r$\n$\r$\nClick Next to continue."
!insertmacro MUI_PAGE_WELCOME
!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup will install ${PRODUCT} in the folder below. To install it elsewhere, click Browse."
!insertmacro MUI_PAGE_DIRECTORY
!define MUI_COMPONENTSPAGE_TEXT_TOP "Choose whether ${PRODUCT} starts with Windows. You can change it later in its settings."
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PROGRAM}"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"
!define MUI_FINISHPAGE_TEXT "${PRODUCT} ${VERSION} has been installed. It is in the Start menu as $\"${PRODUCT}$\".$\r$\n$\r$\nClick Finish to close setup."
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
UninstPage custom un.LibraryPage un.LibraryPageLeave
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; ---------------------------------------------------------------------------
; Shared by setup and the uninstaller.

; Closes a running copy of the program (it saves its library and settings and
; ends on WM_CLOSE) and waits for its process to end, so that its files can
; be replaced or removed. Asks the user to close it when it does not end;
; a silent run, or a user who cancels, gives up.
!macro CLOSE_PROGRAM un
Function ${un}CloseProgram
  Push $0
  Push $1
  Push $2
  Push $3
  StrCpy $3 0
  ${Do}
    FindWindow $0 "${WINDOW_CLASS}" ""
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    DetailPrint "Closing the running ${PRODUCT}..."
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1) i'
    ; SYNCHRONIZE: enough to wait for the process.
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2'
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=15000
    ${If} $2 P<> 0
      System::Call 'kernel32::WaitForSingleObject(p r2, i 15000) i'
      System::Call 'kernel32::CloseHandle(p r2)'
    ${Else}
      Sleep 2000
    ${EndIf}
    FindWindow $0 "${WINDOW_CLASS}" ""
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    IntOp $3 $3 + 1
    ${If} $3 >= 2
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} is still running. Close it (its tray icon's menu, Close), then click Retry." /SD IDCANCEL IDRETRY retry
      Abort "${PRODUCT} is still running."
      retry:
      StrCpy $3 0
    ${EndIf}
  ${Loop}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro CLOSE_PROGRAM ""
!insertmacro CLOSE_PROGRAM "un."

; Whether a Run value starts the program of this folder: the path to
; Pictora.exe in any case, quoted or not, then nothing or its arguments.
; Push the value's data; pops "1" or "0".
!macro STARTS_THIS_COPY un
Function ${un}StartsThisCopy
  Exch $0
  Push $1
  Push $2
  Push $3
  ${WordReplace} "$0" '"' "" "+" $0
  StrCpy $1 "$INSTDIR\${PROGRAM}"
  StrLen $2 $1
  StrCpy $3 $0 $2
  StrCpy $0 $0 1 $2
  ${If} $3 != $1  ; "==" and "!=" ignore the case
    StrCpy $0 0
  ${ElseIf} $0 == ""
  ${OrIf} $0 == " "
    StrCpy $0 1
  ${Else}
    StrCpy $0 0
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd
!macroend
!insertmacro STARTS_THIS_COPY ""
!insertmacro STARTS_THIS_COPY "un."

; ---------------------------------------------------------------------------
; Setup.

Section "${PRODUCT}" SecProgram
  SectionIn RO
  Call CloseProgram
  ; The library and settings (config.ini, pictora.txt) of an earlier
  ; installation are the user's: nothing here writes them.
  !include "${FILES}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  SetShellVarContext current
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${PROGRAM}" "" "$INSTDIR\${PROGRAM}" 0 \
    SW_SHOWNORMAL "" "Your own pictures as the desktop wallpaper"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize ${SecProgram} $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "Start with Windows" SecStart
  WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\${PROGRAM}" hide'
  ; An entry for the whole machine from an earlier version would start
  ; another copy first; it goes where the rights allow.
  ClearErrors
  ReadRegStr $0 HKLM "${RUN_KEY}" "${RUN_VALUE}"
  ${IfNot} ${Errors}
    Push $0
    Call StartsThisCopy
    Pop $0
    ${If} $0 == 0
      DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
    ${EndIf}
  ${EndIf}
SectionEnd

; Left out, the start with Windows of this copy is switched off.
Section "-StartOff"
  ${IfNot} ${SectionIsSelected} ${SecStart}
    ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
    Push $0
    Call StartsThisCopy
    Pop $0
    ${If} $0 == 1
      DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ${EndIf}
  ${EndIf}
SectionEnd

Function .onInit
  ; An installation that starts with Windows keeps doing so.
  ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  Push $0
  Call StartsThisCopy
  Pop $0
  ${If} $0 == 1
    SectionSetFlags ${SecStart} ${SF_SELECTED}
  ${EndIf}
FunctionEnd

; ---------------------------------------------------------------------------
; The uninstaller.

Section "un.${PRODUCT}" UnSecProgram
  SectionIn RO
  Call un.CloseProgram
  !include "${UNFILES}"
  Delete "$INSTDIR\Uninstall.exe"

  SetShellVarContext current
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  ; The start with Windows of this copy; another copy's stays.
  ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  Push $0
  Call un.StartsThisCopy
  Pop $0
  ${If} $0 == 1
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}
  ClearErrors
  ReadRegStr $0 HKLM "${RUN_KEY}" "${RUN_VALUE}"
  ${IfNot} ${Errors}
    Push $0
    Call un.StartsThisCopy
    Pop $0
    ${If} $0 == 1
      DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"  ; where the rights allow
    ${EndIf}
  ${EndIf}
SectionEnd

Section /o "-un.Library" UnSecLibrary
  Delete "$INSTDIR\config.ini"
  Delete "$INSTDIR\pictora.txt"
  Delete "$INSTDIR\pictora.bmp"
SectionEnd

; Last: the folder goes when nothing of the user's is left in it.
Section "-un.Folder"
  RMDir "$INSTDIR"
SectionEnd

; The page before the uninstall: the library and settings stay unless the
; box is ticked (a silent uninstall keeps them).
Function un.LibraryPage
  !insertmacro MUI_HEADER_TEXT "Your library and settings" "Choose whether they are removed as well."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 40u "Your library (pictora.txt), your settings (config.ini) and the last wallpaper (pictora.bmp) stay in $INSTDIR, for a later installation or a portable copy, unless you tick the box below.$\r$\n$\r$\nThe pictures themselves are never removed."
  Pop $0
  ${NSD_CreateCheckbox} 0 48u 100% 12u "Also remove my &library and settings"
  Pop $LibraryBox
  ${NSD_SetState} $LibraryBox $RemoveLibrary
  nsDialogs::Show
FunctionEnd

Function un.LibraryPageLeave
  ${NSD_GetState} $LibraryBox $RemoveLibrary
  ${If} $RemoveLibrary == ${BST_CHECKED}
    SectionSetFlags ${UnSecLibrary} ${SF_SELECTED}
  ${Else}
    SectionSetFlags ${UnSecLibrary} 0
  ${EndIf}
FunctionEnd
