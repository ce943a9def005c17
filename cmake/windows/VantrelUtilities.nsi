; SPDX-License-Identifier: GPL-3.0-or-later
; The Windows installer of Vantrel Utilities: both programs, the Qt and C++ runtime DLLs,
; the Qt plugins they load, the help pages and the licence. Built by cmake/WindowsInstaller.cmake
; (`make windows-installer`), which stages the files and passes:
;   /DVERSION=0.1.0  /DSTAGE=<folder with the staged files>  /DOUTFILE=<setup.exe>
;
; Installs for the current user (no administrator needed) or for all users of the machine;
; the wizard asks, and silent installs take /CurrentUser (the default) or /AllUsers:
;   VantrelUtilities-0.1.0-setup.exe /S [/AllUsers] [/D=C:\Folder]
; The uninstaller removes the files it installed, the shortcuts and its entry in Apps and
; Features; the user's settings (HKCU\Software\Ortvel\VantrelUtilities, shared with
; vantrel.exe) stay, as do backups and exports, which live in the user's own folders.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true

!define PRODUCT "Vantrel Utilities"
!define PUBLISHER "The Vantrel Utilities developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VantrelUtilities"
!define SETTINGS_KEY "Software\Ortvel\VantrelUtilities"

!include "${STAGE}\size.nsh"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"

; Per-user or per-machine, chosen on a page of its own or on the command line.
!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_DEFAULT_CURRENTUSER
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallMode"
!include MultiUser.nsh
!include MUI2.nsh
!include x64.nsh

!define MUI_ICON "${STAGE}\vantrel-utilities.ico"
!define MUI_UNICON "${STAGE}\vantrel-utilities.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\vantrel-utilities.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT}"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} installer"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "GPL 3 or later"

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "${PRODUCT} needs a 64-bit Windows." /SD IDOK
    Abort
  ${EndIf}
  !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

; Every file by name: the uninstaller removes exactly these, so nothing a user put into the
; folder is lost with it.
!macro ProgramFiles Action
  !insertmacro ${Action} "" vantrel.exe
  !insertmacro ${Action} "" vantrel-utilities.exe
  !insertmacro ${Action} "" Qt6Core.dll
  !insertmacro ${Action} "" Qt6Gui.dll
  !insertmacro ${Action} "" Qt6Widgets.dll
  !insertmacro ${Action} "" libstdc++-6.dll
  !insertmacro ${Action} "" libgcc_s_seh-1.dll
  !insertmacro ${Action} "" libwinpthread-1.dll
  !insertmacro ${Action} "" LICENSE.txt
  !insertmacro ${Action} "platforms" qwindows.dll
  !insertmacro ${Action} "styles" qwindowsvistastyle.dll
  !insertmacro ${Action} "imageformats" qico.dll
  !insertmacro ${Action} "imageformats" qgif.dll
  !insertmacro ${Action} "help" index.html
  !insertmacro ${Action} "help" backup.html
  !insertmacro ${Action} "help" restore-export.html
  !insertmacro ${Action} "help" settings.html
  !insertmacro ${Action} "help" id-tags.html
  !insertmacro ${Action} "help" export-dialog.html
  !insertmacro ${Action} "help" connecting.html
  !insertmacro ${Action} "help" messages.html
  !insertmacro ${Action} "help" commandline.html
!macroend

!macro InstallOne Folder Name
  SetOutPath "$INSTDIR\${Folder}"
  File "${STAGE}\${Folder}\${Name}"
!macroend

!macro RemoveOne Folder Name
  Delete "$INSTDIR\${Folder}\${Name}"
!macroend

Section "Install"
  !insertmacro ProgramFiles InstallOne
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\vantrel-utilities.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT} Help.lnk" "$INSTDIR\help\index.html"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\uninstall.exe"

  ; The entry in Apps and Features (Add or Remove Programs), for this user or the machine.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vantrel-utilities.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallMode" "$MultiUser.InstallMode"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section "Uninstall"
  !insertmacro ProgramFiles RemoveOne
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR\platforms"
  RMDir "$INSTDIR\styles"
  RMDir "$INSTDIR\imageformats"
  RMDir "$INSTDIR\help"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT} Help.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"

  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  ; ${SETTINGS_KEY} is left alone: the settings belong to the user, and a new install (or
  ; vantrel.exe) picks them up again.
SectionEnd
