#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The teachers' handbook as installed: every chapter is in the contents, every link and picture of a
# page is there, every picture is shown and made by the picture maker, and nothing is fetched or run.
# Usage: handbook_test.sh <handbook folder> <the picture maker's steps (main.cpp)>
set -euo pipefail
source "$(dirname "$0")/testlib.sh"
handbook=$1
steps=$(realpath "$2")
cd "$handbook"

# The local targets a page links or shows, one a line, anchors dropped.
targets() { grep -o -E '(href|src)="[^"#]*' "$1" | sed 's/^[a-z]*="//' | grep -v '^$' || true; }

[ -f index.html ] || fail "no index.html"
for page in *.html; do
    grep -q '<html lang="de">' "$page" || fail "$page is not marked German"
    grep -q '<link rel="stylesheet" href="handbuch.css">' "$page" || fail "$page lacks the style sheet"
    ! grep -q -i -E '<script|https?://|//[a-z0-9.-]+\.[a-z]{2,}/' "$page" || fail "$page fetches or runs something"
    for target in $(targets "$page"); do
        [ -f "$target" ] || fail "$page links $target, which is not there"
    done
    if [ "$page" != index.html ]; then
        [ "$(grep -c -F "<li><a href=\"$page\">" index.html)" = 1 ] || fail "$page is not once in the contents"
        grep -q -F '<a href="index.html">' "$page" || fail "$page has no way back to the contents"
    fi
done
for picture in bilder/*.png; do
    grep -q -F "src=\"$picture\"" ./*.html || fail "$picture is shown on no page"
    grep -q -F "\"${picture#bilder/}\"" "$steps" || fail "$picture is not made by the picture maker"
done
echo "handbook: $(ls ./*.html | wc -l) pages, $(ls bilder/*.png | wc -l) pictures, all linked and made"
