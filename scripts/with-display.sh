#!/usr/bin/env bash
# Runs a command on a fresh virtual X display with the test Wine prefix started,
# then stops both. Usage: with-display.sh COMMAND...
set -uo pipefail
here="$(dirname "${BASH_SOURCE[0]}")"
# Xvfb takes the first free display number itself and writes it to descriptor 3
# once it listens: runs started together on one machine never share a display
# (and drive each other's windows).
number="$(mktemp)"
Xvfb -displayfd 3 -screen 0 "${TRESK_SCREEN:-1280x1024x24}" -nolisten tcp 3>"$number" \
    >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do
    [ -s "$number" ] || ! kill -0 "$xvfb" 2>/dev/null && break
    sleep 0.1
done
disp="$(cat "$number")"
rm -f "$number"
if [ -z "$disp" ]; then
    echo "Xvfb did not start" >&2
    kill "$xvfb" >/dev/null 2>&1
    exit 1
fi
export DISPLAY=":$disp"
source "$here/wine-env.sh"
"$here/wine-prefix.sh"
# With the tests built, a program with no visible window keeps the Wine desktop in
# use between tests: otherwise each test whose program starts the desktop anew
# hands that desktop process its output streams, and the runner waits about 20 s
# for it to end. The keeper ends with the Wine server below.
keeper="$TRESK_ROOT/build/bin/tests/desktop_keeper.exe"
if [ -f "$keeper" ]; then
    wine "$keeper" </dev/null >/dev/null 2>&1 &
fi
"$@"
rc=$?
wineserver -k >/dev/null 2>&1 || true
kill "$xvfb" >/dev/null 2>&1 || true
wait "$xvfb" 2>/dev/null
exit $rc
