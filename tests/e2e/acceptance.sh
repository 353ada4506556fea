#!/usr/bin/env bash
# The real program as its users meet it: build/bin/Treskcolor.exe with its hook
# library, driven under Wine by real pointer and keyboard input, checked on the
# screen (screenshots), in the caption and with a probe program that tells whether
# the desktop-wide hook is installed (build/bin/tests/hook_probe_app.exe: while the
# hook is in, the platform maps Treskhook.dll into every program that gets mouse
# input, so a new probe that has seen one pointer move knows).
#
# Roads, in order (each one reports PASS or FAIL with what was expected and seen):
#   startup   caption, layout, focus in the percentage box with its text selected,
#             hook running
#   paint     Enter and the button; Vertical and Invert; percentages 0, 50, 100, and
#             150 with the box rewritten to 100
#   pick      a press on the picture area (moving on picks nothing, the next ramp
#             starts from the pick), on the title bar and on the border
#   color     the colour dialog: OK and Cancel keep the colour, a custom colour is
#             defined, chosen, painted from and offered again; hook stopped meanwhile;
#             afterwards the focus is back in the percentage box (typing paints)
#   save      context menu "Save as bitmap": the file holds what the area showed;
#             "Clear" leaves the area white
#   about     the About window from the title bar's system menu (right-click),
#             centred; link underline on hover, Esc, the focus back in the percentage
#             box; the window icon's menu closes with Esc and the next press picks
#   minimise  minimise stops the hook, restore starts it again and gives the focus
#             back to the percentage box; the restored window picks; minimised and
#             restored by another program (ShowWindow, as Show desktop does), with and
#             without the colour dialog open
#   taskkill  taskkill without /f while the colour dialog, the save dialog or the
#             About window is open: the program ends by itself, with 0, hook removed
#   close     Alt+F4 ends the program and removes the hook
#   twocopies a second copy beside the first: its About window, colour dialog and
#             save dialog take real clicks on their buttons, nothing is picked; its
#             title bar's menu works; the first copy still picks once the second is
#             closed, and closes; another program's title bar's menu works beside it
# A failed road keeps its screenshot in build/e2e/acceptance/<road>.png; the next
# road goes on where it can (a new program is started when the old one is gone).
# The last line is "N passed, M failed"; the exit status is 1 when any road failed.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

OUT="$E2E_OUT/acceptance"
WORK_SHOT="$OUT/work.png"
CHECK_PY="$OUT/check.py"
PROBE_EXE="$E2E_BIN/tests/hook_probe_app.exe"
SHOW_EXE="$E2E_BIN/tests/show_window_app.exe"
PROBE_PID=""
SAVE_DIR=""

# Client-area places at 96 dpi: the picture area is 553 x 95 at the top-left corner
# of the 632 x 95 client area; the rest is the right-hand column.
CLIENT_WIDTH=632
PICTURE_WIDTH=553
PICTURE_HEIGHT=95
BUTTON_X=593
BUTTON_Y=11
BOX_X=579
BOX_Y=34
SWATCH_X=617
SWATCH_Y=34
VERTICAL_X=563
VERTICAL_Y=58
INVERT_X=563
INVERT_Y=78
# Where the probe opens: away from every window the program opens (top left and
# centred), and from where the pointer rests (the bottom-right corner).
read -r SCREEN_W SCREEN_H < <(xdotool getdisplaygeometry 2>/dev/null || echo 1280 1024)
PROBE_X=$((SCREEN_W * 25 / 32))
PROBE_Y=$((SCREEN_H * 5 / 6))
CUSTOM="200 100 40"
# The picture area's width, and how far the column moved left of its design place.
picture_w=$PICTURE_WIDTH
column_shift=0

passed=0
failed=0
road=""
road_ok=1
window=""

