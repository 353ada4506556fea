#!/usr/bin/env bash
# Starts Treskcolor.exe. With a display, it shows there (in the user's own Wine
# prefix). Without one, it runs on a virtual display in the project's prefix, saves a
# screenshot to build/screenshot.png and closes the window through its close command.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
exe="$root/build/bin/Treskcolor.exe"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    export WINEDEBUG="${WINEDEBUG:--all}"
    # The user's own prefix: made if it is new, and given the title-bar symbol font.
    [ -f "${WINEPREFIX:-$HOME/.wine}/system.reg" ] || wineboot -i </dev/null >/dev/null 2>&1
    "$root/scripts/wine-fonts.sh"
    cd "$root/build/bin"
    exec wine "$exe"
fi

exec "$root/scripts/with-display.sh" bash -c '
    set -u
    root="$1"; exe="$2"
    cd "$root/build/bin"
    wine "$exe" </dev/null >/dev/null 2>&1 &
    pid=$!
    win=""
    for _ in $(seq 100); do
        win=$(xdotool search --onlyvisible --name "^Tresk Color" 2>/dev/null | head -1)
        [ -n "$win" ] && break
        sleep 0.2
    done
    if [ -z "$win" ]; then echo "the main window did not appear" >&2; kill $pid; exit 1; fi
    sleep 1
    import -window root "$root/build/screenshot.png"
    echo "main window: $(xdotool getwindowname "$win")"
    echo "screenshot: build/screenshot.png"
    xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
    xdotool key alt+F4 2>/dev/null
    for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.2; done
    if kill -0 $pid 2>/dev/null; then echo "the program did not close" >&2; kill $pid; exit 1; fi
    echo "closed"
' _ "$root" "$exe"
