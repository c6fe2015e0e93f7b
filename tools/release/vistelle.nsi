; The Vistelle installer: a 64-bit, per-user setup that needs no
; administrator rights. Built by tools/release/make-release.sh, which passes
;   VERSION   the release, "2.0.0"
;   STAGE     the installed program folder (cmake --install)
;   FILES     an include file that installs the folder's files (files.nsh)
;   REPLACEABLE  one that checks, before anything changes, that the files of
;             an earlier installation can be replaced (replaceable.nsh)
;   UNFILES   an include file that removes the files again (unfiles.nsh)
;   UNDIRS    and one that removes their folders when empty (undirs.nsh)
;   ICON      the program's icon
;   OUTFILE   the installer to write
;   COMPANY, COPYRIGHT  the maker and the copyright (as Pictora.exe names them)
; and, for a signed release,
;   SIGN      the command that signs a program in place (sign.sh): the
;             uninstaller before it goes into setup, and setup once written
; /S installs silently (with the components as preselected), /D=FOLDER
; installs elsewhere. Uninstall.exe /S uninstalls silently and keeps the
; user's library and settings.
; Setup needs Windows 10 version 1903 or later. A setup or uninstall that
; cannot do all of its work says so and ends with exit code 2 (a silent one
; too), leaving the installation in place: setup replaces no file unless it
; can replace them all, and the uninstaller keeps its entry, its shortcut and
; itself while files of the program remain. Uninstall.exe runs the uninstall
; from a copy of itself and ends at once; "Uninstall.exe /S _?=FOLDER" runs
; it in place and ends with its exit code.

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
!include WinVer.nsh
!include FileFunc.nsh

!define PRODUCT "Vistelle"
!define PROGRAM "Pictora.exe"
; The class of the program's main window.
!define WINDOW_CLASS "Vistelle"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; The value the program's settings write too: "\"FOLDER\Pictora.exe\" hide".
!define RUN_VALUE "Pictora"
; The wallpaper style the program found before it first spanned the
; wallpaper across the monitors (WallpaperStyle "22", TileWallpaper "0"),
; kept by the program for the uninstaller to put back.
!define DESKTOP_KEY "Control Panel\Desktop"
!define SAVED_STYLE_KEY "Software\${PRODUCT}\SavedWallpaperStyle"
!define SPAN_STYLE "22"
; Win+R "pictora" (and ShellExecute of "Pictora.exe") find the program here.
!define APP_PATHS_KEY "Software\Microsoft\Windows\CurrentVersion\App Paths\${PROGRAM}"

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
; A file that cannot be written stops the installation (Retry or Cancel; a
; silent setup cancels) instead of being skipped.
AllowSkipFiles off

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${COPYRIGHT}"

; A signing command that fails fails the build: no unsigned file goes out
; as a signed one.
!ifdef SIGN
  !uninstfinalize '"${SIGN}" "%1"' = 0
  !finalize '"${SIGN}" "%1"' = 0
!endif

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
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE FitInstallFolder
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

; Whether a file of an earlier installation can be replaced; push its path.
; One that another program holds open, or in a folder that cannot be
; written, ends setup before anything has changed (after Retry and Cancel,
; or at once when silent). A read-only file is replaceable, as File treats it.
Function CheckReplaceable
  Exch $0
  Push $1
  Push $2
  ${Do}
    ${IfNot} ${FileExists} "$0"
      ${Break}
    ${EndIf}
    System::Call 'kernel32::GetFileAttributesW(w r0) i .r1'
    IntOp $2 $1 & 1  ; FILE_ATTRIBUTE_READONLY
    ${If} $1 <> -1
    ${AndIf} $2 <> 0
      IntOp $1 $1 ^ 1
      System::Call 'kernel32::SetFileAttributesW(w r0, i r1) i'
    ${EndIf}
    ClearErrors
    FileOpen $1 "$0" a
    ${IfNot} ${Errors}
      FileClose $1
      ${Break}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Setup cannot replace $0: another program has it open, or the folder cannot be written.$\r$\n$\r$\nClose the program that uses it, then click Retry. Cancel leaves the installation as it was." /SD IDCANCEL IDRETRY retry
    SetErrorLevel 2
    Abort "$0 cannot be replaced; nothing was changed."
    retry:
  ${Loop}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; A folder chosen for the program (on the folder page or with /D=) that holds
; other things already gets a folder of its own inside, as C:\Tools becomes
; C:\Tools\${PRODUCT}. The program's folder stays as it is: the default one,
; one with ${PROGRAM}, and one with the library an uninstall left behind.
Function FitInstallFolder
  Push $0
  ${If} "$INSTDIR" != "$LOCALAPPDATA\Programs\${PRODUCT}"
  ${AndIfNot} ${FileExists} "$INSTDIR\${PROGRAM}"
  ${AndIfNot} ${FileExists} "$INSTDIR\pictora.txt"
    ${DirState} "$INSTDIR" $0
    ${If} $0 = 1
      StrCpy $0 "$INSTDIR" "" -1
      ${If} $0 == "\"
        StrCpy $INSTDIR "$INSTDIR" -1
      ${EndIf}
      StrCpy $INSTDIR "$INSTDIR\${PRODUCT}"
    ${EndIf}
  ${EndIf}
  Pop $0
