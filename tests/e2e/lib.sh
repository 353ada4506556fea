# Sourced by the end-to-end scripts: start the real program under Wine, find its
# window, look at the screen and close the program the way a user would.
# DISPLAY and WINEPREFIX come from the caller's environment.

E2E_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
E2E_BIN="$E2E_ROOT/build/bin"
E2E_OUT="$E2E_ROOT/build/e2e"
E2E_PYTHON=/usr/bin/python3   # the system Python carries PIL
E2E_PID=""
E2E_STATUS=""
source "$E2E_ROOT/scripts/wine-env.sh"

e2e_fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Starts build/bin/Treskcolor.exe in the background (cwd build/bin, where the hook
# library lies); sets E2E_PID.
e2e_start_program() {
    [ -n "${DISPLAY:-}" ] || e2e_fail "DISPLAY is not set"
    [ -f "$E2E_BIN/Treskcolor.exe" ] || e2e_fail "$E2E_BIN/Treskcolor.exe is missing"
    mkdir -p "$E2E_OUT"
    (cd "$E2E_BIN" && exec wine Treskcolor.exe) </dev/null >"$E2E_OUT/program.log" 2>&1 &
    E2E_PID=$!
    trap e2e_cleanup EXIT
}

# Prints the X window id of the first visible window whose name matches the
# regular expression $1, other than window $3, waiting up to $2 seconds (default 30).
e2e_wait_window() {
    local pattern="$1" limit="${2:-30}" id=""
    for _ in $(seq $((limit * 10))); do
        id="$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null |
            grep -vx "${3:-}" | head -n 1)"
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

e2e_window_name() { xdotool getwindowname "$1" 2>/dev/null; }

# Prints "X Y WIDTH HEIGHT" of window $1 on the screen.
e2e_window_geometry() {
    xdotool getwindowgeometry --shell "$1" |
        awk -F= '/^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2} END{print x, y, w, h}'
}

# Saves the whole screen to $1 as 24-bit PNG.
e2e_screenshot() {
    /usr/bin/import -window root "png24:$1" || e2e_fail "cannot take a screenshot"
}

# Prints "R G B" of pixel ($2,$3) of image $1.
e2e_pixel() {
    "$E2E_PYTHON" - "$1" "$2" "$3" <<'EOF'
import sys
from PIL import Image
image = Image.open(sys.argv[1]).convert("RGB")
print(*image.getpixel((int(sys.argv[2]), int(sys.argv[3]))))
EOF
}

# Prints "X Y" of the top-left corner of the first rectangle of $2 x $3 pixels of
# colour "$4" (e.g. "255 255 255") inside the screen rectangle "$5" (X Y WIDTH
# HEIGHT) of image $1, or nothing. Its four edges are checked.
e2e_find_rect() {
    "$E2E_PYTHON" - "$1" "$2" "$3" "$4" "$5" <<'EOF'
import sys
from PIL import Image
image = Image.open(sys.argv[1]).convert("RGB")
width, height = int(sys.argv[2]), int(sys.argv[3])
colour = tuple(int(c) for c in sys.argv[4].split())
x0, y0, w, h = (int(v) for v in sys.argv[5].split())
px = image.load()
right, bottom = min(x0 + w, image.width), min(y0 + h, image.height)
def edges_match(x, y):
    if x + width > right or y + height > bottom:
        return False
    return (all(px[x + i, y] == colour and px[x + i, y + height - 1] == colour
                for i in range(width)) and
            all(px[x, y + j] == colour and px[x + width - 1, y + j] == colour
                for j in range(height)))
for y in range(max(y0, 0), bottom):
    for x in range(max(x0, 0), right):
        if px[x, y] == colour and edges_match(x, y):
            print(x, y)
            sys.exit(0)
EOF
}

# Moves the pointer to screen point ($1,$2) and waits until it is there. xdotool's
# --sync waits about 15 s for a move that is not needed, so a pointer already in
# place is left alone.
e2e_move() {
    local X Y
    eval "$(xdotool getmouselocation --shell 2>/dev/null | grep -E '^[XY]=')"
    [ "${X:-}" = "$1" ] && [ "${Y:-}" = "$2" ] && return 0
    xdotool mousemove --sync "$1" "$2"
}

# Moves the pointer out of every window's way, to the screen's bottom-right corner.
e2e_park() {
    local w h
    read -r w h < <(xdotool getdisplaygeometry 2>/dev/null || echo 1280 1024)
    e2e_move $((w - 10)) $((h - 14))
}

# Moves the pointer to screen point ($1,$2) and clicks the left button.
e2e_click() {
    e2e_move "$1" "$2"
    xdotool click 1
}

# Asks window $1 to close with Alt+F4 (the system menu's Close) and waits up to
# $2 seconds (default 20) for the program to end with exit status 0. Otherwise
# returns 1 with what went wrong in E2E_CLOSE_PROBLEM.
e2e_close() {
    local window="$1" limit="${2:-20}"
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    xdotool key --clearmodifiers alt+F4
    E2E_CLOSE_PROBLEM="the program was still running $limit s after Alt+F4"
    e2e_wait_exit "$limit" || return 1
    E2E_CLOSE_PROBLEM="the program ended with exit status $E2E_STATUS after Alt+F4"
    [ "$E2E_STATUS" = 0 ]
}

# Waits up to $1 seconds for the started program to end; its exit status is then in
# E2E_STATUS.
e2e_wait_exit() {
    local limit="${1:-20}"
    for _ in $(seq $((limit * 10))); do
        kill -0 "$E2E_PID" 2>/dev/null || {
            wait "$E2E_PID" 2>/dev/null
            E2E_STATUS=$?
            return 0
        }
        sleep 0.1
    done
    return 1
}

# Ends whatever the script started and is still running (by its id only).
e2e_cleanup() {
    if [ -n "$E2E_PID" ] && kill -0 "$E2E_PID" 2>/dev/null; then
        kill "$E2E_PID" 2>/dev/null
        sleep 0.5
        kill -9 "$E2E_PID" 2>/dev/null
    fi
}
