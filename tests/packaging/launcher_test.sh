#!/usr/bin/env bash
# The desktop entry's launcher, installed from the build tree into a scratch prefix with a fake program
# beside it, run under a fake home folder: the first start makes ~/KX207 with a copy of the sample line
# files and starts the program there; later starts keep what the user changed; a Wayland session with
# an X display gets the X11 platform.
# Usage: launcher_test.sh <build folder> <folder of the sample line files>
set -euo pipefail
source "$(dirname "$0")/testlib.sh"
build=$1
samples=$2

prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" --component Runtime >/dev/null
# The fake program notes where it was started and on which platform.
cat >"$prefix/bin/kx207" <<'FAKE'
#!/usr/bin/env bash
printf '%s\n%s\n' "$PWD" "${QT_QPA_PLATFORM-unset}" >"$HOME/started"
FAKE
# Started through a link, as from another folder on the PATH.
mkdir "$scratch/links"
ln -s "$prefix/bin/kx207-launcher" "$scratch/links/kx207-launcher"

home="$scratch/home of a user"
mkdir "$home"
work=$home/KX207

# Runs the launcher with only a home folder, a PATH and the given session variables.
start() {
    rm -f "$home/started"
    env -i HOME="$home" PATH="$PATH" "$@" "$scratch/links/kx207-launcher"
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
diff -r --exclude=.gitattributes "$samples" "$work/dat" || fail "the line library differs from the samples"

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

echo "launcher: first-use copy, kept user files and session platforms as expected"