mkdir -p "$OUT"
rm -f "$OUT"/*.png

# Pixel checks, one small program for all roads.
cat >"$CHECK_PY" <<'EOF'
import sys
from PIL import Image

def rgb(text):
    return tuple(int(c) for c in text.split())

def load(path):
    return Image.open(path).convert("RGB")

def ramp(shot, px, py, width, height, percent, base, vertical, invert):
    """Every pixel of the picture area against the shade ramp."""
    image = load(shot).load()
    if base == (0, 0, 0):
        base = (192, 192, 192)
    n = 2 * percent
    extent = height if vertical else width
    wrong = []
    for y in range(height):
        for x in range(width):
            d = extent - 1 - (y if vertical else x)   # line d counts from the start edge
            position = extent - d if invert else d
            band = round(n * position / extent)       # halves to even
            want = tuple(max(c - band, 0) for c in base)
            seen = image[px + x, py + y]
            if seen != want:
                wrong.append(f"({x},{y}): expected {want}, seen {seen}")
    if wrong:
        print(f"{len(wrong)} of {width * height} pixels differ; first ones: "
              + "; ".join(wrong[:5]))
        return 1
    return 0

def same(bitmap, shot, px, py):
    """The bitmap file against the screen area at (px, py) of its size."""
    saved = load(bitmap)
    area = load(shot).crop((px, py, px + saved.width, py + saved.height))
    if saved.size != (553, 95):
        print(f"the file is {saved.width}x{saved.height}, expected 553x95")
        return 1
    diff = [(i % saved.width, i // saved.width, a, b)
            for i, (a, b) in enumerate(zip(saved.getdata(), area.getdata())) if a != b]
    if diff:
        print(f"{len(diff)} pixels differ; first ones: " +
              "; ".join(f"({x},{y}) file {a} screen {b}" for x, y, a, b in diff[:5]))
        return 1
    return 0

def links(shot, x0, y0, w, h):
    """Rows of blue link text in the window: "top bottom left right underlined"."""
    image = load(shot).load()
    rows = {}
    for y in range(y0, y0 + h):
        xs = [x for x in range(x0, x0 + w)
              if image[x, y][2] > 200 and image[x, y][0] < 80 and image[x, y][1] < 80]
        if xs:
            rows[y] = (min(xs), max(xs), len(xs))
    groups = []
    for y in sorted(rows):
        if groups and y - groups[-1][-1] <= 1:
            groups[-1].append(y)
        else:
            groups.append([y])
    for group in groups:
        left = min(rows[y][0] for y in group)
        right = max(rows[y][1] for y in group)
        # An underline is a row of link colour across (nearly) the whole text.
        underlined = any(rows[y][2] >= 0.8 * (right - left + 1) for y in group)
        print(group[0], group[-1], left, right, int(underlined))
    return 0

command, args = sys.argv[1], sys.argv[2:]
if command == "ramp":
    shot, px, py, w, h, percent = args[0], *map(int, args[1:6])
    sys.exit(ramp(shot, px, py, w, h, percent, rgb(args[6]), args[7] == "1", args[8] == "1"))
if command == "same":
    sys.exit(same(args[0], args[1], int(args[2]), int(args[3])))
if command == "links":
    sys.exit(links(args[0], *map(int, args[1:5])))
sys.exit(f"unknown check {command}")
EOF

check() { "$E2E_PYTHON" "$CHECK_PY" "$@"; }

# --- roads -----------------------------------------------------------------------

begin_road() {
    road="$1"
    road_ok=1
    rm -f "$WORK_SHOT"
    echo "== $road"
}

# Records a failure of the current road. With -s the working screenshot shows it and
# is kept; otherwise a new screenshot is taken. Only the first one of a road is kept.
road_fail() {
    local from_work=0
    [ "$1" = "-s" ] && { from_work=1; shift; }
    echo "FAIL [$road]: $*"
    if [ "$road_ok" = 1 ]; then
        if [ "$from_work" = 1 ] && [ -f "$WORK_SHOT" ]; then
            cp "$WORK_SHOT" "$OUT/$road.png"
        else
            e2e_screenshot "$OUT/$road.png"
        fi
        echo "      screenshot: $OUT/$road.png"
    fi
    road_ok=0
}

end_road() {
    if [ "$road_ok" = 1 ]; then
        passed=$((passed + 1))
        echo "PASS [$road]"
    else
        failed=$((failed + 1))
        dismiss_dialogs
    fi
}

# Closes any dialog a failed road left open, so that the next road can go on.
dismiss_dialogs() {
    local id
    for name in '^Set Color$' '^Save as\.\.\.$' '^About$' '^Save Bitmap$'; do
        for id in $(xdotool search --onlyvisible --name "$name" 2>/dev/null); do
            timeout 3 xdotool windowfocus --sync "$id" 2>/dev/null
            xdotool key --clearmodifiers Escape
            wait_gone "$name" 3
        done
    done
}

# --- the program -------------------------------------------------------------------

program_running() { [ -n "$E2E_PID" ] && kill -0 "$E2E_PID" 2>/dev/null; }

# Finds the main window and the client origin (px, py): the picture area is the
# first white or painted 553 x 95 area; after start-up it is white.
locate_window() {
    read -r wx wy ww wh <<<"$(e2e_window_geometry "$window")"
    # Wine draws the frame: the border is as wide on every side.
    border=$(((ww - CLIENT_WIDTH) / 2))
    px=$((wx + border))
    py=$((wy + wh - border - PICTURE_HEIGHT))
}

# Starts the program unless it runs (the pointer away from where its window opens);
# returns 1 when no window appears.
need_program() {
    if program_running && [ -n "$window" ]; then
        return 0
    fi
    [ -n "$E2E_PID" ] && e2e_cleanup
    window=""
    e2e_park
    e2e_start_program
    trap cleanup EXIT
    window="$(e2e_wait_window '^Tresk Color' 30)" || {
        window=""
        return 1
    }
    locate_window
    look_until first_look || road_fail -s "the window as it first shows: $seen_out"
    return 0
}

# What a new window shows (on the working screenshot): the white picture area at the
# client's top left, ending at client x 553; the swatch in the active-caption colour;
# the button's caption (dark text on the button face); the box's "50" selected (light
# text on the selection colour). Prints what differs.
first_look() {
    local origin title problems=""
    origin="$(e2e_find_rect "$WORK_SHOT" "$PICTURE_WIDTH" "$PICTURE_HEIGHT" "255 255 255" \
        "$wx $wy $ww $wh")"
    [ "$origin" = "$px $py" ] ||
        problems+="expected the white ${PICTURE_WIDTH}x$PICTURE_HEIGHT picture area at the client's top-left $px,$py (window $wx,$wy ${ww}x$wh), seen it at '${origin:-nowhere}'; "
    [ "$(pixel $((px + PICTURE_WIDTH)) $((py + PICTURE_HEIGHT / 2)))" != "255 255 255" ] ||
        problems+="expected the picture area to end at client x $PICTURE_WIDTH, but it goes on; "
    title="$(pixel $((wx + ww - 120)) $((wy + border + 5)))"
    [ "$(swatch)" = "$title" ] ||
        problems+="expected the swatch in the active-caption colour $title, seen $(swatch); "
    read -r button_text selection box_dark < <("$E2E_PYTHON" - "$WORK_SHOT" $((px + PICTURE_WIDTH)) "$py" <<'PY'
import sys
from PIL import Image
image = Image.open(sys.argv[1]).convert("RGB")
x0, y0 = int(sys.argv[2]), int(sys.argv[3])
def count(x1, y1, x2, y2, test):
    return sum(1 for y in range(y0 + y1, y0 + y2) for x in range(x0 + x1, x0 + x2)
               if test(image.getpixel((x, y))))
dark = lambda p: max(p) < 90
coloured = lambda p: max(p) - min(p) > 60
print(count(4, 2, 76, 20, dark), count(7, 27, 44, 42, coloured), count(7, 27, 44, 42, dark))
PY
)
    [ "$button_text" -gt 20 ] ||
        problems+="expected the dark caption on the button, seen $button_text dark pixels; "
    { [ "$selection" -gt 30 ] && [ "$box_dark" -eq 0 ]; } ||
        problems+="expected the box's text selected (selection colour, no dark text), seen $selection selection and $box_dark dark pixels; "
    echo "$problems"
    [ -z "$problems" ]
}

cleanup() {
    e2e_cleanup
    if [ -n "$PROBE_PID" ] && kill -0 "$PROBE_PID" 2>/dev/null; then
        kill "$PROBE_PID" 2>/dev/null
    fi
    [ -n "$SAVE_DIR" ] && rm -rf "$SAVE_DIR"
}

caption() { e2e_window_name "$window"; }

# Runs "$@" until it succeeds, for up to 10 s; returns its last status.
wait_until() {
    local until=$((SECONDS + 10))
    until "$@"; do
        [ "$SECONDS" -lt "$until" ] || return 1
        sleep 0.1
    done
}

# Takes the working screenshot and runs "$@" on it, its output kept in $seen_out.
on_shot() {
    e2e_screenshot "$WORK_SHOT"
    seen_out="$("$@")"
}

# Takes the working screenshot with the pointer out of the way (no tooltip).
look() {
    e2e_park
    e2e_screenshot "$WORK_SHOT"
}

# Takes working screenshots, the pointer out of the way (no tooltip), until "$@"
# succeeds on one (up to 10 s). Once it has, what the screenshot shows is the state
# the check waited for, not one a pause happened to catch.
look_until() {
    e2e_park
    wait_until on_shot "$@"
}

pixel() { e2e_pixel "$WORK_SHOT" "$1" "$2"; }

caption_is() { [ "$(caption)" = "$1" ]; }

# Whether window $1 has the keyboard (the X input focus).
focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }

focus_main() { timeout 3 xdotool windowfocus --sync "$window" 2>/dev/null; }

# Waits up to $2 seconds (default 10) until no visible window is named $1.
wait_gone() {
    local limit="${2:-10}"
    for _ in $(seq $((limit * 10))); do
        [ -z "$(xdotool search --onlyvisible --name "$1" 2>/dev/null)" ] && return 0
        sleep 0.1
    done
    return 1
}

# Visible windows of the program (or of program class $1) without a name: menus and
# tool tips.
nameless_windows() {
    local id
    for id in $(xdotool search --onlyvisible --classname "${1:-^treskcolor\.exe$}" 2>/dev/null); do
        [ -z "$(e2e_window_name "$id")" ] && echo "$id"
    done
}

# Whether a window of the program without a name (a menu) shows that is not among
# the ids "$1".
new_menu() { [ -n "$(comm -13 <(sort <<<"$1") <(nameless_windows | sort))" ]; }

# Right-clicks ($1,$2) on a title bar or window icon ($4 names it), waits up to 10 s
# for the system menu (a new nameless window of program class $5, default the
# program's own), presses keys $3 and waits up to 10 s for the menu to close. A road
# failure when it does not; a menu that takes no keys is let go with a right-click.
system_menu_at() {
    local before opened=""
    before="$(nameless_windows "${5:-}" | sort)"
    e2e_move "$1" "$2"
    xdotool click 3
    for _ in $(seq 100); do
        opened="$(comm -13 <(echo "$before") <(nameless_windows "${5:-}" | sort))"
        [ -n "$opened" ] && break
        sleep 0.1
    done
    [ -n "$opened" ] || { road_fail "a right-click on $4 opened no system menu"; return 1; }
    xdotool key --clearmodifiers $3
    for _ in $(seq 100); do
        [ -z "$(comm -12 <(echo "$opened") <(nameless_windows "${5:-}" | sort))" ] && return 0
        sleep 0.1
    done
    road_fail "the system menu of $4 was still open 10 s after the keys $3"
    xdotool click 3 key --clearmodifiers Escape
    return 1
}

# Opens the main window's system menu with Alt+Space and waits up to 10 s for it (a
# new window of the program without a name); a road failure when it stays shut.
open_system_menu() {
    local before
    before="$(nameless_windows)"
    xdotool key --clearmodifiers alt+space
    wait_until new_menu "$before" && return 0
    road_fail "Alt+Space opened no system menu within 10 s"
    return 1
}

# Waits up to 10 s until the main window's size ("W H", in $size) is "$2" (with
# "=") or no longer is (with "!=").
wait_size() {
    for _ in $(seq 100); do
        read -r _ _ size_w size_h <<<"$(e2e_window_geometry "$window")"
        size="$size_w $size_h"
        [ "$size" "$1" "$2" ] && return 0
        sleep 0.1
    done
    return 1
}

# Types $1 into the percentage box, replacing its text, and presses Enter.
enter_percent() {
    e2e_click $((px + BOX_X)) $((py + BOX_Y))
    xdotool key --clearmodifiers End shift+Home
    xdotool type --delay 30 -- "$1"
    xdotool key --clearmodifiers Return
}

click_button() { e2e_click $((px + BUTTON_X)) $((py + BUTTON_Y)); }

# Puts the focus in the percentage box with a click.
click_box() { e2e_click $((px + BOX_X)) $((py + BOX_Y)); }

# Without a click first, types $1 and Enter wherever the focus is, then checks the
# ramp for $1% (horizontal, not inverted) from base colour "$2"; $3 says when. Once
# it shows, the program has handled everything that came before the keys.
type_percent_paints() {
    wait_until focused "$window" || road_fail "the main window did not get the keyboard back"
    xdotool type --delay 30 -- "$1"
    xdotool key --clearmodifiers Return
    expect_ramp "$1" "$2" 0 0 "typing $1 and Enter $3"
}

swatch() { pixel $((px + SWATCH_X - column_shift)) $((py + SWATCH_Y)); }

# Waits (up to 10 s) until the picture area on the working screenshot shows the ramp
# for percentage $1 from base colour "$2" ("swatch": the swatch's colour on the same
# screenshot), vertical $3 (0/1), inverted $4 (0/1), across $picture_w pixels; $5
# says what was done. The picture must have shown something else before.
expect_ramp() {
    look_until ramp_shown "$@" ||
        road_fail -s "$5: expected the ramp for $1% from ($2), vertical $3, invert $4; $seen_out"
}

ramp_shown() {
    local base="$2"
    [ "$base" = swatch ] && base="$(swatch)"
    check ramp "$WORK_SHOT" "$px" "$py" "$picture_w" "$PICTURE_HEIGHT" "$1" "$base" "$3" "$4"
}

swatch_is() { [ "$(swatch)" = "$1" ]; }

found_rect() { [ -n "$(e2e_find_rect "$@")" ]; }

pixel_is() { [ "$(pixel "$1" "$2")" = "$3" ]; }

# Runs a new probe and checks that the hook is installed ($1 = 1) or not ($1 = 0)
# at this moment; $2 says when.
expect_hook() {
    local want="$1" when="$2" report="$OUT/probe.txt" id="" seen
    rm -f "$report"
    e2e_park
    (cd "$OUT" && exec wine "$PROBE_EXE" "$PROBE_X" "$PROBE_Y" "$(winepath -w "$report" 2>/dev/null)") \
        </dev/null >"$OUT/probe.log" 2>&1 &
    PROBE_PID=$!
    for _ in $(seq 150); do
        id="$(xdotool search --onlyvisible --name '^Tresk hook probe$' 2>/dev/null | head -n 1)"
        [ -n "$id" ] && break
        kill -0 "$PROBE_PID" 2>/dev/null || break
        sleep 0.1
    done
    if [ -n "$id" ]; then
        e2e_move $((PROBE_X + 60)) $((PROBE_Y + 60))
        sleep 0.1
        e2e_move $((PROBE_X + 70)) $((PROBE_Y + 65))
    fi
    for _ in $(seq 50); do
        [ -s "$report" ] && break
        sleep 0.1
    done
    seen="$(cat "$report" 2>/dev/null)"
    e2e_park
    for _ in $(seq 30); do
        kill -0 "$PROBE_PID" 2>/dev/null || break
        sleep 0.1
    done
    kill "$PROBE_PID" 2>/dev/null
    wait "$PROBE_PID" 2>/dev/null
    PROBE_PID=""
    if [ "$seen" != "loaded $want" ]; then
        road_fail "$when: expected the hook $( ((want)) && echo running || echo stopped) (probe 'loaded $want'), seen '${seen:-no report (probe window ${id:-never appeared})}'"
    else
        echo "   hook $( ((want)) && echo running || echo stopped) $when"
    fi
}

# --- start-up ----------------------------------------------------------------------

[ -n "${DISPLAY:-}" ] || e2e_fail "DISPLAY is not set"
[ -f "$E2E_BIN/Treskhook.dll" ] || e2e_fail "$E2E_BIN/Treskhook.dll is missing"
[ -f "$PROBE_EXE" ] || e2e_fail "$PROBE_EXE is missing"
[ -f "$SHOW_EXE" ] || e2e_fail "$SHOW_EXE is missing"
start=$SECONDS

begin_road startup
if need_program; then
    base="$(swatch)"
    expect_hook 1 "after start-up"
    # Typing goes to the percentage box and replaces its selected "50".
    xdotool type --delay 30 0
    xdotool key --clearmodifiers Return
    expect_ramp 0 "$base" 0 0 "typing 0 and Enter right after start-up"
    # With the typing handled, so is all that came before it: the caption is final.
    seen="$(caption)"
    [ "$seen" = "Tresk Color [Size: 553x95]" ] ||
        road_fail "caption: expected 'Tresk Color [Size: 553x95]', seen '$seen'"
else
    road_fail "no window named 'Tresk Color...' within 30 s"
fi
end_road

# --- painting ----------------------------------------------------------------------

# Drags the main window's right border $1 pixels across (negative: to the left).
drag_right_border() {
    local x=$((wx + ww - 2 - column_shift)) y=$((wy + wh / 2))
    e2e_move "$x" "$y"
    xdotool mousedown 1 mousemove $((x + $1)) "$y" mouseup 1
}

begin_road paint
if need_program; then
    enter_percent 30
    expect_ramp 30 swatch 0 0 "30 and Enter"
    base="$(swatch)"
    # Typing after the button (focus back in the box, text selected), then the button.
    click_button
    xdotool type --delay 30 20
    click_button
    expect_ramp 20 "$base" 0 0 "20 and the button"
    e2e_click $((px + VERTICAL_X)) $((py + VERTICAL_Y))
    click_button
    expect_ramp 20 "$base" 1 0 "Vertical"
    e2e_click $((px + INVERT_X)) $((py + INVERT_Y))
    click_button
    expect_ramp 20 "$base" 1 1 "Vertical and Invert"
    e2e_click $((px + VERTICAL_X)) $((py + VERTICAL_Y))
    click_button
    expect_ramp 20 "$base" 0 1 "Invert"
    e2e_click $((px + INVERT_X)) $((py + INVERT_Y))
    for percent in 0 100 50; do
        enter_percent "$percent"
        expect_ramp "$percent" "$base" 0 0 "$percent and Enter"
    done
    # An out-of-range text paints as 100 and is rewritten in the box: the next key
    # edits the rewritten text (a box still holding "150" would give 15). How other
    # texts read is the number reading's own test.
    enter_percent 150
    expect_ramp 100 "$base" 0 0 "150 and Enter"
    xdotool key --clearmodifiers End BackSpace Return
    expect_ramp 10 "$base" 0 0 "150, Enter, then BackSpace and Enter (box rewritten to 100)"
    # 200 pixels across at 50 %: every other column falls half-way between two bands
    # and takes the even one. The press on the border picks its colour as the base.
    edge="$(pixel $((wx + ww - 2)) $((wy + wh / 2)))"
    drag_right_border $((200 - PICTURE_WIDTH))
    if wait_until caption_is "Tresk Color [Size: 200x95]"; then
        picture_w=200 column_shift=$((PICTURE_WIDTH - 200))
        xdotool key --clearmodifiers End shift+Home
        xdotool type --delay 30 50
        xdotool key --clearmodifiers Return
        expect_ramp 50 "$edge" 0 0 "50 and Enter over 200 pixels"
        drag_right_border $((PICTURE_WIDTH - 200))
        picture_w=$PICTURE_WIDTH column_shift=0
    else
        road_fail "dragging the right border: expected the caption 'Tresk Color [Size: 200x95]', seen '$(caption)'"
    fi
    wait_until caption_is "Tresk Color [Size: 553x95]" || {
        road_fail "dragging the right border back: expected the caption 'Tresk Color [Size: 553x95]', seen '$(caption)'"
        e2e_cleanup # the next road starts a new program
    }
else
    road_fail "the program is not running"
fi
end_road

# --- picking -----------------------------------------------------------------------

# Presses at ($1,$2) and checks that the caption and the swatch take colour "$3";
# $4 names the place.
pick_at() {
    local r g b want
    read -r r g b <<<"$3"
    want="Tresk Color [Size: 553x95; RGB: $r,$g,$b]"
    e2e_click "$1" "$2"
    wait_until caption_is "$want" ||
        road_fail "press on the $4: expected the caption '$want', seen '$(caption)'"
    look_until swatch_is "$3" || road_fail -s "press on the $4: expected the swatch $3, seen $(swatch)"
}

begin_road pick
if need_program; then
    enter_percent 50
    expect_ramp 50 swatch 0 0 "50 and Enter"
    colour="$(pixel $((px + 150)) $((py + 40)))"
    pick_at $((px + 150)) $((py + 40)) "$colour" "picture area"
    # Moving over other shades picks nothing. The button's ramp from the picked colour
    # shows that the moves, which came before the click, were handled; only then is
    # the caption compared.
    seen="$(caption)"
    e2e_move $((px + 50)) $((py + 40))
    e2e_move $((px + 450)) $((py + 45))
    click_button
    expect_ramp 50 "$colour" 0 0 "the button after a pick and moves over the picture area"
    [ "$(caption)" = "$seen" ] ||
        road_fail "moving over the picture area changed the caption from '$seen' to '$(caption)'"
    colour="$(pixel $((wx + ww - 120)) $((wy + border + 5)))"
    pick_at $((wx + ww - 120)) $((wy + border + 5)) "$colour" "title bar"
    # The left border, half-way down, beside the picture area.
    colour="$(pixel $((wx + border / 2)) $((py + PICTURE_HEIGHT / 2)))"
    pick_at $((wx + border / 2)) $((py + PICTURE_HEIGHT / 2)) "$colour" "left border"
else
    road_fail "the program is not running"
fi
end_road

# --- the colour dialog -------------------------------------------------------------

# Whether window $1 is wider than $2 pixels.
wider() {
    local w
    read -r _ _ w _ <<<"$(e2e_window_geometry "$1")"
    [ "$w" -gt "$2" ]
}

# Clicks the swatch and prints the id of the "Set Color" dialog.
open_color_dialog() {
    e2e_click $((px + SWATCH_X)) $((py + SWATCH_Y))
    e2e_wait_window '^Set Color$' 10
}

begin_road color
if need_program; then
    click_box
    look
    base="$(swatch)"
    # After each dialog, the ramp typed from the old colour shows that the dialog's end
    # was handled and kept the colour; the swatch is compared on that screenshot.
    if dialog="$(open_color_dialog)"; then
        expect_hook 0 "while the colour dialog is open"
        timeout 3 xdotool windowfocus --sync "$dialog" 2>/dev/null
        xdotool key --clearmodifiers Return
        wait_gone '^Set Color$' || road_fail "Enter did not close the colour dialog"
        expect_hook 1 "after the colour dialog"
        type_percent_paints 30 "$base" "right after OK without a change"
        [ "$(swatch)" = "$base" ] || road_fail -s "OK without change: expected the swatch $base, seen $(swatch)"
    else
        road_fail "a click on the swatch opened no 'Set Color' dialog"
    fi
    if dialog="$(open_color_dialog)"; then
        timeout 3 xdotool windowfocus --sync "$dialog" 2>/dev/null
        xdotool key --clearmodifiers Escape
        wait_gone '^Set Color$' || road_fail "Esc did not close the colour dialog"
        type_percent_paints 40 "$base" "right after Cancel"
        [ "$(swatch)" = "$base" ] || road_fail -s "Cancel: expected the swatch $base, seen $(swatch)"
    else
        road_fail "the second click on the swatch opened no 'Set Color' dialog"
    fi
    # Define a custom colour in the full dialog, add it, choose it with OK.
    read -r red green blue <<<"$CUSTOM"
    if dialog="$(open_color_dialog)"; then
        timeout 3 xdotool windowfocus --sync "$dialog" 2>/dev/null
        read -r _ _ dw _ <<<"$(e2e_window_geometry "$dialog")"
        xdotool key --clearmodifiers alt+d
        wait_until wider "$dialog" "$dw" || road_fail "Alt+D did not open the custom colour part"
        xdotool key --clearmodifiers alt+r
        xdotool type --delay 30 "$red"
        xdotool key --clearmodifiers alt+g
        xdotool type --delay 30 "$green"
        xdotool key --clearmodifiers alt+b
        xdotool type --delay 30 "$blue"
        xdotool key --clearmodifiers alt+a
        # Back in an edit box, Enter presses the default button, OK.
        xdotool key --clearmodifiers alt+r Return
        wait_gone '^Set Color$' || road_fail "OK did not close the colour dialog"
        look_until swatch_is "$CUSTOM" ||
            road_fail -s "defined colour and OK: expected the swatch $CUSTOM, seen $(swatch)"
        enter_percent 50
        expect_ramp 50 "$CUSTOM" 0 0 "painting after choosing $CUSTOM"
    else
        road_fail "the third click on the swatch opened no 'Set Color' dialog"
    fi
    # The next opening offers the custom colour in one of its boxes.
    if dialog="$(open_color_dialog)"; then
        read -r dx dy dw dh <<<"$(e2e_window_geometry "$dialog")"
        look_until found_rect "$WORK_SHOT" 8 8 "$CUSTOM" "$dx $dy $dw $dh" ||
            road_fail -s "expected a custom-colour box of $CUSTOM in the reopened dialog at $dx,$dy ${dw}x$dh"
        timeout 3 xdotool windowfocus --sync "$dialog" 2>/dev/null
        xdotool key --clearmodifiers Escape
        wait_gone '^Set Color$' || road_fail "Esc did not close the reopened colour dialog"
    else
        road_fail "the fourth click on the swatch opened no 'Set Color' dialog"
    fi
else
    road_fail "the program is not running"
fi
end_road

# --- saving and clearing -----------------------------------------------------------

# Opens the picture area's context menu and chooses its item $1 (1 = the first).
context_menu() {
    local before
    e2e_move $((px + 200)) $((py + 40))
    before="$(nameless_windows)"
    xdotool click 3
    wait_until new_menu "$before" || road_fail "a right click on the picture area opened no menu"
    for _ in $(seq "$1"); do
        xdotool key --clearmodifiers Down
    done
    xdotool key --clearmodifiers Return
}

begin_road save
if need_program; then
    SAVE_DIR="$(mktemp -d /tmp/tresk-acceptance.XXXXXX)"
    file="$SAVE_DIR/ramp.bmp"
    e2e_click $((px + VERTICAL_X)) $((py + VERTICAL_Y))
    enter_percent 40
    expect_ramp 40 swatch 1 0 "the ramp to save"
    before="$OUT/save_before.png"
    cp "$WORK_SHOT" "$before"
    context_menu 1
    if dialog="$(e2e_wait_window '^Save as\.\.\.$' 10)"; then
        expect_hook 0 "while the save dialog is open"
        timeout 3 xdotool windowfocus --sync "$dialog" 2>/dev/null
        xdotool type --delay 10 "$(winepath -w "$file" 2>/dev/null)"
        xdotool key --clearmodifiers Return
        wait_gone '^Save as\.\.\.$' || road_fail "Enter did not close the save dialog"
        for _ in $(seq 50); do
            [ -s "$file" ] && break
            sleep 0.1
        done
        if [ -s "$file" ]; then
            result="$(check same "$file" "$before" "$px" "$py")" ||
                road_fail "the saved file differs from the picture area before saving (kept in $before): $result"
        else
            road_fail "no file $file after the save dialog"
        fi
        expect_hook 1 "after saving"
    else
        road_fail "\"Save as bitmap\" opened no 'Save as...' dialog"
    fi
    context_menu 2
    expect_ramp 0 "255 255 255" 0 0 "\"Clear\" (a plain white area)"
    e2e_click $((px + VERTICAL_X)) $((py + VERTICAL_Y))
else
    road_fail "the program is not running"
fi
end_road

# --- the About window --------------------------------------------------------------

# Prints the link rows of the About window on the working screenshot.
about_links() { check links "$WORK_SHOT" "$ax" "$ay" "$aw" "$ah"; }

link_rows() { [ "$(about_links | wc -l)" -eq 2 ]; }

# Whether the e-mail and web links are underlined as "$1" ("01": the web link alone).
underlines() {
    local m w
    read -r _ _ _ _ m <<<"$(about_links | sed -n 1p)"
    read -r _ _ _ _ w <<<"$(about_links | sed -n 2p)"
    echo "e-mail $m, web $w"
    [ "$m$w" = "$1" ]
}

begin_road about
if need_program; then
    focus_main
    click_box
    # "About..." is the last item of the system menu, here the title bar's.
    system_menu_at $((wx + 200)) $((wy + border + 8)) "Up Return" "the title bar"
    if about="$(e2e_wait_window '^About$' 10)"; then
        read -r ax ay aw ah <<<"$(e2e_window_geometry "$about")"
        off=$((2 * ax + aw - SCREEN_W))/$((2 * ay + ah - SCREEN_H))
        [[ "$off" =~ ^-?[0-2]/-?[0-2]$ ]] ||
            road_fail "the About window ${aw}x$ah at $ax,$ay is not centred on ${SCREEN_W}x$SCREEN_H"
        look_until link_rows
        mapfile -t rows < <(about_links)
        if [ "${#rows[@]}" -ne 2 ]; then
            road_fail -s "expected two blue link rows in the About window, seen ${#rows[@]}: ${rows[*]}"
        else
            read -r mtop mbottom mleft mright munder <<<"${rows[0]}"
            read -r wtop wbottom wleft wright wunder <<<"${rows[1]}"
            [ "$munder$wunder" = 00 ] ||
                road_fail -s "before hovering: expected no link underlined, seen e-mail $munder, web $wunder"
            # Hover the web link, then the e-mail link: the underline follows.
            e2e_move $(((wleft + wright) / 2 - 5)) $(((wtop + wbottom) / 2))
            e2e_move $(((wleft + wright) / 2)) $(((wtop + wbottom) / 2))
            wait_until on_shot underlines 01 ||
                road_fail -s "hovering the web link: expected it underlined alone, seen $seen_out"
            e2e_move $(((mleft + mright) / 2)) $(((mtop + mbottom) / 2))
            wait_until on_shot underlines 10 ||
                road_fail -s "hovering the e-mail link: expected it underlined alone, seen $seen_out"
        fi
        expect_hook 0 "while the About window is open"
        timeout 3 xdotool windowfocus --sync "$about" 2>/dev/null
        xdotool key --clearmodifiers Escape
        wait_gone '^About$' || road_fail "Esc did not close the About window"
        expect_hook 1 "after the About window"
        type_percent_paints 20 swatch "right after the About window"
    else
        road_fail "the title bar's menu, \"About...\" opened no window named 'About'"
    fi
    system_menu_at $((wx + border + 8)) $((wy + border + 8)) Escape "the window icon"
    look
    colour="$(pixel $((px + 450)) $((py + 40)))"
    pick_at $((px + 450)) $((py + 40)) "$colour" "picture area after the icon's menu"
else
    road_fail "the program is not running"
fi
end_road

# --- minimise and restore ----------------------------------------------------------

# Another program's ShowWindow($1) on the main window; a road failure if it found none.
show_window() {
    (cd "$OUT" && exec wine "$SHOW_EXE" "Tresk Color" "$1") </dev/null >"$OUT/show.log" 2>&1 ||
        { road_fail "show_window_app found no 'Tresk Color' window to show with $1"; return 1; }
}

begin_road minimise
if need_program; then
    focus_main
    click_box
    open_system_menu
    xdotool key --clearmodifiers n
    wait_size != "$ww $wh"
    read -r mw mh <<<"$size"
    [ "$mh" -lt "$wh" ] || road_fail "Minimize: the window is still ${mw}x$mh"
    expect_hook 0 "after minimising"
    focus_main
    open_system_menu
    xdotool key --clearmodifiers r
    wait_size = "$ww $wh" || road_fail "Restore: expected the window ${ww}x$wh again, seen ${size/ /x}"
    locate_window
    expect_hook 1 "after restoring"
    type_percent_paints 60 swatch "right after restoring"
    seen="$(caption)"
    [ "$seen" = "Tresk Color [Size: 553x95]" ] ||
        road_fail "after restoring: expected the caption 'Tresk Color [Size: 553x95]', seen '$seen'"
    colour="$(pixel $((px + 300)) $((py + 50)))"
    pick_at $((px + 300)) $((py + 50)) "$colour" "picture area after restoring"
    # Another program minimises and restores the window, as Show desktop does.
    show_window 6 && wait_size != "$ww $wh"
    expect_hook 0 "after another program minimised the window"
    show_window 9 && wait_size = "$ww $wh"
    focus_main
    open_system_menu
    xdotool key --clearmodifiers n
    wait_size != "$ww $wh"
    show_window 9 && wait_size = "$ww $wh"
    expect_hook 1 "after Minimize and another program's restore"
    # While the colour dialog is open a restore starts nothing; its close does.
    if dialog="$(open_color_dialog)"; then
        show_window 6 && wait_size != "$ww $wh"
        show_window 9 && wait_size = "$ww $wh"
        expect_hook 0 "with the colour dialog open, minimised and restored by another program"
        # Its OK button, 45 pixels from its left and 20 from its bottom edge.
        read -r dx dy dw dh <<<"$(e2e_window_geometry "$dialog")"
        e2e_click $((dx + 45)) $((dy + dh - 20))
        wait_gone '^Set Color$' || road_fail "a click on OK did not close the colour dialog"
        expect_hook 1 "after the colour dialog"
    else
        road_fail "a click on the swatch opened no 'Set Color' dialog"
    fi
else
    road_fail "the program is not running"
fi
end_road

# --- taskkill while a dialog is open -----------------------------------------------

# taskkill without /f asks the program's windows to close, as another program or a
# log-off would; with a dialog or the About window open the program still ends by
# itself.
# Opens the colour dialog, the save dialog or the About window ($1 = color, save or
# about); its name pattern is then in $dialog_name and its id in $opened (empty when
# none opened).
open_dialog() {
    case "$1" in
        color)
            e2e_click $((px + SWATCH_X)) $((py + SWATCH_Y))
            dialog_name='^Set Color$'
            ;;
        save)
            context_menu 1
            dialog_name='^Save as\.\.\.$'
            ;;
        about)
            focus_main
            open_system_menu
            xdotool key --clearmodifiers Up Return
            dialog_name='^About$'
            ;;
    esac
    opened="$(e2e_wait_window "$dialog_name" 10)"
}

begin_road taskkill
for open in color save about; do
    need_program || {
        road_fail "the program is not running"
        break
    }
    open_dialog "$open"
    if [ -z "$opened" ]; then
        road_fail "the $open dialog did not open"
        continue
    fi
    (cd "$E2E_BIN" && wine taskkill /im Treskcolor.exe) >"$OUT/taskkill.log" 2>&1
    if e2e_wait_exit 10; then
        [ "$E2E_STATUS" = 0 ] || road_fail "taskkill with the $open dialog open: the program ended with $E2E_STATUS"
        wait_gone '^Tresk Color' 5 || road_fail "a 'Tresk Color' window is still on the screen after taskkill"
        expect_hook 0 "after taskkill with the $open dialog open"
    else
        road_fail "the program was still running 10 s after taskkill with the $open dialog open"
        e2e_cleanup
    fi
    window=""
done
end_road

# --- close -------------------------------------------------------------------------

begin_road close
if need_program; then
    if e2e_close "$window" 20; then
        wait_gone '^Tresk Color' 5 || road_fail "a 'Tresk Color' window is still on the screen after the program ended"
        expect_hook 0 "after closing"
    else
        road_fail "$E2E_CLOSE_PROBLEM"
    fi
else
    road_fail "the program is not running"
fi
end_road

# --- two copies --------------------------------------------------------------------

# A second copy beside the first. While the second copy's hook is stopped for a
# dialog, the first copy's hook runs in the second copy's process on that process's
# state: real clicks on the About window's OK, the colour dialog's OK and the save
# dialog's Cancel (at 96 dpi, from the dialogs' corners; negative values count from
# the right and bottom edges) must close the dialog and pick nothing. A ramp typed
# from the old colour afterwards shows that the second copy has handled the click.
# Once the second copy is closed, the first still picks and closes by itself.
begin_road twocopies
if need_program; then
    first="$window" first_pid="$E2E_PID"
    (cd "$E2E_BIN" && exec wine Treskcolor.exe) </dev/null >"$OUT/second.log" 2>&1 &
    E2E_PID=$! # the second copy, driven and closed as the program until it is closed
    trap 'cleanup; kill "$first_pid" 2>/dev/null' EXIT
    window="$(e2e_wait_window '^Tresk Color' 30 "$first")" && locate_window ||
        road_fail "the second copy opened no window within 30 s"
    look_until first_look || road_fail -s "the second copy as it first shows: $seen_out"
    base="$(swatch)"
    for step in "about 221 207 OK 10" "color 45 -20 OK 20" "save -50 -22 Cancel 30"; do
        [ -n "$window" ] || break
        read -r open x y button percent <<<"$step"
        open_dialog "$open"
        [ -n "$opened" ] || { road_fail "the $open dialog did not open in the second copy"; continue; }
        seen="$(caption) / $base"
        read -r dx dy dw dh <<<"$(e2e_window_geometry "$opened")"
        wait_until focused "$opened" || road_fail "the $open dialog did not get the keyboard"
        e2e_click $((x < 0 ? dx + dw + x : dx + x)) $((y < 0 ? dy + dh + y : dy + y))
        wait_gone "$dialog_name" 5 || road_fail "a click on the $open dialog's $button did not close it"
        type_percent_paints "$percent" "$base" "in the second copy after the $open dialog's $button"
        [ "$(caption) / $(swatch)" = "$seen" ] ||
            road_fail -s "the $open dialog's $button picked: caption / swatch went from '$seen' to '$(caption) / $(swatch)'"
    done
    # The second copy's title-bar menu: Esc closes it, its Close ends the copy; the
    # first copy, beneath it, then picks.
    if [ -n "$window" ]; then
        system_menu_at $((wx + 200)) $((wy + border + 8)) Escape "the second copy's title bar"
        # Elsewhere on it: a second right press there so soon would be a double-click.
        system_menu_at $((wx + 300)) $((wy + border + 8)) c "the second copy's title bar"
        if e2e_wait_exit 10; then
            [ "$E2E_STATUS" = 0 ] || road_fail "the second copy ended with $E2E_STATUS after its menu's Close"
        else
            road_fail "the second copy was still running 10 s after its menu's Close"
            e2e_cleanup
        fi
    fi
    E2E_PID="$first_pid" window="$first"
    locate_window
    expect_hook 1 "with the first copy alone again"
    # Another program's title-bar menu beside Tresk Color.
    (cd "$E2E_BIN/tests" && exec wine bystander_app.exe) </dev/null >"$OUT/bystander.log" 2>&1 &
    other_pid=$!
    if other="$(e2e_wait_window '^Bystander$' 30)"; then
        read -r ox oy _ _ <<<"$(e2e_window_geometry "$other")"
        system_menu_at $((ox + 100)) $((oy + border + 8)) Escape "another program's title bar" \
            '^bystander_app\.exe$'
        # Closed as a user would, so that the keyboard can go back to the first copy.
        xdotool windowfocus --sync "$other" 2>/dev/null
        xdotool key --clearmodifiers alt+F4
        wait_gone '^Bystander$' || road_fail "the other program's window stayed after Alt+F4"
    else
        road_fail "the other program opened no window named 'Bystander' within 30 s"
    fi
    kill "$other_pid" 2>/dev/null
    look_until pixel_is $((px + 150)) $((py + 40)) "255 255 255"
    pick_at $((px + 150)) $((py + 40)) "255 255 255" "first copy's picture area"
    if e2e_close "$window" 10; then
        expect_hook 0 "with both copies closed"
    else
        road_fail "the first copy: $E2E_CLOSE_PROBLEM"
    fi
else
    road_fail "the program is not running"
fi
end_road

rm -f "$WORK_SHOT" "$OUT/probe.txt"
echo "acceptance took $((SECONDS - start)) s"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
