#!/usr/bin/env bash
# Builds the Debian package from the build tree and checks what a machine gets from it: the files with
# their owners and modes, the desktop entry, the udev rule, the dependencies and the maintainer scripts.
# Usage: package_test.sh <build folder> <folder of the sample line files> <settings folder>
set -euo pipefail
source "$(dirname "$0")/testlib.sh"
build=$1
samples=$2
settings=$3

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log"; fail "cpack could not build the package"; }
debs=("$scratch"/out/kx207_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no single kx207 package: ${debs[*]}"
deb=${debs[0]}
root=$scratch/root
dpkg-deb -x "$deb" "$root"
dpkg-deb -e "$deb" "$scratch/control"

# Files: exactly these, owned by root, programs executable and everything else read-only.
expected=(./usr/bin/kx207 ./usr/bin/kx207-launcher ./usr/lib/udev/rules.d/60-kx207.rules
          ./usr/share/applications/kx207.desktop ./usr/share/icons/hicolor/scalable/apps/kx207.svg)
for sample in "$samples"/*.dat; do expected+=("./usr/share/kx207/dat/${sample##*/}"); done
dpkg-deb -c "$deb" >"$scratch/contents"
diff <(printf '%s\n' "${expected[@]}" | sort) <(awk '$1 !~ /^d/ {print $6}' "$scratch/contents" | sort) ||
    fail "the package's files differ from the expected ones (< expected, > packaged)"
awk '$2 != "root/root" || $1 != ($1 ~ /^d/ ? "drwxr-xr-x" : $6 ~ /\/bin\/./ ? "-rwxr-xr-x" : "-rw-r--r--")' \
    "$scratch/contents" |
    grep . && fail "owners or modes above are wrong"
diff -r --exclude=.gitattributes "$samples" "$root/usr/share/kx207/dat" || fail "the sample line files differ"

# Control fields: every library the program links comes from a package the Depends line names.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = kx207 ] || fail "package name $(field Package)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture $(field Architecture)"
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
program=$root/usr/bin/kx207
linked=$(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
[ -n "$linked" ] || fail "the packaged program links no libraries"
for library in $linked; do
    path=$(ldd "$program" | awk -v name="$library" '$1 == name {print $3}')
    [ -n "$path" ] || fail "$library is not found on this machine"
    package=$(owner_of "$path")
    names_package "$package" || fail "Depends lacks $package (for $library): $depends"
done
for font in fonts-wine fonts-liberation fonts-liberation2; do
    names_package "$font" || fail "Depends lacks $font, a font of the window layouts and diagrams: $depends"
done
names_package qt6-translations-l10n || fail "Depends lacks the German texts of the toolkit's dialogs: $depends"
apt-get install --simulate --quiet=2 "$deb" >/dev/null || fail "the package would not install here"

# Desktop entry: UTF-8, one group of key=value lines, starting the packaged launcher with the packaged
# icon, listed under Education and Science.
desktop=$root/usr/share/applications/kx207.desktop
iconv -f UTF-8 -t UTF-8 "$desktop" >/dev/null || fail "the desktop entry is no UTF-8 text"
[ "$(grep -v '^#' "$desktop" | head -n 1)" = "[Desktop Entry]" ] || fail "the desktop entry has no group"
grep -Ev '^(#.*|\[Desktop Entry\]|[A-Za-z0-9-]+(\[[A-Za-z_@.]+\])?=.*)$' "$desktop" &&
    fail "malformed desktop entry lines above"
entry() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(entry Type)" = Application ] || fail "desktop entry type $(entry Type)"
[ -n "$(entry Name)" ] && [ -n "$(entry Comment)" ] || fail "the desktop entry lacks a name or comment"
command=$(entry Exec)
[ -x "$root/usr/bin/${command%% *}" ] || fail "the desktop entry starts $command, which the package lacks"
grep -q '<svg' "$root/usr/share/icons/hicolor/scalable/apps/$(entry Icon).svg" ||
    fail "the desktop entry's icon $(entry Icon) is no packaged SVG"
categories=";$(entry Categories)"
[[ $categories == *";Education;"* && $categories == *";Science;"* ]] ||
    fail "the desktop entry's categories are ${categories#;}"

# The packaged launcher finds the packaged line library.
printf '#!/usr/bin/env bash\n' >"$program"
env -i HOME="$scratch" PATH="$PATH" "$root/usr/bin/kx207-launcher"
diff -r --exclude=.gitattributes "$samples" "$scratch/KX207/dat" ||
    fail "the packaged launcher did not copy the line library"

# udev rule: well-formed rules; the instrument's port goes to dialout, 0660, and is kept from ModemManager.
rules=$root/usr/lib/udev/rules.d/60-kx207.rules
pair='[A-Z_]+(\{[A-Za-z0-9_]+\})?(==|!=|=|\+=|:=)"[^"]*"'
grep -Ev "^(#.*|$pair(, $pair)*|)\$" "$rules" && fail "malformed udev rule lines above"
port_rule=$(grep '^SUBSYSTEM=="tty"' "$rules") || fail "no udev rule for the instrument's port"
for pair in 'ATTRS{idVendor}=="10c4"' 'ATTRS{idProduct}=="ea60"' 'ATTRS{serial}=="KOLiX-Spektrometer_KX207"' \
            'GROUP="dialout"' 'MODE="0660"' 'ENV{ID_MM_DEVICE_IGNORE}="1"'; do
    grep -qF ", $pair" <<<", $port_rule" || fail "the port's udev rule lacks $pair"
done

# Installing, reinstalling, removing and purging with dpkg on a scratch root (maintainer scripts run
# there through DPKG_ROOT): installing makes the settings folder for dialout; reinstalling and removing
# keep the settings; purging removes them.
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
    folder=$system$settings
    dpkg_on_system --install "$deb"
    [ "$(stat -c '%a %G' "$folder")" = "2775 dialout" ] ||
        fail "settings folder made as $(stat -c '%a %G' "$folder")"
    echo "[Fenster]" >"$folder/KX207.INI"
    dpkg_on_system --install "$deb"
    dpkg_on_system --remove kx207
    [ ! -e "$system/usr/bin/kx207" ] || fail "removing kept the program"
    [ "$(cat "$folder/KX207.INI")" = "[Fenster]" ] || fail "reinstalling or removing lost the settings"
    dpkg_on_system --purge kx207
    [ ! -e "$folder" ] || fail "purging kept the settings folder"
fi

echo "package: $(basename "$deb") with the expected files, entry, rule, dependencies and scripts"
