#!/usr/bin/env bash
# Creates the test prefix if needed and leaves its wineserver running. Wine's
# background processes get /dev/null as their streams, so they never hold a test
# runner's output pipes open (which would make each test wait for them).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
mkdir -p "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1
wineboot -i </dev/null >/dev/null 2>&1
"$(dirname "${BASH_SOURCE[0]}")/wine-fonts.sh"
# Wine draws its own caption and frame (no window manager on Xvfb): the title bar
# can be clicked and closing a window is fast. 96 dpi unless a test says otherwise.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f </dev/null >/dev/null 2>&1
# Arial is not on a Debian machine; Liberation Sans has the same metrics.
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans' /f </dev/null >/dev/null 2>&1
