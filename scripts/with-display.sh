#!/usr/bin/env bash
# Runs a command on a fresh virtual X display with the test Wine prefix started,
# then stops both. Usage: with-display.sh COMMAND...
set -uo pipefail
here="$(dirname "${BASH_SOURCE[0]}")"
disp=97
while [ -e "/tmp/.X${disp}-lock" ] || [ -e "/tmp/.X11-unix/X${disp}" ]; do disp=$((disp + 1)); done
Xvfb ":$disp" -screen 0 "${TRESK_SCREEN:-1280x1024x24}" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=":$disp"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
source "$here/wine-env.sh"
"$here/wine-prefix.sh"
"$@"
rc=$?
wineserver -k >/dev/null 2>&1 || true
kill "$xvfb" >/dev/null 2>&1 || true
wait "$xvfb" 2>/dev/null
exit $rc
