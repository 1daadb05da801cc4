#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The desktop entries' launcher, installed from the build tree into a scratch prefix with fake programs
# beside it, run under a fake home folder: the first start makes ~/KX207 with a copy of the sample line
# files and spectra and starts the program there; later starts keep what the user changed; a Wayland
# session with an X display gets the X11 platform; the demonstration starts with its own settings
# folder; failures reach the message box.
# Usage: launcher_test.sh <build folder> <folder of the sample line files> <folder of the sample spectra>
set -euo pipefail
source "$(dirname "$0")/testlib.sh"
build=$1
samples=$2
spectra=$3

prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" --component Runtime >/dev/null
helpers=$prefix/libexec/kx207
# The fake program and demonstration note where they were started, how and on which platform; the
# fake message box notes its text.
cat >"$prefix/bin/kx207" <<'FAKE'
#!/bin/bash
printf '%s\n%s\n' "$PWD" "${QT_QPA_PLATFORM-unset}" >"$HOME/started"
FAKE
cat >"$helpers/kx207-demo" <<'FAKE'
#!/bin/bash
printf '%s\n%s\n%s\n' "$PWD" "unset" "$*" >"$HOME/started"
FAKE
cat >"$helpers/kx207-message" <<'FAKE'
#!/bin/bash
printf '%s\n' "$1" >"$HOME/message"
FAKE
# Started through a link, as from another folder on the PATH.
mkdir "$scratch/links"
ln -s "$prefix/bin/kx207-launcher" "$scratch/links/kx207-launcher"

home="$scratch/home of a user"
mkdir "$home"
work=$home/KX207

# Runs the launcher with only a home folder, a PATH and the given session variables (the arguments
# of the form NAME=value); the arguments after them go to the launcher.
start() {
    local variables=()
    while [[ ${1:-} == *=* ]]; do
        variables+=("$1")
        shift
    done
    rm -f "$home/started"
    env -i HOME="$home" PATH="$PATH" "${variables[@]}" "$scratch/links/kx207-launcher" "$@"
    [ -f "$home/started" ] || fail "the program was not started"
    [ "$(sed -n 1p "$home/started")" = "$work" ] || fail "started in $(sed -n 1p "$home/started")"
}
platform() { sed -n 2p "$home/started"; }

# First start, after a copy that was cut short: the working folder with every sample line file, byte
# for byte, and nothing else.
mkdir -p "$work/dat.new"
echo half >"$work/dat.new/Hg.dat"
start XDG_SESSION_TYPE=x11 DISPLAY=:1
[ "$(platform)" = unset ] || fail "an X11 session got the platform $(platform)"
diff -r --exclude=.gitattributes --exclude=README.md "$samples" "$work/dat" ||
    fail "the line library differs from the samples"
diff -r --exclude=.gitattributes --exclude=README.md "$spectra" "$work/Spektren" || fail "the spectra differ from the samples"

# The user edits a sample, removes one and adds an own file: later starts leave all of that alone.
printf '700\r\n' >>"$work/dat/Hg.dat"
cp "$work/dat/Hg.dat" "$scratch/edited.dat"
rm "$work/dat/Ne.dat"
printf 'Eigene Lampe\r\n500\r\n' >"$work/dat/Eigene.dat"
start XDG_SESSION_TYPE=x11 DISPLAY=:1
cmp -s "$work/dat/Hg.dat" "$scratch/edited.dat" || fail "an edited line file was overwritten"
[ ! -e "$work/dat/Ne.dat" ] || fail "a removed line file came back"
[ -f "$work/dat/Eigene.dat" ] || fail "the user's own line file is gone"

# Wayland sessions run on XWayland when there is an X display, and natively when there is none.
start XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-0 DISPLAY=:0
[ "$(platform)" = xcb ] || fail "a Wayland session got the platform $(platform)"
start WAYLAND_DISPLAY=wayland-0 DISPLAY=:0
[ "$(platform)" = xcb ] || fail "a session with a Wayland display got the platform $(platform)"
start XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-0
[ "$(platform)" = unset ] || fail "a Wayland session without X display got the platform $(platform)"

# The demonstration: settings of its own, started in the working folder.
start XDG_SESSION_TYPE=x11 DISPLAY=:1 --demo
[ "$(sed -n 3p "$home/started")" = "$work/Demo" ] ||
    fail "the demonstration was started as: $(sed -n 3p "$home/started")"

# A file where the working folder belongs: the program isn't started and the message box says why.
rm -rf "$work"
touch "$work"
rm -f "$home/started"
if env -i HOME="$home" PATH="$PATH" "$scratch/links/kx207-launcher" 2>/dev/null; then
    fail "the launcher succeeded without a working folder"
fi
[ ! -e "$home/started" ] || fail "the program was started without a working folder"
grep -qF "„$work“ ist eine Datei" "$home/message" || fail "the message box said: $(cat "$home/message")"

echo "launcher: first-use copies, kept user files, session platforms, demonstration and failure report as expected"
