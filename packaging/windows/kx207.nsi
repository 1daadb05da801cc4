# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows installer: the program's folder into Program Files, the settings folder below
# %ProgramData% writable for all users, a start-menu entry and an uninstaller that keeps the settings.
# makensis -DVERSION=<version> -DFOLDER=<program folder> -DFILES=<file list .nsh> -DOUTFILE=<exe> kx207.nsi
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh

!define KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KX207"
!define LINK "$SMPROGRAMS\KX207 Spektrometer.lnk"
# The group "Users" under every language of the system.
!define USERS "*S-1-5-32-545"

Name "KX207 Spektrometer ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\KX207"
RequestExecutionLevel admin
ShowInstDetails show
VIProductVersion "${VERSION4}"
VIAddVersionKey /LANG=1031 "ProductName" "KX207 Spektrometer"
VIAddVersionKey /LANG=1031 "FileDescription" "KX207 Spektrometer – Installation"
VIAddVersionKey /LANG=1031 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1031 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1031 "LegalCopyright" "GNU General Public License, Version 3 oder später"

!define MUI_ABORTWARNING
!define MUI_ICON "${NSISDIR}\Contrib\Graphics\Icons\modern-install.ico"
!define MUI_UNICON "${NSISDIR}\Contrib\Graphics\Icons\modern-uninstall.ico"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\kx207.exe"
!define MUI_FINISHPAGE_RUN_TEXT "KX207 Spektrometer starten"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\LIESMICH.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "LIESMICH anzeigen"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "German"

!macro RequireAdmin
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "admin"
        MessageBox MB_ICONSTOP "Zum Installieren und Deinstallieren sind Administratorrechte nötig." /SD IDOK
        SetErrorLevel 740
        Quit
    ${EndIf}
    # Start menu and settings folder for all users of the machine.
    SetShellVarContext all
    SetRegView 64
!macroend

Function .onInit
    !insertmacro RequireAdmin
FunctionEnd

Function un.onInit
    !insertmacro RequireAdmin
FunctionEnd

Section
    SetOutPath "$INSTDIR"
    File /r "${FOLDER}\*.*"
    WriteUninstaller "$INSTDIR\Deinstallieren.exe"
    # The link's working folder is the program's folder, where it finds its line library dat.
    CreateShortcut "${LINK}" "$INSTDIR\kx207.exe" "" "$INSTDIR\kx207.exe" 0

    # One settings file for every user of the machine: the folder is made here, and the group Users
    # may change what it holds, which a folder below ProgramData otherwise allows only its creator.
    CreateDirectory "$APPDATA\KX207"
    nsExec::ExecToLog '"$SYSDIR\icacls.exe" "$APPDATA\KX207" /grant ${USERS}:(OI)(CI)M'
    Pop $0
    ${If} $0 != 0
        MessageBox MB_ICONEXCLAMATION "Der Ordner $APPDATA\KX207 konnte nicht für alle Benutzer \
            beschreibbar gemacht werden (icacls: $0).$\nDas Programm nennt beim Start den Befehl, der \
            das nachholt." /SD IDOK
    ${EndIf}

    WriteRegStr HKLM "${KEY}" "DisplayName" "KX207 Spektrometer"
    WriteRegStr HKLM "${KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${KEY}" "DisplayIcon" "$INSTDIR\kx207.exe"
    WriteRegStr HKLM "${KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${KEY}" "UninstallString" '"$INSTDIR\Deinstallieren.exe"'
    WriteRegStr HKLM "${KEY}" "QuietUninstallString" '"$INSTDIR\Deinstallieren.exe" /S'
    WriteRegDWORD HKLM "${KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${KEY}" "NoRepair" 1
    WriteRegDWORD HKLM "${KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

# Removes what was installed, file by file, so that nothing else in the folder is lost; the settings
# folder stays, since the calibration in it is worth keeping.
Section "Uninstall"
    Delete "${LINK}"
    !include "${FILES}"
    Delete "$INSTDIR\Deinstallieren.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${KEY}"
SectionEnd
