; The Windows installer of Korvane and Palisor, built by scripts/windows-package.sh, which
; passes these with -D:
;   VERSION       the project's version, as the programs print it (1.02.2)
;   VERSION_QUAD  the same as four numbers for the file's version information (1.2.2.0)
;   PAYLOAD       the folder of the files to install (programs, DLLs, notices)
;   FILES_NSH     the script's list of those files (KP_INSTALL_FILES, KP_REMOVE_FILES)
;   PAYLOAD_KB    their total size in KiB, for Apps & features
;   OUTFILE       the installer to write
; A 64-bit installer, like the programs it installs: per machine, into Program Files and the
; 64-bit registry. (A 32-bit one would also need Wine's 32-bit half to be tested.)
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "${FILES_NSH}"

!define PRODUCT "Korvane and Palisor"
!define PUBLISHER "The Korvane and Palisor developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KorvanePalisor"
!define PROJECT_PROGID "Korvane.Project"
!define PACK_PROGID "Palisor.MusicPack"
!define HOME_PAGE "https://korvane.example.org/"
; Explorer's "file associations changed" notice.
!define SHCNE_ASSOCCHANGED 0x08000000
!define SHCNF_IDLIST 0

Name "${PRODUCT} ${VERSION}"
Caption "${PRODUCT} ${VERSION} Setup"
UninstallCaption "${PRODUCT} ${VERSION} Uninstall"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "GPL-3.0-or-later"

!define MUI_ICON "korvane.ico"
!define MUI_UNICON "korvane.ico"
; The picture beside the first and last pages (make-sidebar.sh draws it from the icons).
!define MUI_WELCOMEFINISHPAGE_BITMAP "sidebar.bmp"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "sidebar.bmp"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${PAYLOAD}\COPYING.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
; "Run Korvane" starts it through Explorer, so that it runs as the user who is signed in and
; not as the administrator the installer runs as.
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Run Korvane"
!define MUI_FINISHPAGE_RUN_FUNCTION RunKorvaneAsUser
!define MUI_FINISHPAGE_LINK "Korvane and Palisor's home page"
!define MUI_FINISHPAGE_LINK_LOCATION "${HOME_PAGE}"
!insertmacro MUI_PAGE_FINISH
; The game keeps what Palisor installed: uninstalling the programs does not undo it.
; The page has room for three lines.
!define MUI_UNCONFIRMPAGE_TEXT_TOP "A music pack that Palisor installed stays in the game, and \
  so do its backups. To get the game's own music back, cancel now, open Palisor and press \
  Restore Originals, then uninstall."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function RunKorvaneAsUser
  Exec '"$WINDIR\explorer.exe" "$INSTDIR\korvane.exe"'
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

; A file type: the extension names the ProgID, which says how to open it and with which icon
; (the second icon in the program).
!macro KP_FILE_TYPE EXTENSION PROGID DESCRIPTION PROGRAM
  WriteRegStr HKLM "Software\Classes\${EXTENSION}" "" "${PROGID}"
  WriteRegStr HKLM "Software\Classes\${PROGID}" "" "${DESCRIPTION}"
  WriteRegStr HKLM "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\${PROGRAM},1"
  WriteRegStr HKLM "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\${PROGRAM}" "%1"'
!macroend

; Removes a file type only while it is still ours: another program may have taken the extension
; since, and its keys stay. Other values under the extension (Open with lists) stay too.
!macro KP_REMOVE_FILE_TYPE EXTENSION PROGID PROGRAM
  ReadRegStr $0 HKLM "Software\Classes\${PROGID}\shell\open\command" ""
  ${If} $0 == '"$INSTDIR\${PROGRAM}" "%1"'
    DeleteRegKey HKLM "Software\Classes\${PROGID}"
  ${EndIf}
  ReadRegStr $0 HKLM "Software\Classes\${EXTENSION}" ""
  ${If} $0 == "${PROGID}"
    DeleteRegValue HKLM "Software\Classes\${EXTENSION}" ""
    DeleteRegKey /ifempty HKLM "Software\Classes\${EXTENSION}"
  ${EndIf}
!macroend

Section "Korvane and Palisor"
  !insertmacro KP_INSTALL_FILES
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateShortcut "$SMPROGRAMS\Korvane.lnk" "$INSTDIR\korvane.exe" "" "$INSTDIR\korvane.exe" 0 \
    SW_SHOWNORMAL "" "Build a music pack for Battlefield Vietnam from your own songs"
  CreateShortcut "$SMPROGRAMS\Palisor.lnk" "$INSTDIR\palisor.exe" "" "$INSTDIR\palisor.exe" 0 \
    SW_SHOWNORMAL "" "Install a music pack into Battlefield Vietnam, or restore its music"

  !insertmacro KP_FILE_TYPE ".velkp" "${PROJECT_PROGID}" "Korvane music project" "korvane.exe"
  !insertmacro KP_FILE_TYPE ".velk" "${PACK_PROGID}" "Battlefield Vietnam music pack" "palisor.exe"
  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i ${SHCNF_IDLIST}, p 0, p 0)'

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\korvane.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "HelpLink" "${HOME_PAGE}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "${HOME_PAGE}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${PAYLOAD_KB}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes what the installer put there, file by file, and the folder only when that leaves it
; empty: anything else in it (a project or pack the user saved there) stays, with the folder.
Section "Uninstall"
  !insertmacro KP_REMOVE_FILES
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Korvane.lnk"
  Delete "$SMPROGRAMS\Palisor.lnk"

  !insertmacro KP_REMOVE_FILE_TYPE ".velkp" "${PROJECT_PROGID}" "korvane.exe"
  !insertmacro KP_REMOVE_FILE_TYPE ".velk" "${PACK_PROGID}" "palisor.exe"
  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i ${SHCNF_IDLIST}, p 0, p 0)'

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
