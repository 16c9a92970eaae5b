; Corvane's setup program: a per-user install into %LOCALAPPDATA%\Programs\Corvane, with a
; Start menu shortcut, an entry in the installed-programs list and an uninstaller.
;
; Built by installer/CMakeLists.txt: makensis -DVERSION=1.0.003 -DFILE_VERSION=1.0.0.3
;   -DPROGRAM=corvane.exe -DICON=corvane.ico -DOUTFILE=corvane-setup-1.0.003.exe
;   [-DSIGN=tools/authenticode-sign.sh] corvane.nsi
; With SIGN, the uninstaller and the setup program are signed by that command as they are made.

!ifndef VERSION | FILE_VERSION | PROGRAM | ICON | OUTFILE
  !error "VERSION, FILE_VERSION, PROGRAM, ICON and OUTFILE must be defined"
!endif

!ifdef SIGN
  !uninstfinalize '"${SIGN}" "%1"' = 0
  !finalize '"${SIGN}" "%1"' = 0
!endif

; corvane.exe is a 64-bit program, and so is its setup.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
; No file times in the setup program: two builds of one commit give the same bytes.
SetDateSave off
ManifestDPIAware true

; Corvane keeps config.ini and bandlog.dat beside itself, so it must live in a folder that the
; user can write to: no administrator rights, nothing outside the user's profile.
RequestExecutionLevel user

!define PRODUCT "Corvane"
!define PUBLISHER "The Corvane developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "wendrel"
!define MAIN_CLASS "TCorvaneMain"

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION} Setup"
UninstallCaption "${PRODUCT} ${VERSION} Uninstall"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
InstallDir "$LOCALAPPDATA\Programs\Corvane"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${FILE_VERSION}"
VIFileVersion "${FILE_VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!define MUI_FINISHPAGE_RUN "$INSTDIR\corvane.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Asks every running Corvane to close, as its update dialog does, so that it saves its usage
; log and settings on the way out, and waits until it has gone and its program file is free.
; Aborts when it is still running after the wait and the user does not retry (silent: at once).
!macro DEFINE_CLOSE_CORVANE PREFIX
Function ${PREFIX}CloseCorvane
  Push $0
  Push $1
  Push $2
  Push $3
  StrCpy $3 0 ; the window asked last, so that it is not asked twice
  retry:
  StrCpy $1 0
  ${Do}
    FindWindow $0 "${MAIN_CLASS}" "${PRODUCT}"
    ${If} $0 == 0
      ; The window is gone; the process may still hold its program file for a moment.
      ${IfNot} ${FileExists} "$INSTDIR\corvane.exe"
        ${Break}
      ${EndIf}
      ClearErrors
      FileOpen $2 "$INSTDIR\corvane.exe" a
      ${IfNot} ${Errors}
        FileClose $2
        ${Break}
      ${EndIf}
    ${ElseIf} $0 != $3
      DetailPrint "Closing ${PRODUCT}..."
      System::Call "user32::PostMessageW(p r0, i ${WM_CLOSE}, p 0, p 0)"
      StrCpy $3 $0
    ${EndIf}
    IntOp $1 $1 + 1
    ${If} $1 > 150
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "${PRODUCT} is still running. Close it, then press Retry." /SD IDCANCEL IDRETRY retry
      SetErrorLevel 2
      Abort "${PRODUCT} is still running."
    ${EndIf}
    Sleep 200
  ${Loop}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro DEFINE_CLOSE_CORVANE ""
!insertmacro DEFINE_CLOSE_CORVANE "un."

Function .onInit
  ; Started by the update dialog, the setup program lies beside the copy of Corvane that asked
  ; for it: replace that copy, unless a folder was given with /D (which NSIS takes off $CMDLINE,
  ; so it is looked for in the process's own command line).
  System::Call "kernel32::GetCommandLine() t .r0"
  ClearErrors
  ${GetOptions} $0 "/D=" $1
  ${If} ${Errors}
  ${AndIf} ${FileExists} "$EXEDIR\corvane.exe"
    StrCpy $INSTDIR $EXEDIR
  ${EndIf}
FunctionEnd

Section "Corvane" SecProgram
  SectionIn RO
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  Call CloseCorvane

  ; Only the program and its uninstaller: config.ini and bandlog.dat are the user's and stay.
  SetOverwrite on
  File "/oname=corvane.exe" "${PROGRAM}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\corvane.exe" "" "$INSTDIR\corvane.exe" 0 \
    SW_SHOWNORMAL "" "Network traffic meter"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\corvane.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/M=corvane.exe /S=0K /G=0" $0 $1 $2
  ${GetSize} "$INSTDIR" "/M=uninstall.exe /S=0K /G=0" $1 $2 $3
  IntOp $0 $0 + $1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

!define KEEP_DATA_QUESTION "Keep your usage history (bandlog.dat) and settings (config.ini)?"
!define KEEP_DATA_NOTE "They stay in $INSTDIR and are used again when ${PRODUCT} is installed there."

Section "Uninstall"
  SetShellVarContext current
  Call un.CloseCorvane

  Delete "$INSTDIR\corvane.exe"
  ; Left by the update check: the descriptor and downloaded setup programs. Only these names:
  ; the folder may be a portable copy's, among other programs' files.
  Delete "$INSTDIR\corvane-update.tmp"
  Delete "$INSTDIR\corvane-update-*.exe"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  Call un.RemoveRunEntry

  ${If} ${FileExists} "$INSTDIR\bandlog.dat"
  ${OrIf} ${FileExists} "$INSTDIR\config.ini"
    MessageBox MB_YESNO|MB_ICONQUESTION "${KEEP_DATA_QUESTION}$\r$\n$\r$\n${KEEP_DATA_NOTE}" \
      /SD IDYES IDYES keep
    Delete "$INSTDIR\bandlog.dat"
    Delete "$INSTDIR\config.ini"
    ; Left when a save was cut short.
    Delete "$INSTDIR\bandlog.dat.tmp"
    Delete "$INSTDIR\config.ini.tmp"
    keep:
  ${EndIf}

  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd

; The run-at-start-up entry holds the quoted path of the program it starts. Once the program
; is removed, an entry naming a missing program only fails at every logon: remove it. An entry
; of another copy of Corvane that still exists (a portable one) stays.
Function un.RemoveRunEntry
  ClearErrors
  ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${If} ${Errors}
    Return
  ${EndIf}
  StrCpy $1 $0 1
  ${If} $1 == '"'
    StrCpy $0 $0 "" 1
    StrCpy $1 $0 1 -1
    ${If} $1 == '"'
      StrCpy $0 $0 -1
    ${EndIf}
  ${EndIf}
  ${If} $0 == ""
  ${OrIfNot} ${FileExists} "$0"
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}
FunctionEnd
