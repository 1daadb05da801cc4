#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from a copy of the source tree, as dpkg-buildpackage does on a clean export,
# and checks what a machine gets from it: lintian's verdict, the files with their owners and modes, the
# desktop entries and metainfo, the dependencies, the launcher, and installing, reinstalling, removing and
# purging with the maintainer scripts on a scratch root.
# Usage: package_test.sh <build folder> <source folder>
set -euo pipefail
source "$(dirname "$0")/testlib.sh"
build=$(readlink -f "$1")
source=$(readlink -f "$2")

# The copy lies in the build folder at the same place every time, so that a compiler cache finds the
# objects of the last run. The tests run elsewhere, so the package is built without them.
packaging=$build/package-test
tree=$packaging/kx207
rm -rf "$packaging"
trap 'rm -rf "$scratch" "$packaging"' EXIT
mkdir -p "$tree"
if git -C "$source" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    # The files git knows and would know, as they are now; one deleted but not yet committed is left out.
    (cd "$source" && git ls-files -z --cached --others --exclude-standard |
        while IFS= read -r -d '' file; do [ -e "$file" ] || [ -L "$file" ] && printf '%s\0' "$file"; done |
        xargs -0r cp --parents -P -t "$tree")
else
    tar -C "$source" --exclude='./build*' --exclude=./obj-* -c . | tar -C "$tree" -x
fi
if command -v ccache >/dev/null; then
    export CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR=$tree CCACHE_NOHASHDIR=1
fi
(cd "$tree" && DEB_BUILD_OPTIONS="nocheck parallel=2" dpkg-buildpackage -us -uc -b -Pnocheck) \
    >"$scratch/build.log" 2>&1 || { tail -n 40 "$scratch/build.log"; fail "dpkg-buildpackage failed"; }
deb=$(echo "$packaging"/kx207_*.deb)
[ -f "$deb" ] || fail "dpkg-buildpackage made no single kx207 package: $deb"
[ -f "$(echo "$packaging"/kx207-dbgsym_*.deb)" ] || fail "no package with the debugging symbols"

lintian --fail-on error,warning "$deb" || fail "lintian found errors or warnings above"

root=$scratch/root
dpkg-deb -x "$deb" "$root"

# Files: exactly these, owned by root, programs executable and everything else read-only.
expected=(./usr/bin/kx207 ./usr/bin/kx207-launcher ./usr/lib/udev/rules.d/60-kx207.rules
          ./usr/libexec/kx207/kx207-demo ./usr/libexec/kx207/kx207-message ./usr/libexec/kx207/kx207-sim
          ./usr/share/applications/de.kolix.kx207.desktop ./usr/share/applications/de.kolix.kx207-demo.desktop
          ./usr/share/metainfo/de.kolix.kx207.metainfo.xml ./usr/share/icons/hicolor/scalable/apps/kx207.svg
          ./usr/share/man/man1/kx207.1.gz ./usr/share/man/man1/kx207-launcher.1.gz
          ./usr/share/doc/kx207/changelog.gz ./usr/share/doc/kx207/copyright)
