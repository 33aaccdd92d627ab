; The Windows installer of Norvo, for one user and without administrator rights: the program's
; folder under %LOCALAPPDATA%\Programs, a Start-menu shortcut, and an entry in the user's list
; of installed programs whose uninstaller takes all of it away again, with the "Open with"
; entries the program writes at start-up. The user's settings stay unless asked.
;
; scripts/package passes: VERSION (0.9.0), FILES (the folder of the zip's files), ICON,
; EXTENSIONS (an include that lists the extensions Norvo offers itself for) and OUTFILE.
; The uninstaller understands /REMOVESETTINGS for silent runs (/S).

; An x64 installer for an x64 program (and one that Wine runs without its 32-bit half).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "Sections.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Norvo"
!define PUBLISHER "The Norvo developers"
!define PROGID "Norvo.Document"

Name "Norvo ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Norvo"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Norvo ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Norvo"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "Norvo ${VERSION} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (c) 2026 the Norvo developers. MIT licence."

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Norvo.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Norvo"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Norvo" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${FILES}\Norvo.exe"
  File "${FILES}\Scintilla.dll"
  File "${FILES}\lexilla.dll"
  File "${FILES}\README.txt"
  File "${FILES}\LICENSE"
  File "${FILES}\THIRD-PARTY-NOTICES.txt"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Norvo.lnk" "$INSTDIR\Norvo.exe" "" "$INSTDIR\Norvo.exe" 0 \
      SW_SHOWNORMAL "" "Edit text and source files"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Norvo"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Norvo.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The "Open with" entries of one extension, as the program writes them; the extension's own
; key goes only when nothing else is left in it.
!macro ForgetExtension EXT
  DeleteRegKey HKCU "Software\Classes\${EXT}\OpenWithList\Norvo.exe"
  DeleteRegKey /ifempty HKCU "Software\Classes\${EXT}\OpenWithList"
  DeleteRegValue HKCU "Software\Classes\${EXT}\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifempty HKCU "Software\Classes\${EXT}\OpenWithProgids"
  DeleteRegKey /ifempty HKCU "Software\Classes\${EXT}"
!macroend

Section "un.Norvo" SecUnProgram
  SectionIn RO
  Delete "$INSTDIR\Norvo.exe"
  Delete "$INSTDIR\Scintilla.dll"
  Delete "$INSTDIR\lexilla.dll"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE"
  Delete "$INSTDIR\THIRD-PARTY-NOTICES.txt"
  Delete "$INSTDIR\Uninstall.exe"
  ; Only when empty: files a user put there themselves stay.
  RMDir "$INSTDIR"
  ; The installer may have made the folder of per-user programs and the list of them: they
  ; go again when nothing else is in them.
  RMDir "$LOCALAPPDATA\Programs"
  Delete "$SMPROGRAMS\Norvo.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Microsoft\Windows\CurrentVersion\Uninstall"

  DeleteRegKey HKCU "Software\Classes\${PROGID}"
  !include "${EXTENSIONS}"
  ; SHCNE_ASSOCCHANGED: Explorer forgets the removed entries.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Section /o "un.Remove my settings (%APPDATA%\Norvo)" SecUnSettings
  RMDir /r "$APPDATA\Norvo"
SectionEnd

Function un.onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVESETTINGS" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecUnSettings}
  ${EndIf}
FunctionEnd
