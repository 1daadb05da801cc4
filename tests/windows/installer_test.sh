#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks what ships to Windows, under Wine in a Wine prefix of its own: the zip holds the program, with
# its icon and version information, every library it loads, the toolkit's German translation and a
# LIESMICH.txt Notepad shows right; the installer, run silently, puts the program into Program Files,
# adds the start-menu entry, the Add/Remove Programs entry with the program's icon, the settings folder
# and the working folder with the line library and sample spectra, which the start-menu entry starts the
# program in; installing again keeps the working folder's files; the uninstaller removes the program and
# keeps the settings file and the working folder.
# Usage: tests/windows/installer_test.sh [build folder]      (default build/windows)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(cd "${1:-build/windows}" && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
zip=$build/KX207-$version-windows-x64.zip
setup=$build/KX207-$version-windows-x64-setup.exe
# scripts/windows packages the program before it runs the tests; a program built since is not in them.
for shipped in "$zip" "$setup"; do
    [ "$shipped" -nt "$build/kx207.exe" ] || { echo "$shipped is missing or older than kx207.exe" >&2; exit 1; }
done

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
check() { # <what> <command...>: the command must succeed
    local what=$1
    shift
    "$@" || fail "$what"
}

# The working folder a shell link holds (the link's string data, UTF-16, after its item list and
# link information).
linkWorkingFolder() { # <link file>
    local link=$1 flags at bit
    number() { od -An -tu"$2" -j "$1" -N"$2" "$link" | tr -d ' '; }
    flags=$(number 20 4)
    ((flags & 0x80 && flags & 0x10)) || return 1 # Unicode strings, working folder present
    at=76
    ((flags & 0x1)) && at=$((at + 2 + $(number $at 2)))
    ((flags & 0x2)) && at=$((at + $(number $at 4)))
    for bit in 0x4 0x8; do # the description and the relative path come before it
        ((flags & bit)) && at=$((at + 2 + 2 * $(number $at 2)))
    done
    tail -c +$((at + 3)) "$link" | head -c $((2 * $(number $at 2))) | iconv -f UTF-16LE -t UTF-8 | tr -d '\0'
}

work=$build/installer-test
rm -rf "$work"
# The installer needs an administrator, which Wine's user always is.
source tests/windows/wine-prefix "$work"
mkdir "$work/unzipped"
unset DISPLAY # nothing here opens a window
drive=$WINEPREFIX/drive_c

# The zip: one folder KX207 with the program, and every library a program file there loads is either
# beside it or one of the system's own (api-ms-win-… names are sets of system functions, no files).
(cd "$work/unzipped" && cmake -E tar xf "$zip")
folder=$work/unzipped/KX207
check "the zip holds only the folder KX207" test "$(ls "$work/unzipped")" = KX207
for file in kx207.exe kx207-demo.exe LIESMICH.txt platforms/qwindows.dll styles/qwindowsvistastyle.dll; do
    check "the zip holds KX207/$file" test -f "$folder/$file"
done
check "the zip holds the toolkit's German translation, of the Qt it ships" \
    cmp -s /usr/share/qt6/translations/qtbase_de.qm "$folder/translations/qtbase_de.qm"
for sample in dat/*.dat spectra/*.csv; do
    check "the zip holds $sample" cmp -s "$sample" "$folder/${sample/#spectra/Spektren}"
done
for page in docs/handbuch/*.html docs/handbuch/*.css docs/handbuch/bilder/*.png; do
    check "the zip holds $page" cmp -s "$page" "$folder/Handbuch/${page#docs/handbuch/}"
done
while IFS= read -r -d '' program; do
    for library in $(x86_64-w64-mingw32-objdump -p "$program" | sed -n 's/^\s*DLL Name: //p' | grep -v '^api-ms-win-'); do
        [ -n "$(find "$folder" "$drive/windows/system32" -maxdepth 1 -iname "$library" -print -quit)" ] ||
            fail "${program#"$folder"/} loads $library, which is neither in the zip nor a system library"
    done
done < <(find "$folder" -iname '*.exe' -print0 -o -iname '*.dll' -print0)
# Explorer and the start menu show the program's icon (an icon group, type 14) and its version (type 16).
resourceTypes=$(x86_64-w64-mingw32-objdump -p "$folder/kx207.exe" |
                sed -n '/The .rsrc Resource Directory/,/^$/s/^[0-9a-f]*   Entry: ID: 0x0*\([0-9a-f]*\),.*/\1/p')
check "kx207.exe carries an icon" grep -qx e <<<"$resourceTypes"
check "kx207.exe carries version information" grep -qx 10 <<<"$resourceTypes"
check "kx207.exe carries a manifest" grep -qx 18 <<<"$resourceTypes"
check "kx207.exe's manifest declares long paths" \
    grep -qaF '<longPathAware xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">true<' "$folder/kx207.exe"