FunctionEnd

Section "${PRODUCT}" SecProgram
  SectionIn RO
  Call CloseProgram
  ; An update replaces the earlier files only when it can replace them all.
  !include "${REPLACEABLE}"
  Push "$INSTDIR\Uninstall.exe"
  Call CheckReplaceable
  ; The library and settings (config.ini, pictora.txt) of an earlier
  ; installation are the user's: nothing here writes them.
  !include "${FILES}"
  SetOutPath "$INSTDIR"
  ClearErrors
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "Setup cannot write $INSTDIR\Uninstall.exe. ${PRODUCT} is not completely installed; run setup again." /SD IDOK
    SetErrorLevel 2
    Abort "$INSTDIR\Uninstall.exe cannot be written."
  ${EndIf}

  SetShellVarContext current
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${PROGRAM}" "" "$INSTDIR\${PROGRAM}" 0 \
    SW_SHOWNORMAL "" "Your own pictures as the desktop wallpaper"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize ${SecProgram} $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

  WriteRegStr HKCU "${APP_PATHS_KEY}" "" "$INSTDIR\${PROGRAM}"
  WriteRegStr HKCU "${APP_PATHS_KEY}" "Path" "$INSTDIR"
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
  ; The program hands UTF-8 text to the ...A functions under the UTF-8 code
  ; page of its manifest, which Windows honours from Windows 10 version 1903
  ; (build 18362) on.
  ${IfNot} ${AtLeastWin10}
  ${OrIfNot} ${AtLeastBuild} 18362
    ${WinVerGetMajor} $0
    ${WinVerGetMinor} $1
    ${WinVerGetBuild} $2
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} needs Windows 10 version 1903 or later.$\r$\n$\r$\nThis is Windows $0.$1 (build $2): setup ends without installing anything." /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
  Call FitInstallFolder
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

; The program's files go first. One that cannot be removed (another program
; has it open) ends the uninstall with the entry, the shortcut and the
; uninstaller still there, so that it can be run again.
Section "un.${PRODUCT}" UnSecProgram
  SectionIn RO
  Call un.CloseProgram
  ClearErrors
  !include "${UNFILES}"
  ${If} ${Errors}
    Call un.Incomplete
  ${EndIf}
SectionEnd

Section /o "-un.Library" UnSecLibrary
  ClearErrors
  Delete "$INSTDIR\config.ini"
  Delete "$INSTDIR\pictora.txt"
  Delete "$INSTDIR\pictora.bmp"
  ${If} ${Errors}
    Call un.Incomplete
  ${EndIf}
SectionEnd

; Last, once the files are gone: the wallpaper style, the entry and the
; start with Windows; the folders go when nothing of the user's is left.
Section "-un.Finish"
  ; The style the user had before the program spanned the wallpaper comes
  ; back, unless the user has chosen another one since.
  ClearErrors
  ReadRegStr $1 HKCU "${SAVED_STYLE_KEY}" "WallpaperStyle"
  ${IfNot} ${Errors}
    ReadRegStr $0 HKCU "${DESKTOP_KEY}" "WallpaperStyle"
    ${If} $0 == "${SPAN_STYLE}"
      WriteRegStr HKCU "${DESKTOP_KEY}" "WallpaperStyle" "$1"
      ClearErrors
      ReadRegStr $2 HKCU "${SAVED_STYLE_KEY}" "TileWallpaper"
      ${IfNot} ${Errors}
        WriteRegStr HKCU "${DESKTOP_KEY}" "TileWallpaper" "$2"
      ${EndIf}
      ; The desktop shows its wallpaper in that style at once
      ; (SPI_GETDESKWALLPAPER, then SPI_SETDESKWALLPAPER with
      ; SPIF_UPDATEINIFILE | SPIF_SENDCHANGE), when the picture is still there.
      System::Call 'user32::SystemParametersInfoW(i 0x73, i ${NSIS_MAX_STRLEN}, w .r0, i 0) i'
      ${If} $0 != ""
      ${AndIf} ${FileExists} "$0"
        System::Call 'user32::SystemParametersInfoW(i 0x14, i 0, w r0, i 3) i'
      ${EndIf}
    ${EndIf}
  ${EndIf}
  DeleteRegKey HKCU "${SAVED_STYLE_KEY}"
  DeleteRegKey /ifempty HKCU "Software\${PRODUCT}"

  Delete "$INSTDIR\Uninstall.exe"
  SetShellVarContext current
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; The App Paths entry of this copy; one that another copy wrote since stays.
  ReadRegStr $0 HKCU "${APP_PATHS_KEY}" ""
  Push $0
  Call un.StartsThisCopy
  Pop $0
  ${If} $0 == 1
    DeleteRegKey HKCU "${APP_PATHS_KEY}"
  ${EndIf}
  !include "${UNDIRS}"
  RMDir "$INSTDIR"

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

Function un.Incomplete
  MessageBox MB_OK|MB_ICONSTOP "Some files in $INSTDIR could not be removed: another program may have them open.$\r$\n$\r$\nClose it, then uninstall ${PRODUCT} again." /SD IDOK
  SetErrorLevel 2
  Abort "Some files could not be removed."
FunctionEnd

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
