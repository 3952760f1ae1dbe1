; The Windows installer of the KORVAL modding tools (makensis, from
; make-installer.sh, which defines VERSION, OUTFILE, FILES and SIZE_KB).
; A 64-bit installer, as the programs are: it runs where they run.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
!include "LogicLib.nsh"
!include "x64.nsh"
!include "${FILES}"

!define PRODUCT "KORVAL Modding Tools"
!define KEY "KorvalModdingTools"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${KEY}"
!define STARTMENU "$SMPROGRAMS\${PRODUCT}"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; A file type: its extension names our class, whose open command is the
; program. The extension is only taken back on removal if it still names us.
!macro Associate EXT CLASS DESCRIPTION PROGRAM
  WriteRegStr HKLM "Software\Classes\${CLASS}" "" "${DESCRIPTION}"
  WriteRegStr HKLM "Software\Classes\${CLASS}\DefaultIcon" "" "$INSTDIR\${PROGRAM}.exe,0"
  WriteRegStr HKLM "Software\Classes\${CLASS}\shell\open\command" "" '"$INSTDIR\${PROGRAM}.exe" "%1"'
  WriteRegStr HKLM "Software\Classes\${EXT}" "" "${CLASS}"
  WriteRegStr HKLM "Software\Classes\${EXT}\OpenWithProgids" "${CLASS}" ""
!macroend
!macro Dissociate EXT CLASS
  ReadRegStr $0 HKLM "Software\Classes\${EXT}" ""
  ${If} $0 == "${CLASS}"
    DeleteRegValue HKLM "Software\Classes\${EXT}" ""
  ${EndIf}
  DeleteRegValue HKLM "Software\Classes\${EXT}\OpenWithProgids" "${CLASS}"
  DeleteRegKey /ifempty HKLM "Software\Classes\${EXT}\OpenWithProgids"
  DeleteRegKey /ifempty HKLM "Software\Classes\${EXT}"
  DeleteRegKey HKLM "Software\Classes\${CLASS}"
!macroend

!macro MakeShortcut LABEL PROGRAM
  CreateShortcut "${STARTMENU}\${LABEL}.lnk" "$INSTDIR\${PROGRAM}.exe" "" "$INSTDIR\${PROGRAM}.exe" 0
!macroend
!macro RemoveShortcut LABEL PROGRAM
  Delete "${STARTMENU}\${LABEL}.lnk"
!macroend

Function .onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

Function un.onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

Section "Install"
  !insertmacro InstallFiles
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; Started from the Start menu, the programs start in the user's documents:
  ; the editors then ask for the game folder or take the one chosen last.
  SetOutPath "$DOCUMENTS"
  CreateDirectory "${STARTMENU}"
  !insertmacro Shortcuts MakeShortcut
  SetOutPath "$INSTDIR"

  !insertmacro Associate ".vkm" "KorvalTools.vkm" "VKM model" "modelview"
  !insertmacro Associate ".3db" "KorvalTools.3db" "KORVAL 3DB model" "modelview"
  !insertmacro Associate ".flt" "KorvalTools.flt" "KORVAL flight model" "fltpatch"
  ; SHCNE_ASSOCCHANGED: Explorer picks the new file types up at once.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "KORVAL modding tools"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\modelview.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section "Uninstall"
  !insertmacro Shortcuts RemoveShortcut
  RMDir "${STARTMENU}"
  !insertmacro Dissociate ".vkm" "KorvalTools.vkm"
  !insertmacro Dissociate ".3db" "KorvalTools.3db"
  !insertmacro Dissociate ".flt" "KorvalTools.flt"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  !insertmacro RemoveFiles
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
