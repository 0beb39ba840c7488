; A small program of a 32-bit vendor, installed as its installer would: its
; folder in "Program Files (x86)", its uninstall entry, Run entry and help
; file in the 32-bit registry view, a font in the fonts folder.
; makensis -DNAME=... -DFONT=... program.nsi
Unicode true
Target amd64-unicode
Name "${NAME}"
OutFile "${NAME}-setup.exe"
RequestExecutionLevel admin
SilentInstall silent

; A 32-bit installer's program folder (this one is built for amd64, which
; Wine can run without its 32-bit part; it writes the 32-bit view on purpose).
Function .onInit
  ReadEnvStr $0 "ProgramFiles(x86)"
  StrCpy $INSTDIR "$0\${NAME}"
FunctionEnd

Section
  SetRegView 32
  SetOutPath "$INSTDIR"
  File /oname=${NAME}.exe payload.txt
  File /oname=${NAME}.hlp payload.txt
  WriteUninstaller "$INSTDIR\uninst.exe"
  SetOutPath "$FONTS"
  File /oname=${FONT}.ttf payload.txt
  WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\${NAME}" "DisplayName" "${NAME}"
  WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\${NAME}" "UninstallString" '"$INSTDIR\uninst.exe"'
  WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\Run" "${NAME}" '"$INSTDIR\${NAME}.exe" /tray'
  WriteRegStr HKLM "Software\Microsoft\Windows\Help" "${NAME}.hlp" "$INSTDIR"
  WriteRegStr HKLM "Software\Microsoft\Windows NT\CurrentVersion\Fonts" "${FONT} (TrueType)" "${FONT}.ttf"
SectionEnd

Section Uninstall
SectionEnd