check "LIESMICH.txt starts with the UTF-8 byte-order mark" \
    test "$(head -c 3 "$folder/LIESMICH.txt" | od -An -tx1 | tr -d ' ')" = efbbbf
check "every line of LIESMICH.txt ends in CR LF" test "$(grep -c $'[^\r]$\|^$' "$folder/LIESMICH.txt")" = 0
check "LIESMICH.txt gives the command that makes the settings folder writable" \
    grep -qF 'icacls "C:\ProgramData\KX207" /grant "*S-1-5-32-545:(OI)(CI)M"' "$folder/LIESMICH.txt"

# The installer, silently, as an administrator would run it from a script. Wine's icacls changes no
# access rights; it only reports the arguments it was given, which is what can be checked here.
WINEDEBUG=-all,fixme+icacls "${wine[@]}" "$setup" /S 2>"$work/setup.log"
"${wineserver[@]}" -w
icacls='stub: "C:\\windows\\system32\\icacls.exe"'
for granted in 'C:\\ProgramData\\KX207' 'C:\\users\\Public\\Documents\\KX207'; do
    check "the installer grants the group Users (by its SID) change rights on $granted" \
        grep -qF "$icacls \"$granted\" \"/grant\" \"*S-1-5-32-545:(OI)(CI)M\"" "$work/setup.log"
done
installed=$drive/"Program Files"/KX207
check "the installed program folder equals the zip's, with the uninstaller" \
    diff <(cd "$folder" && find . -type f | sort) \
         <(cd "$installed" && find . -type f ! -name Deinstallieren.exe | sort)
check "the uninstaller is installed" test -f "$installed/Deinstallieren.exe"
link=$drive/ProgramData/Microsoft/Windows/"Start Menu"/Programs/"KX207 Spektrometer.lnk"
check "the start-menu entry exists for all users" test -f "$link"
# A shell link holds its target and working folder as text.
check "the start-menu entry starts kx207.exe" grep -qa 'kx207.exe' "$link"
check "the start-menu entry starts the program in the working folder" \
    test "$(linkWorkingFolder "$link")" = 'C:\users\Public\Documents\KX207'
demoLink=$drive/ProgramData/Microsoft/Windows/"Start Menu"/Programs/"KX207 Demo (simulierte Lampe).lnk"
check "the demonstration's start-menu entry starts kx207-demo.exe in the working folder" \
    grep -qa 'kx207-demo.exe' "$demoLink"
check "the demonstration starts in the working folder" \
    test "$(linkWorkingFolder "$demoLink")" = 'C:\users\Public\Documents\KX207'
workFolder=$drive/users/Public/Documents/KX207
for samples in dat Spektren; do
    check "the working folder holds a copy of $samples" diff -r "$folder/$samples" "$workFolder/$samples"
done
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KX207'
entry() { "${wine[@]}" reg query "$key" "$@" 2>/dev/null; }
check "Add/Remove Programs lists the version" grep -q "REG_SZ\s*$version" <(entry /v DisplayVersion)
check "Add/Remove Programs shows the program's icon" grep -q 'REG_SZ\s*C:\\Program Files\\KX207\\kx207.exe$' \
    <(entry /v DisplayIcon | tr -d '\r')
check "Add/Remove Programs has the uninstaller" grep -q 'Deinstallieren.exe' <(entry /v UninstallString)
settings=$drive/ProgramData/KX207
check "the installer made the settings folder" test -d "$settings"

# A line file a teacher changed, then the installer again.
lineFile=$(find "$workFolder/dat" -name '*.dat' | head -n1)
printf '589\r\n' >>"$lineFile"
cp "$lineFile" "$work/changed.dat"
"${wine[@]}" "$setup" /S 2>/dev/null
"${wineserver[@]}" -w
check "installing again keeps a changed line file" cmp -s "$work/changed.dat" "$lineFile"

# A calibration made meanwhile, then the uninstaller.
printf '[Kalibrierung]\r\nLambdaMin=361\r\n' >"$settings/KX207.INI"
cp "$settings/KX207.INI" "$work/KX207.INI"
"${wine[@]}" "C:\\Program Files\\KX207\\Deinstallieren.exe" /S
"${wineserver[@]}" -w
# The uninstaller runs as a copy in the temporary folder and removes the original when it is done.
for _ in $(seq 50); do
    [ -e "$installed" ] || break
    sleep 0.2
done
check "the uninstaller removed the program folder" test ! -e "$installed"
check "the uninstaller removed the start-menu entry" test ! -e "$link"
check "the uninstaller removed the demonstration's start-menu entry" test ! -e "$demoLink"
noEntry() { ! entry >/dev/null; }
check "the uninstaller removed the Add/Remove Programs entry" noEntry
check "the uninstaller kept the settings file as it was" cmp -s "$work/KX207.INI" "$settings/KX207.INI"
check "the uninstaller kept the working folder" cmp -s "$work/changed.dat" "$lineFile"

[ "$failures" -eq 0 ] || exit 1
echo "installer test: passed"
