#!/usr/bin/env bash
# Opens the About window of the real program as a person would: focus the main
# window, open its system menu with Alt+Space, choose "About..." (the last item),
# take a screenshot, close the window with Esc, then close the program with Alt+F4.
# Needs an X display (DISPLAY) with no window manager and the project's Wine prefix.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$ROOT/scripts/wine-env.sh"
BIN="$ROOT/build/bin"
OUT="$ROOT/build/e2e"
SHOT="$OUT/about.png"
mkdir -p "$OUT"
rm -f "$SHOT"

fail() {
    echo "about_e2e: $*" >&2
    exit 1
}

[[ -n "${DISPLAY:-}" ]] || fail "no DISPLAY"
[[ -f "$BIN/Treskcolor.exe" && -f "$BIN/Treskhook.dll" ]] || fail "build the program first"

# Waits up to $2 quarter-seconds for a window whose title matches $1; prints its id.
wait_window() {
    local id=""
    for _ in $(seq "$2"); do
        id="$(xdotool search --name "$1" 2>/dev/null | head -1 || true)"
        [[ -n "$id" ]] && break
        sleep 0.25
    done
    echo "$id"
}

# A click on the title bar gives the window the keyboard (there is no window manager
# to activate it). The program takes that click as a colour pick, which is harmless.
focus_by_title_bar() {
    eval "$(xdotool getwindowgeometry --shell "$1")"
    xdotool mousemove $((X + WIDTH / 4)) $((Y + 8)) click 1
    sleep 0.4
}

cd "$BIN"
wine Treskcolor.exe </dev/null >/dev/null 2>&1 &
PROGRAM=$!
trap 'kill "$PROGRAM" 2>/dev/null || true' EXIT

MAIN="$(wait_window '^Tresk Color' 160)"
[[ -n "$MAIN" ]] || fail "main window did not appear"
sleep 0.5
[[ -z "$(xdotool search --name '^About$' 2>/dev/null || true)" ]] || fail "About open too early"

focus_by_title_bar "$MAIN"
xdotool key alt+space
sleep 0.6
xdotool key Up
sleep 0.2
xdotool key Return

ABOUT="$(wait_window '^About$' 40)"
[[ -n "$ABOUT" ]] || fail "About window did not open"
sleep 1
/usr/bin/import -window root "$SHOT"
[[ -s "$SHOT" ]] || fail "no screenshot"

# What a person would see: the window centred on the screen, the picture, and the
# two blue links inside it.
eval "$(xdotool getwindowgeometry --shell "$ABOUT")"
SCREEN_W="$(xdotool getdisplaygeometry | cut -d' ' -f1)"
SCREEN_H="$(xdotool getdisplaygeometry | cut -d' ' -f2)"
/usr/bin/python3 - "$SHOT" "$X" "$Y" "$WIDTH" "$HEIGHT" "$SCREEN_W" "$SCREEN_H" <<'EOF'
import sys
from PIL import Image
shot, x, y, w, h, sw, sh = sys.argv[1], *map(int, sys.argv[2:])
if abs((x + w / 2) - sw / 2) > 3 or abs((y + h / 2) - sh / 2) > 3:
    sys.exit(f"About window not centred: {x},{y} {w}x{h} on {sw}x{sh}")
img = Image.open(shot).convert("RGB").crop((x, y, x + w, y + h))
pixels = list(img.getdata())
blue = sum(1 for p in pixels if p[2] > 200 and p[0] < 80 and p[1] < 80)
if blue < 100:
    sys.exit(f"links not drawn: {blue} blue pixels")
colours = len(set(pixels))
if colours < 8:
    sys.exit(f"About window looks empty: {colours} colours")
print(f"about_e2e: window {w}x{h} at {x},{y}; {blue} link pixels; {colours} colours")
EOF

xdotool key Escape
for _ in $(seq 20); do
    [[ -z "$(xdotool search --name '^About$' 2>/dev/null || true)" ]] && break
    sleep 0.25
done
[[ -z "$(xdotool search --name '^About$' 2>/dev/null || true)" ]] || fail "Esc did not close About"

focus_by_title_bar "$MAIN"
xdotool key alt+F4
for _ in $(seq 40); do
    kill -0 "$PROGRAM" 2>/dev/null || break
    sleep 0.25
done
if kill -0 "$PROGRAM" 2>/dev/null; then
    fail "program did not close"
fi
status=0
wait "$PROGRAM" || status=$?
[[ "$status" -eq 0 ]] || fail "the program ended with exit status $status after Alt+F4"
trap - EXIT
echo "about_e2e: passed; screenshot $SHOT"