for size in 16 32 48 64 128 256; do expected+=("./usr/share/icons/hicolor/${size}x$size/apps/kx207.png"); done
for sample in "$source"/dat/*.dat; do expected+=("./usr/share/kx207/dat/${sample##*/}"); done
for sample in "$source"/spectra/*.csv; do expected+=("./usr/share/kx207/Spektren/${sample##*/}"); done
for page in "$source"/docs/handbuch/*.{html,css} "$source"/docs/handbuch/bilder/*.png; do
    expected+=("./usr/share/kx207/handbuch/${page#"$source"/docs/handbuch/}")
done
dpkg-deb -c "$deb" >"$scratch/contents"
diff <(printf '%s\n' "${expected[@]}" | sort) <(awk '$1 !~ /^d/ {print $6}' "$scratch/contents" | sort) ||
    fail "the package's files differ from the expected ones (< expected, > packaged)"
mode='$1 ~ /^d/ ? "drwxr-xr-x" : $1 ~ /^l/ ? "lrwxrwxrwx" : $6 ~ /\/(bin|libexec\/kx207)\/./ ? "-rwxr-xr-x" : "-rw-r--r--"'
awk "\$2 != \"root/root\" || \$1 != ($mode)" "$scratch/contents" >"$scratch/wrong" ||
    fail "the owners and modes could not be checked"
[ ! -s "$scratch/wrong" ] || { cat "$scratch/wrong"; fail "owners or modes above are wrong"; }
for size in 16 32 48 64 128 256; do
    file "$root/usr/share/icons/hicolor/${size}x$size/apps/kx207.png" | grep -q "PNG image data, $size x $size," ||
        fail "the ${size} px icon is no PNG of that size"
done
desktop-file-validate "$root"/usr/share/applications/*.desktop || fail "desktop entries with the faults above"
for desktop in "$root"/usr/share/applications/*.desktop; do
    command=$(sed -n 's/^Exec=//p' "$desktop")
    [ -x "$root/usr/bin/${command%% *}" ] || fail "${desktop##*/} starts $command, which the package lacks"
    icon=$(sed -n 's/^Icon=//p' "$desktop")
    [ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "${desktop##*/} shows $icon, which the package lacks"
done
launchable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$root"/usr/share/metainfo/*.xml)
[ -f "$root/usr/share/applications/$launchable" ] || fail "the metainfo launches \"$launchable\", which the package lacks"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.xml >"$scratch/appstream.log" ||
    { cat "$scratch/appstream.log"; fail "metainfo with the faults above"; }

# Control fields: every library the program links comes from a package the Depends line names.
field() { dpkg-deb -f "$deb" "$1"; }
depends=$(field Depends)
names_package() { tr ',|' '\n\n' <<<"$depends" | sed 's/^ *//; s/[ :].*//' | grep -qxF "$1"; }
owner_of() {
    local candidate found
    for candidate in "$1" "${1#/usr}" "/usr$1"; do
        if found=$(dpkg-query -S "$candidate" 2>/dev/null); then
            echo "${found%%:*}"
            return
        fi
    done
    fail "no installed package holds $1"
}
for program in "$root"/usr/bin/kx207 "$root"/usr/libexec/kx207/*; do
    for library in $(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
        path=$(ldd "$program" | awk -v name="$library" '$1 == name {print $3}')
        [ -n "$path" ] || fail "$library is not found on this machine"
        package=$(owner_of "$path")
        names_package "$package" || fail "Depends lacks $package (for $library of $program): $depends"
    done
done
for font in fonts-wine fonts-liberation fonts-liberation2; do
    names_package "$font" || fail "Depends lacks $font, a font of the window layouts and diagrams: $depends"
done
names_package qt6-translations-l10n || fail "Depends lacks the German texts of the toolkit's dialogs: $depends"

# The packaged launcher finds the packaged samples.
printf '#!/bin/sh\n' >"$root/usr/bin/kx207"
env -i HOME="$scratch" PATH="$PATH" "$root/usr/bin/kx207-launcher"
diff -r --exclude=.gitattributes --exclude=README.md "$source/dat" "$scratch/KX207/dat" ||
    fail "the packaged launcher did not copy the line library"
diff -r --exclude=.gitattributes --exclude=README.md "$source/spectra" "$scratch/KX207/Spektren" ||
    fail "the packaged launcher did not copy the sample spectra"

# Installing, reinstalling, removing and purging with dpkg on a scratch root (maintainer scripts run
# there through DPKG_ROOT): installing makes the settings folder for dialout, reinstalling repairs its
# group and mode, reinstalling and removing keep the settings; purging leaves nothing behind.
if [ "$(id -u)" -ne 0 ]; then
    echo "dpkg not run: only root may install into a scratch root"
else
    system=$scratch/system
    mkdir -p "$system/var/lib/dpkg/info" "$system/var/lib/dpkg/updates"
    touch "$system/var/lib/dpkg/status"
    dpkg_on_system() {
        dpkg --root="$system" --force-script-chrootless --force-depends "$@" >>"$scratch/dpkg.log" 2>&1 ||
            { cat "$scratch/dpkg.log"; fail "dpkg $* failed"; }
    }
    folder=$system/var/lib/kx207
    dpkg_on_system --install "$deb"
    [ "$(stat -c '%a %G' "$folder")" = "2775 dialout" ] ||
        fail "settings folder made as $(stat -c '%a %G' "$folder")"
    echo "[Fenster]" >"$folder/KX207.INI"
    chgrp root "$folder"
    chmod g-ws "$folder"
    dpkg_on_system --install "$deb"
    [ "$(stat -c '%a %G' "$folder")" = "2775 dialout" ] ||
        fail "settings folder left as $(stat -c '%a %G' "$folder")"
    dpkg_on_system --remove kx207
    [ ! -e "$system/usr/bin/kx207" ] || fail "removing kept the program"
    [ "$(cat "$folder/KX207.INI")" = "[Fenster]" ] || fail "reinstalling or removing lost the settings"
    dpkg_on_system --purge kx207
    (cd "$system" && find . -mindepth 1 -not -path './var/lib/dpkg*' -not -path ./var/lib -not -path ./var) |
        grep . && fail "purging left the above behind"
fi

echo "package: $(basename "$deb") lintian-clean with the expected files, entries, dependencies and scripts"
