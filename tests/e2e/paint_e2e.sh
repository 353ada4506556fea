#!/usr/bin/env bash
# A user paints a ramp: starts Tresk Color, clicks into the percentage box, types
# a percentage, presses Enter, looks at the picture area and closes the program.
# The screenshot is kept in build/e2e/paint_e2e.png.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

PERCENT=30
# Client-area places at 96 dpi (15 twips a pixel): the picture area is 553 x 95
# at the top-left corner; the percentage box starts at (557, 24) and is 45 x 21;
# the swatch lies inside the frame at (553 + 52, 16 + 9) and is 25 x 19.
PICTURE_WIDTH=553
PICTURE_HEIGHT=95
BOX_X=579
BOX_Y=34
SWATCH_X=617
SWATCH_Y=34

e2e_start_program
window="$(e2e_wait_window '^Tresk Color' 30)" || e2e_fail "no window named 'Tresk Color...' appeared"
sleep 1
echo "window $window: '$(e2e_window_name "$window")'"

before="$E2E_OUT/paint_e2e_before.png"
after="$E2E_OUT/paint_e2e.png"
e2e_screenshot "$before"
read -r wx wy ww wh <<<"$(e2e_window_geometry "$window")"
# The picture area is still white: the first white rectangle of its size.
origin="$(e2e_find_rect "$before" "$PICTURE_WIDTH" "$PICTURE_HEIGHT" "255 255 255" \
    "$wx $wy $ww $wh")"
[ -n "$origin" ] || e2e_fail "expected a white picture area of ${PICTURE_WIDTH}x$PICTURE_HEIGHT inside the window at $wx,$wy ${ww}x$wh; see $before"
read -r px py <<<"$origin"
echo "picture area at $px,$py"

base="$(e2e_pixel "$before" $((px + SWATCH_X)) $((py + SWATCH_Y)))"
echo "base colour (swatch): $base"

e2e_click $((px + BOX_X)) $((py + BOX_Y))
xdotool key --clearmodifiers End BackSpace BackSpace BackSpace
xdotool type --delay 50 "$PERCENT"
xdotool key --clearmodifiers Return
# Out of the way, so that no tooltip covers what is checked.
xdotool mousemove --sync 1270 1010
sleep 1
e2e_screenshot "$after"
echo "screenshot: $after"

# Every column of the middle row against the ramp: the column d pixels from the
# right edge takes band round-half-even(n * d / width) with n = 2 x percentage;
# each band is one unit darker per channel, stopping at 0. Python's round() rounds
# halves to even.
"$E2E_PYTHON" - "$after" "$px" "$py" "$PICTURE_WIDTH" "$PICTURE_HEIGHT" "$PERCENT" "$base" <<'EOF'
import sys
from PIL import Image
shot, px, py, width, height, percent = sys.argv[1], *map(int, sys.argv[2:7])
base = tuple(int(c) for c in sys.argv[7].split())
image = Image.open(shot).convert("RGB")
n = 2 * percent

def expected(d):
    band = round(n * d / width)
    return tuple(max(c - band, 0) for c in base)

named = {"rightmost": width - 1, "middle": width // 2, "leftmost": 0}
wrong = []
for row in (0, height // 2, height - 1):
    for x in range(width):
        want = expected(width - 1 - x)
        seen = image.getpixel((px + x, py + row))
        if seen != want:
            wrong.append(f"column {x}, row {row}: expected {want}, seen {seen}")
for name, x in named.items():
    print(f"{name} column {x}: expected {expected(width - 1 - x)}, "
          f"seen {image.getpixel((px + x, py + height // 2))}")
if wrong:
    print(f"{len(wrong)} pixels differ, first ones:", *wrong[:8], sep="\n  ")
    sys.exit(1)
EOF
[ $? -eq 0 ] || e2e_fail "the picture area does not show the ramp for $PERCENT% from $base; see $after"

e2e_close "$window" 20 || e2e_fail "$E2E_CLOSE_PROBLEM"
if xdotool search --onlyvisible --name '^Tresk Color' >/dev/null 2>&1; then
    e2e_fail "a 'Tresk Color' window is still on the screen after the program ended"
fi
echo "PASS: ramp for $PERCENT% painted and the program closed"
