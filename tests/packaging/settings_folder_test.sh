#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installing from source makes the settings folder for the group dialout, group-writable with the
# set-group-ID bit, below DESTDIR; an existing folder is left as it is.
# Usage: settings_folder_test.sh <build folder> <settings folder>
set -euo pipefail
source "$(dirname "$0")/testlib.sh"
build=$1
settings=$2

install_folder() { DESTDIR=$scratch cmake --install "$build" --component SettingsFolder >/dev/null 2>&1; }
folder=$scratch$settings

install_folder
if [ "$(id -u)" -eq 0 ] || id -Gn | grep -qw dialout; then
    [ "$(stat -c '%a %G' "$folder")" = "2775 dialout" ] || fail "folder made as $(stat -c '%a %G' "$folder")"
else
    [ "$(stat -c '%a' "$folder")" = 2775 ] || fail "folder made with mode $(stat -c '%a' "$folder")"
fi
chmod o-rx "$folder"
kept=$(stat -c '%a' "$folder")
install_folder
[ "$(stat -c '%a' "$folder")" = "$kept" ] || fail "an existing folder was changed to $(stat -c '%a' "$folder")"

echo "settings folder: made for dialout with mode 2775, an existing one kept"
