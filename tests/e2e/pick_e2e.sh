#!/usr/bin/env bash
# A user picks colours from the screen: paints a ramp, moves over the picture area,
# presses the left button on one column, then on the title bar, paints again from
# the picked colour, minimises and restores the window and picks once more. Real
# pointer and keyboard input; the caption is read from the window's name. The
# screenshot is kept in build/e2e/pick_e2e.png.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# Client-area places at 96 dpi: the picture area is 553 x 95 at the top-left
# corner, the "Tresking" button spans (555..631, 1..21) and the swatch lies at
# (605..629, 25..43).
PICTURE_WIDTH=553
PICTURE_HEIGHT=95
BUTTON_X=593
BUTTON_Y=11
SWATCH_X=617
SWATCH_Y=34
shot="$E2E_OUT/pick_e2e.png"

rgb_tail() { echo "; RGB: $1,$2,$3]"; }
caption_ends_with() { [[ "$(e2e_window_name "$window")" == *"$1" ]]; }

# Takes a screenshot and prints the pixel at ($1,$2).
pixel_now() {
    e2e_screenshot "$shot"
    e2e_pixel "$shot" "$1" "$2"
}

# Presses the left button at ($1,$2) and checks that the caption and the swatch show
# colour "$3" ("R G B"); $4 names the place.
pick_and_check() {
    local x="$1" y="$2" colour="$3" place="$4" r g b swatch
    read -r r g b <<<"$colour"
    e2e_click "$x" "$y"
    # Out of the way, so that no tooltip covers what is checked.
    xdotool mousemove --sync 1270 1010
    sleep 0.7
    caption_ends_with "$(rgb_tail "$r" "$g" "$b")" ||
        e2e_fail "after a press on the $place at $x,$y the caption is '$(e2e_window_name "$window")', expected it to end with '$(rgb_tail "$r" "$g" "$b")'"
    swatch="$(pixel_now $((px + SWATCH_X)) $((py + SWATCH_Y)))"
    [ "$swatch" = "$colour" ] ||
        e2e_fail "after a press on the $place the swatch shows $swatch, expected $colour; see $shot"
    echo "press on the $place at $x,$y picked $colour: caption '$(e2e_window_name "$window")'"
}

e2e_start_program
window="$(e2e_wait_window '^Tresk Color' 30)" || e2e_fail "no window named 'Tresk Color...' appeared"
sleep 1
e2e_screenshot "$shot"
read -r wx wy ww wh <<<"$(e2e_window_geometry "$window")"
origin="$(e2e_find_rect "$shot" "$PICTURE_WIDTH" "$PICTURE_HEIGHT" "255 255 255" \
    "$wx $wy $ww $wh")"
[ -n "$origin" ] || e2e_fail "no white picture area of ${PICTURE_WIDTH}x$PICTURE_HEIGHT in the window; see $shot"
read -r px py <<<"$origin"
echo "window $window at $wx,$wy ${ww}x$wh, picture area at $px,$py"

# Paint a ramp.
e2e_click $((px + BUTTON_X)) $((py + BUTTON_Y))
sleep 0.7

# Moving over the picture area picks nothing: the caption, colour part included,
# stays as it was.
before="$(e2e_window_name "$window")"
[[ "$before" == "Tresk Color [Size: ${PICTURE_WIDTH}x$PICTURE_HEIGHT"* ]] ||
    e2e_fail "caption after painting: '$before'"
xdotool mousemove --sync $((px + 50)) $((py + 40))
sleep 0.2
xdotool mousemove --sync $((px + 60)) $((py + 45))
sleep 0.3
[ "$(e2e_window_name "$window")" = "$before" ] ||
    e2e_fail "moving over the picture area changed the caption from '$before' to '$(e2e_window_name "$window")'"

# A press on a known column of the ramp.
column=$((px + 150))
row=$((py + 50))
xdotool mousemove --sync 1270 1010
sleep 0.3
ramp="$(pixel_now "$column" "$row")"
[ "$ramp" != "255 255 255" ] || e2e_fail "the ramp was not painted; see $shot"
pick_and_check "$column" "$row" "$ramp" "picture area"

# The next ramp starts from the picked colour at its right-hand end.
e2e_click $((px + BUTTON_X)) $((py + BUTTON_Y))
xdotool mousemove --sync 1270 1010
sleep 0.7
right="$(pixel_now $((px + PICTURE_WIDTH - 1)) $((py + PICTURE_HEIGHT / 2)))"
[ "$right" = "$ramp" ] || e2e_fail "the new ramp ends in $right on the right, expected the picked $ramp; see $shot"
echo "new ramp ends in the picked colour $right"

# A press on the title bar, right of the caption text.
tx=$((wx + ww - 120))
ty=$((wy + 10))
title="$(pixel_now "$tx" "$ty")"
pick_and_check "$tx" "$ty" "$title" "title bar"

# Minimise and restore through the system menu, then pick again.
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key --clearmodifiers alt+space
sleep 0.5
xdotool key n
sleep 1
read -r mx my mw mh <<<"$(e2e_window_geometry "$window")"
echo "minimised: ${mw}x$mh at $mx,$my"
[ "$mh" -lt "$wh" ] || e2e_fail "the window did not minimise (still ${mw}x$mh)"
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key --clearmodifiers alt+space
sleep 0.5
xdotool key r
sleep 1
read -r rx ry rw rh <<<"$(e2e_window_geometry "$window")"
[ "$rw $rh" = "$ww $wh" ] || e2e_fail "the window did not come back (${rw}x$rh)"
echo "restored: ${rw}x$rh at $rx,$ry"
px=$((rx + px - wx))
py=$((ry + py - wy))
# The restored window paints and picks as before.
e2e_click $((px + BUTTON_X)) $((py + BUTTON_Y))
xdotool mousemove --sync 1270 1010
sleep 0.7
column=$((px + 300))
row=$((py + 50))
ramp="$(pixel_now "$column" "$row")"
[ "$ramp" != "255 255 255" ] || e2e_fail "no ramp after restoring; see $shot"
pick_and_check "$column" "$row" "$ramp" "picture area after restoring"

e2e_close "$window" 20 || e2e_fail "$E2E_CLOSE_PROBLEM"
echo "PASS: picks on the picture area and the title bar, painting from the pick, minimise and restore"
