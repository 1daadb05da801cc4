# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows installer: the program's folder into Program Files, the settings folder below
# %ProgramData% and the working folder of the classroom in the public documents, both writable for all
# users, start-menu entries that start the program and its demonstration there, and an uninstaller
# that keeps both folders.
# makensis -DVERSION=<version> -DFOLDER=<program folder> -DFILES=<file list .nsh> -DICON=<.ico>
#          -DSIDE=<.bmp beside welcome and finish pages> -DOUTFILE=<exe> kx207.nsi
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh

!define KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KX207"
!define LINK "$SMPROGRAMS\KX207 Spektrometer.lnk"
# The demonstration measures the simulated instrument inside itself, with its practice panel; its
# settings lie in the folder Demo of the working folder, apart from the machine's.
!define DEMO_LINK "$SMPROGRAMS\KX207 Demo (simulierte Lampe).lnk"
# The group "Users" under every language of the system.
!define USERS "*S-1-5-32-545"
# The folder the program starts in, shared by all users (C:\Users\Public\Documents\KX207): there it
# finds its line library dat, its file dialogs first open there, and the sample spectra lie there.
!define WORK "$DOCUMENTS\KX207"

Name "KX207 Spektrometer ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\KX207"
RequestExecutionLevel admin
ShowInstDetails show
# No "Nullsoft Install System" line below the pages.
BrandingText " "
VIProductVersion "${VERSION4}"
VIAddVersionKey /LANG=1031 "ProductName" "KX207 Spektrometer"
VIAddVersionKey /LANG=1031 "FileDescription" "KX207 Spektrometer – Installation"
VIAddVersionKey /LANG=1031 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1031 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1031 "LegalCopyright" "GNU General Public License, Version 3 oder später"

!define MUI_ABORTWARNING
# The program's own icon, so that installer and uninstaller are known as the program's.
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${SIDE}"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
# The German default title ("Die Installation von KX207 Spektrometer 1.0 wird abgeschlossen") needs
# three lines where the page has room for two.
!define MUI_FINISHPAGE_TITLE "KX207 Spektrometer ${VERSION} ist installiert"
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartInWorkingFolder
!define MUI_FINISHPAGE_RUN_TEXT "KX207 Spektrometer starten"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\LIESMICH.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "LIESMICH anzeigen"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH
# The settings and the class's spectra stay (see the section "Uninstall"); a teacher should know that
# before confirming.
# The page has room for three lines.
!define MUI_UNCONFIRMPAGE_TEXT_TOP "KX207 Spektrometer wird aus dem folgenden Ordner entfernt. Es bleiben erhalten:$\r$\n\
    die Einstellungen in $APPDATA\KX207\KX207.INI und der Arbeitsordner$\r$\n\
    mit den Spektren der Klasse, ${WORK}."
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

# Lets the group Users change what the folder holds, which a folder made by the installer otherwise
# allows only administrators, or below ProgramData only its creator.
!macro GrantUsers FOLDER HINT
    nsExec::ExecToLog '"$SYSDIR\icacls.exe" "${FOLDER}" /grant ${USERS}:(OI)(CI)M'
    Pop $0
    ${If} $0 != 0
        MessageBox MB_ICONEXCLAMATION "Der Ordner ${FOLDER} konnte nicht für alle Benutzer \
            beschreibbar gemacht werden (icacls: $0).$\n${HINT}" /SD IDOK
    ${EndIf}
!macroend

# Copies the program's sample folder NAME into the working folder unless a copy is there already,
# which a teacher may have changed. Copied beside and renamed when complete, so that a copy cut short
# is made anew by the next installation.
!macro ProvideCopy NAME
    ${IfNot} ${FileExists} "${WORK}\${NAME}\*.*"
        RMDir /r "${WORK}\${NAME}.neu"
        CreateDirectory "${WORK}\${NAME}.neu"
        CopyFiles /SILENT "$INSTDIR\${NAME}\*.*" "${WORK}\${NAME}.neu"
        Rename "${WORK}\${NAME}.neu" "${WORK}\${NAME}"
    ${EndIf}
!macroend

Function .onInit
    !insertmacro RequireAdmin
FunctionEnd

Function un.onInit
    !insertmacro RequireAdmin
FunctionEnd

Function StartInWorkingFolder
    SetOutPath "${WORK}"
    Exec '"$INSTDIR\kx207.exe"'
FunctionEnd

Section
    SetOutPath "$INSTDIR"
    File /r "${FOLDER}\*.*"
    WriteUninstaller "$INSTDIR\Deinstallieren.exe"

    # One settings file for every user of the machine.
    CreateDirectory "$APPDATA\KX207"
    !insertmacro GrantUsers "$APPDATA\KX207" "Das Programm nennt beim Start den Befehl, der das nachholt."

    # The classroom's working folder, where the class's spectra are saved. The program's folder below
    # Program Files is not writable for users, and a 64-bit program gets no VirtualStore there.
    # Granted first, so that the copies inherit the right.
    CreateDirectory "${WORK}"
    !insertmacro GrantUsers "${WORK}" "Spektren lassen sich dort nur als Administrator speichern."
    !insertmacro ProvideCopy dat
    !insertmacro ProvideCopy Spektren
    # A link starts the program in the folder set last by SetOutPath.
    SetOutPath "${WORK}"
    CreateShortcut "${LINK}" "$INSTDIR\kx207.exe" "" "$INSTDIR\kx207.exe" 0
    CreateShortcut "${DEMO_LINK}" "$INSTDIR\kx207-demo.exe" "" "$INSTDIR\kx207-demo.exe" 0

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
# folder and the working folder stay, since the calibration and the class's spectra are worth keeping.
Section "Uninstall"
    Delete "${LINK}"
    Delete "${DEMO_LINK}"
    !include "${FILES}"
    Delete "$INSTDIR\Deinstallieren.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${KEY}"
SectionEnd
