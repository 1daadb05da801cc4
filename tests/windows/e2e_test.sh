#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the Windows program's end-to-end test under Wine: kx207-sim on a pseudo-terminal that a Wine prefix
# of its own maps to COM1, the test on a virtual screen, and the instrument unplugged (the simulator
# ended, so the terminal hangs up) when the test asks for it by creating the file KX207_UNPLUG_REQUEST.
# Usage: tests/windows/e2e_test.sh <test.exe> <folder with the Qt and MinGW libraries and plug-ins> [--plugged]
#        (--plugged: the test never asks for the unplugging)
# The simulator and the Wine preload come from the Linux build in KX207_HOST_BUILD (default build/test),
# which scripts/windows brings up to date before CTest starts: the tests run two at a time, and two of
# them configuring one build folder at once break each other's links.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
test=$(realpath "$1")
libraries=$(realpath "$2")
plugged=${3:-}
host=${KX207_HOST_BUILD:-$root/build/test}
simulator=$host/tools/kx207-sim/kx207-sim
preload=$host/tests/windows/libkx207-wine-pty.so

for tool in "$simulator" "$preload"; do
    [ -e "$tool" ] || { echo "e2e_test.sh: $tool is missing: build it first (scripts/windows test does)" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/kx207-wine-e2e.XXXXXX")
xvfb= sim=
finish() {
    [ -z "$sim" ] || kill "$sim" 2>/dev/null || true
    [ ! -d "$work/prefix" ] || WINEPREFIX=$work/prefix "${wineserver[@]}" -k 2>/dev/null || true
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap finish EXIT
# Waits up to $1 seconds for the command after it to succeed.
within() {
    local limit=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$limit" ] || return 1
        sleep 0.1
    done
}
fail() {
    echo "e2e_test.sh: $*" >&2
    exit 1
}
windowsPath() { # a path below / as Wine's drive Z: shows it
    printf 'Z:%s' "${1//\//\\}"
}

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
within 30 test -s "$work/display" || fail "no virtual screen"
export DISPLAY=:$(cat "$work/display")
unset QT_QPA_PLATFORM
source "$root/tests/windows/wine-prefix" "$work"

# The simulator's terminal belongs to the user Wine runs as, who must open it.
"${asWineUser[@]}" "$simulator" --lamp cfl >"$work/simulator" &
sim=$!
within 30 test -s "$work/simulator" || fail "the simulator did not start"
"${wine[@]}" reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$(head -n1 "$work/simulator")" /f >/dev/null
# A crash ends the test with a backtrace at once instead of waiting for a click on Wine's crash dialog.
"${wine[@]}" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null
# The Wine server takes the terminal as its own: when the terminal hangs up it is sent SIGHUP and lists
# its objects, which belongs in a log of its own.
"${wineserver[@]}" -w
"${wineserver[@]}" -p >"$work/wineserver.log" 2>&1

# The test runs from a folder laid out as the program's, so it loads the libraries and plug-ins as the
# program does.
mkdir "$work/program"
ln -s "$libraries"/* "$work/program/"
cp "$test" "$work/program/"
start=$SECONDS
(
    status=0
    LD_PRELOAD=$preload KX207_UNPLUG_REQUEST=$(windowsPath "$work/unplug") \
        timeout "${KX207_E2E_LIMIT:-300}" "${wine[@]}" "$work/program/$(basename "$test")" || status=$?
    echo "$status" >"$work/status"
) &
running=$!
within 300 test -e "$work/unplug" -o -e "$work/status" || true
if [ -e "$work/unplug" ]; then
    kill "$sim"
    wait "$sim" || true
    sim=
    echo "e2e_test.sh: unplugged after $((SECONDS - start)) s"
fi
wait "$running"
echo "e2e_test.sh: the test ran $((SECONDS - start)) s"
status=$(cat "$work/status")
[ "$status" -eq 0 ] || fail "the test failed (exit status $status)"
[ -n "$plugged" ] || [ -e "$work/unplug" ] || fail "the test never asked for the unplugging"
