#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The program in a terminal without a display: "--help" and "--version" answer there, and a start
# says in one line that the display is missing and ends with status 1.
# Usage: command_line_test.sh <program> <version>
set -uo pipefail
source "$(dirname "$0")/../packaging/testlib.sh"
program=$1
version=$2

run() {
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "$@" >"$scratch/out" 2>"$scratch/err"
    status=$?
}

run --help
[ "$status" -eq 0 ] && [ ! -s "$scratch/err" ] || fail "--help: status $status, $(cat "$scratch/err")"
grep -q '^Aufruf: kx207 \[--help | --version\]$' "$scratch/out" || fail "--help said: $(cat "$scratch/out")"
run --version
[ "$status" -eq 0 ] && [ "$(cat "$scratch/out")" = "KX207 Version $version" ] || fail "--version: $status, $(cat "$scratch/out")"
run
[ "$status" -eq 1 ] && [ ! -s "$scratch/out" ] || fail "no display: status $status"
[ "$(cat "$scratch/err")" = "kx207: Keine grafische Oberfläche erreichbar (DISPLAY ist nicht gesetzt)." ] ||
    fail "no display said: $(cat "$scratch/err")"
