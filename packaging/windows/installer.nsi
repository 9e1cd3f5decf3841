; The Windows installer of Вирасвет: for the current user, without administrator rights.
; scripts/windows.sh defines FILES and REMOVAL (the lists of the installed files and folders),
; OUTFILE and ICON.
; 64-bit, as the programs are (and as Wine runs it without 32-bit support).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"

!define KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Virasvet"

Name "Вирасвет"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Virasvet"
InstallDirRegKey HKCU "${KEY}" "InstallLocation"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\virasvet.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Запустить Вирасвет"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Russian"

Section
  SetShellVarContext current
  !include "${FILES}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Вирасвет.lnk" "$INSTDIR\virasvet.exe" "" "$INSTDIR\virasvet.exe" 0
  WriteRegStr HKCU "${KEY}" "DisplayName" "Вирасвет"
  WriteRegStr HKCU "${KEY}" "DisplayVersion" "1.0"
  WriteRegStr HKCU "${KEY}" "DisplayIcon" "$INSTDIR\virasvet.exe,0"
  WriteRegStr HKCU "${KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${KEY}" "NoRepair" 1
SectionEnd

; Only what the installer put there: files the user added to the folder stay, and so does it.
Section "Uninstall"
  SetShellVarContext current
  !include "${REMOVAL}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Вирасвет.lnk"
  DeleteRegKey HKCU "${KEY}"
SectionEnd
