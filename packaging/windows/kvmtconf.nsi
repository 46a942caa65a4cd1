; The KVMTConf setup program. scripts/package-windows builds it with
; makensis, defining VERSION, STAGE (the files to install), OUTFILE and
; ESTIMATED_SIZE (KiB), and writing into FILES_DIR the two lists made from
; the staged folder: install.nsh (File) and uninstall.nsh (Delete, RMDir).
;
; All users (Program Files (x86)\KVMTConf, the default for an administrator)
; or the current user only (the user's programs folder); on the command
; line /AllUsers or /CurrentUser, /S for silence, /D= for the folder.

Unicode true
SetCompressor /SOLID lzma
ManifestSupportedOS all
ManifestDPIAware true

!define PRODUCT "KVMTConf"
!define PUBLISHER "KVMTConf maintainers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KVMTConf"
!define DATA_FOLDER "%APPDATA%\KVMTConf"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show
; A file it cannot write (a running program's) fails the install, also a
; silent one, instead of leaving old and new files mixed.
AllowSkipFiles off

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright 2026 ${PUBLISHER}"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR "KVMTConf"
; A second run finds the mode and folder of the first.
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "UninstallString"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_FUNCTION KeepCommandLineFolder
!include MultiUser.nsh
!include MUI2.nsh
!include WinVer.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_LANGDLL_ALLLANGUAGES
; The uninstaller speaks the language the setup program was run in.
!define MUI_LANGDLL_REGISTRY_ROOT SHCTX
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "Language"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "$(FinishText)"
!insertmacro MUI_PAGE_FINISH

; The uninstaller says before it starts, and again at its end, that the
; user's settings stay.
!define MUI_UNCONFIRMPAGE_TEXT_TOP "$(DataStays)"
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "$(UnFinishTitle)"
!define MUI_FINISHPAGE_TEXT "$(DataStaysFull)"
!insertmacro MUI_UNPAGE_FINISH

!insertmacro MUI_LANGUAGE "Russian"
!insertmacro MUI_LANGUAGE "English"

LangString FinishText ${LANG_RUSSIAN} "KVMTConf установлен.$\r$\n$\r$\nНастройки, их автоматические копии, резервные копии и список паролей программа хранит в папке ${DATA_FOLDER}."
LangString FinishText ${LANG_ENGLISH} "KVMTConf is installed.$\r$\n$\r$\nThe program keeps its settings, their automatic copies, backups and the password list in ${DATA_FOLDER}."
; The confirm page has room for three short lines; the finish page says it all.
LangString DataStays ${LANG_RUSSIAN} "Папка ${DATA_FOLDER} с настройками и их копиями остаётся."
LangString DataStays ${LANG_ENGLISH} "The folder ${DATA_FOLDER} with your settings and their copies stays."
LangString NeedsWindows10 ${LANG_RUSSIAN} "KVMTConf работает в Windows 10 и новее."
LangString NeedsWindows10 ${LANG_ENGLISH} "KVMTConf needs Windows 10 or later."
LangString DataStaysFull ${LANG_RUSSIAN} "KVMTConf будет удалён из папки $INSTDIR.$\r$\n$\r$\nПапка ${DATA_FOLDER} (MT.ini, автоматические и резервные копии настроек, список паролей) остаётся: это история ваших настроек. Удалите её вручную, если она больше не нужна."
LangString DataStaysFull ${LANG_ENGLISH} "KVMTConf will be removed from $INSTDIR.$\r$\n$\r$\nThe folder ${DATA_FOLDER} (MT.ini, automatic copies and backups of the settings, the password list) stays: it is your settings history. Delete it by hand when you no longer need it."
LangString UnFinishTitle ${LANG_RUSSIAN} "KVMTConf удалён"
LangString UnFinishTitle ${LANG_ENGLISH} "KVMTConf is removed"

; /D= is the folder, whatever the mode: MultiUser would put its own default
; over it.
Var CommandLineFolder
Function KeepCommandLineFolder
  ${If} $CommandLineFolder != ""
    StrCpy $INSTDIR $CommandLineFolder
  ${EndIf}
FunctionEnd

Function .onInit
  ; Without an InstallDir only /D= fills $INSTDIR before this.
  StrCpy $CommandLineFolder $INSTDIR
  !insertmacro MULTIUSER_INIT
  !insertmacro MUI_LANGDLL_DISPLAY
  ; The toolkit's programs start from Windows 10 on only.
  ${IfNot} ${AtLeastWin10}
    MessageBox MB_ICONSTOP|MB_OK "$(NeedsWindows10)" /SD IDOK
    SetErrorLevel 3
    Quit
  ${EndIf}
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
  !insertmacro MUI_UNGETLANGUAGE
FunctionEnd

Section "KVMTConf"
  ; A portable copy's marker would make the installed program keep its
  ; files beside itself instead of in the data folder.
  Delete "$INSTDIR\KVMTConf.portable"
  !include "${FILES_DIR}\install.nsh"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; Shortcuts start in the program's folder; the data folder does not
  ; depend on it.
  CreateDirectory "$SMPROGRAMS\KVMTConf"
  CreateShortCut "$SMPROGRAMS\KVMTConf\KVMTConf.lnk" "$INSTDIR\kvmtconf.exe"
  CreateShortCut "$SMPROGRAMS\KVMTConf\KVMTConf (virtual tracker).lnk" "$INSTDIR\kvmtconf.exe" "--virtual-tracker"
  CreateShortCut "$SMPROGRAMS\KVMTConf\Руководство пользователя KVMTConf.lnk" "$INSTDIR\USER_MANUAL_KVMTConf.pdf"
  CreateShortCut "$SMPROGRAMS\KVMTConf\KVMTConf User Manual.lnk" "$INSTDIR\USER_MANUAL_KVMTConf_EN.pdf"

  ; The uninstaller is told the mode it was installed in.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kvmtconf.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" ${ESTIMATED_SIZE}
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ; Also after a silent install, where no page saves it.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Language" $LANGUAGE
SectionEnd

; Only what the setup program put there goes: files a user added to the
; folder stay, and so does the folder with them.
Section "Uninstall"
  Delete "$SMPROGRAMS\KVMTConf\KVMTConf.lnk"
  Delete "$SMPROGRAMS\KVMTConf\KVMTConf (virtual tracker).lnk"
  Delete "$SMPROGRAMS\KVMTConf\Руководство пользователя KVMTConf.lnk"
  Delete "$SMPROGRAMS\KVMTConf\KVMTConf User Manual.lnk"
  RMDir "$SMPROGRAMS\KVMTConf"

  !include "${FILES_DIR}\uninstall.nsh"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"

  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
