#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The teachers' handbook as installed: every chapter and worksheet is in the contents, every link and
# picture of a page is there, the chapters link their neighbours in the order of the contents, every
# picture is shown and made by the picture maker, the worksheets print on A4 with a teacher's part
# whose known answers are the simulator's own, and nothing is fetched or run.
# Usage: handbook_test.sh <handbook folder> <the picture maker's steps (main.cpp)> <simulator sources>
set -euo pipefail
source "$(dirname "$0")/testlib.sh"
handbook=$1
steps=$(realpath "$2")
simulator=$(realpath "$3")
cd "$handbook"

# The local targets a page links or shows, one a line, anchors dropped.
targets() { grep -o -E '(href|src)="[^"#]*' "$1" | sed 's/^[a-z]*="//' | grep -v '^$' || true; }
# The pages a navigation bar ("oben" or "unten") of a page links, one a line.
navigation() { sed -n "/<nav class=\"$2\">/,/<\/nav>/p" "$1" | grep -o -E 'href="[^"]*' | sed 's/^href="//' || true; }

[ -f index.html ] || fail "no index.html"
for page in *.html; do
    grep -q '<html lang="de">' "$page" || fail "$page is not marked German"
    case $page in
    arbeitsblatt-*) sheet=arbeitsblatt.css ;;
    *) sheet=handbuch.css ;;
    esac
    grep -q -F "<link rel=\"stylesheet\" href=\"$sheet\">" "$page" || fail "$page lacks the style sheet $sheet"
    ! grep -q -i -E '<script|https?://|//[a-z0-9.-]+\.[a-z]{2,}/' "$page" || fail "$page fetches or runs something"
    for target in $(targets "$page"); do
        [ -f "$target" ] || fail "$page links $target, which is not there"
    done
    if [ "$page" != index.html ]; then
        [ "$(grep -c -F "<li><a href=\"$page\">" index.html)" = 1 ] || fail "$page is not once in the contents"
        grep -q -F '<a href="index.html">' "$page" || fail "$page has no way back to the contents"
    fi
done

# The chapters in the order of the contents, each linking the one before and after, above and below.
mapfile -t chapters < <(sed -n '/<ol class="inhalt">/,/<\/ol>/p' index.html | grep -o -E '<li><a href="[^"]*' |
    sed 's/^<li><a href="//')
[ ${#chapters[@]} -ge 2 ] || fail "the contents list no chapters"
for i in "${!chapters[@]}"; do
    page=${chapters[$i]}
    for bar in oben unten; do
        links=$(navigation "$page" "$bar")
        expected=index.html
        [ "$i" -eq 0 ] || expected+=$'\n'${chapters[$((i - 1))]}
        [ "$i" -eq $((${#chapters[@]} - 1)) ] || expected+=$'\n'${chapters[$((i + 1))]}
        [ "$(sort <<<"$links")" = "$(sort <<<"$expected")" ] ||
            fail "$page's navigation \"$bar\" links $(echo $links), not $(echo $expected)"
    done
done

# Worksheets: A4, nothing cut by a page break, the teacher's part on a page of its own, each linked
# from a chapter.
grep -q -E '@page \{ size: A4' arbeitsblatt.css || fail "the worksheets don't print on A4"
grep -q -E '\.lehrerteil \{ break-before: page' arbeitsblatt.css || fail "the teacher's part shares a page"
grep -q -E '^\.ziel, .*table.*\{ break-inside: avoid; \}' arbeitsblatt.css || fail "a page break may cut a table"
worksheets=(arbeitsblatt-*.html)
[ ${#worksheets[@]} = 4 ] || fail "not one worksheet for each of the four lessons: ${worksheets[*]}"
for page in "${worksheets[@]}"; do
    grep -q '<section class="lehrerteil">' "$page" || fail "$page has no teacher's part"
    grep -l -F "href=\"$page\"" "${chapters[@]}" >/dev/null || fail "no chapter links $page"
done

# The teacher's parts give the simulator's known answers, written as the handbook writes numbers.
german() { sed 's/\./,/'; }
known() { # <worksheet> <what> <text expected in it>
    grep -q -F -- "$3" "$1" || fail "$1 doesn't give $2 as \"$3\", which the simulator plays"
}
value() { # <file> <sed expression printing one number>
    local found
    found=$(sed -n -E "$2" "$simulator/$1" | head -n 1)
    [ -n "$found" ] || fail "$1 no longer holds what the worksheets take from it ($2)"
    echo "$found"
}
known arbeitsblatt-kinetik.html "k′" \
    "k′ = $(value Reaction.h 's/.*ratePerMinute = ([0-9.]+);.*/\1/p' | german) min<sup>−1</sup>"
known arbeitsblatt-kinetik.html A₀ "A₀ = $(value Reaction.h 's/.*double start = ([0-9.]+);.*/\1/p' | german)"
known arbeitsblatt-kinetik.html A∞ "A∞ = $(value Reaction.h 's/.*double end = ([0-9.]+);.*/\1/p' | german)"
known arbeitsblatt-konzentration.html "ε·d" \
    "ε·d = $(value Concentration.cpp 's/.*PeakSlope = ([0-9.]+);.*/\1/p' | german) L/mg"
lines=$(sed -n '/MercuryLines = {/,/};/p' "$simulator/LampSpectrum.cpp" | grep -o -E '\{[0-9.]+,' | tr -d '{,')
[ "$(wc -w <<<"$lines")" -ge 4 ] || fail "LampSpectrum.cpp no longer lists the mercury lines the way the test reads them"
for line in $lines; do
    known arbeitsblatt-emission.html "the mercury line $line nm" "$(german <<<"$line")"
done
band=$(value LampSpectrum.cpp 's/.*-\((0\.[0-9]+) \+ Gauss\(nm, ([0-9]+)\.0, ([0-9]+)\.0\).*/\1 \2 \3/p')
read -r floor centre width <<<"$band"
known arbeitsblatt-absorption.html "the red dye's band" \
    "A(λ) = $(german <<<"$floor") + e<sup>−½((λ − $centre nm)/$width nm)²</sup>"

for picture in bilder/*.png; do
    grep -q -F "src=\"$picture\"" ./*.html || fail "$picture is shown on no page"
    grep -q -F "\"${picture#bilder/}\"" "$steps" || fail "$picture is not made by the picture maker"
done
echo "handbook: ${#chapters[@]} chapters in order, ${#worksheets[@]} worksheets with the simulator's answers," \
    "$(ls bilder/*.png | wc -l) pictures, all linked and made"
