#!/usr/bin/env bash
# Other programs keep working while Tresk Color runs. Starts the real program (its
# hook is installed for the whole desktop and the arrow swapped), then a second,
# unrelated program (build/bin/tests/bystander_full_app.exe) and drives that one with
# real pointer input:
#   - 100 clicks on its push button: 100 clicks counted;
#   - 100 drags across the text of its text box: after each, the selection spans
#     exactly the characters dragged across;
#   - 100 drags of its scroll bar's thumb, end to end and back: each drag reports
#     thumb tracking and ends at the far end.
# The bystander reports every gesture in build/e2e/bystander/bystander_full.log.
# Tresk Color's caption must then be what it was at start-up (no gesture taken as a
# pick, none tracked as a pointer move), and Tresk Color must still close.
#
# With --x86_64 the bystander is the same program built for 64-bit Windows
# (bystander_full_app64.exe, log in build/e2e/bystander64/), run in a 64-bit prefix
# beside the 32-bit Tresk Color, as on the users' 64-bit Windows. That road is a
# configuration check, not a test of the hook procedure: Wine never calls a 32-bit
# hook for a 64-bit program (it skips the hook and delivers the message), so the road
# checks only that the library is not mapped into the 64-bit bystander and that its
# input arrives. 64-bit Windows instead calls the hook on the installing thread (the
# program's own) with the 64-bit programs' events, where it must record them and pass
# them on without forwarding anything; the test of that is
# HookProcTest.WindowOfAnotherProgramOrNoneIsOnlyRecordedAndPassedOn
# (tests/win/hook_proc_test.cpp), which calls the hook that way.
# Usage: bystander_e2e.sh [--without-tresk] [--x86_64]   (--without-tresk: the same
# checks with Tresk Color not running, as a baseline for the test itself)
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

ROUNDS=100
WITH_TRESK=1
BITS=32
for arg in "$@"; do
    case "$arg" in
        --without-tresk) WITH_TRESK=0 ;;
        --x86_64) BITS=64 ;;
        *) e2e_fail "usage: bystander_e2e.sh [--without-tresk] [--x86_64]" ;;
    esac
done
if [ "$BITS" = 64 ]; then
    WORK="$E2E_OUT/bystander64"
    BYSTANDER_EXE="$E2E_BIN/tests/bystander_full_app64.exe"
    if [ "$WINEARCH" != win64 ]; then
        echo "SKIP: a 64-bit program needs a 64-bit prefix (WINEARCH=win64)"
        exit 77
    fi
else
    WORK="$E2E_OUT/bystander"
    BYSTANDER_EXE="$E2E_BIN/tests/bystander_full_app.exe"
fi
# Treskhook.dll is mapped into a 32-bit bystander while Tresk Color runs, never into
# a 64-bit one.
MAPPED=$((WITH_TRESK == 1 && BITS == 32))
INFO="$WORK/bystander_full.info"
LOG="$WORK/bystander_full.log"
BYSTANDER_PID=""

[ -n "${DISPLAY:-}" ] || e2e_fail "DISPLAY is not set"
[ -f "$BYSTANDER_EXE" ] || e2e_fail "$BYSTANDER_EXE is missing"
command -v xdotool >/dev/null || e2e_fail "xdotool is missing"
mkdir -p "$WORK"
rm -f "$INFO" "$LOG"

cleanup() {
    e2e_cleanup
    if [ -n "$BYSTANDER_PID" ] && kill -0 "$BYSTANDER_PID" 2>/dev/null; then
        kill "$BYSTANDER_PID" 2>/dev/null
    fi
}
trap cleanup EXIT

if [ "$WITH_TRESK" = 1 ]; then
    # A window that opens under the pointer gets a pointer move, which writes the
    # position into the caption: the pointer rests away from both programs.
    e2e_park
    e2e_start_program
    trap cleanup EXIT
    caption="Tresk Color [Size: 553x95]"
    tresk="$(e2e_wait_window '^Tresk Color \[Size: 553x95\]$' 30)" ||
        e2e_fail "no window captioned '$caption' appeared"
    echo "Tresk Color: window $tresk '$caption'"
fi

(cd "$WORK" && exec wine "$BYSTANDER_EXE") </dev/null >"$WORK/bystander.out" 2>&1 &
BYSTANDER_PID=$!
for _ in $(seq 300); do
    grep -qx ready "$INFO" 2>/dev/null && break
    kill -0 "$BYSTANDER_PID" 2>/dev/null || e2e_fail "the bystander program ended at start; see $WORK/bystander.out"
    sleep 0.1
done
grep -qx ready "$INFO" 2>/dev/null || e2e_fail "the bystander program wrote no $INFO within 30 s"

# Screen places the bystander measured itself (GetWindowRect, EM_POSFROMCHAR).
field() { awk -v k="$1" -v n="$2" '$1 == k { print $n; exit }' "$INFO"; }
char_x() { awk -v i="$1" '$1 == "char" && $2 == i { print $3; exit }' "$INFO"; }
read -r _ wl wt wr wb <<<"$(grep '^window ' "$INFO")"
button_x=$((($(field button 2) + $(field button 4)) / 2))
button_y=$((($(field button 3) + $(field button 5)) / 2))
edit_y=$((($(field edit 3) + $(field edit 5)) / 2))
scroll_y=$((($(field scroll 3) + $(field scroll 5)) / 2))
thumb_min_x=$((($(field thumb_min 2) + $(field thumb_min 3)) / 2))
thumb_max_x=$((($(field thumb_max 2) + $(field thumb_max 3)) / 2))
close_x=$((($(field close 2) + $(field close 4)) / 2))
close_y=$((($(field close 3) + $(field close 5)) / 2))
echo "bystander window $wl,$wt-$wr,$wb; button centre $button_x,$button_y;" \
    "thumb centre $thumb_min_x..$thumb_max_x at y $scroll_y"

if [ "$WITH_TRESK" = 1 ]; then
    # Input for the bystander must not land on Tresk Color's top-most window.
    read -r tx ty tw th <<<"$(e2e_window_geometry "$tresk")"
    if [ "$tx" -lt "$wr" ] && [ $((tx + tw)) -gt "$wl" ] && [ "$ty" -lt "$wb" ] &&
        [ $((ty + th)) -gt "$wt" ]; then
        e2e_fail "Tresk Color's window ($tx,$ty ${tw}x$th) covers part of the bystander ($wl,$wt-$wr,$wb)"
    fi
fi

# Waits until the log has $1 lines starting with "$2 " (up to 1 s; once a wait has
# failed, later waits are short, so that a broken run still ends soon).
patience=10
wait_for() {
    for _ in $(seq "$patience"); do
        [ "$(grep -c "^$2 " "$LOG" 2>/dev/null)" -ge "$1" ] && return 0
        sleep 0.1
    done
    patience=1
    return 1
}

# Text drags: forward from character a to b, then backward from b to a, and so on.
# Consecutive presses are far apart, so none of them makes a double click.
drag_from() { echo $((1 + $1 % 8)); }
drag_to() { echo $((20 + ($1 * 7) % 20)); }

start=$SECONDS
for i in $(seq "$ROUNDS"); do
    # Alternate 30 px left and right of the centre: no two presses make a double click.
    x=$((button_x - 15 + (i % 2) * 30))
    xdotool mousemove "$x" "$button_y" mousedown 1 sleep 0.01 mouseup 1
    wait_for "$i" click
done

for i in $(seq "$ROUNDS"); do
    a="$(char_x "$(drag_from "$i")")"
    b="$(char_x "$(drag_to "$i")")"
    if [ $((i % 2)) -eq 1 ]; then
        from=$a to=$b
    else
        from=$b to=$a
    fi
    mid=$(((from + to) / 2))
    xdotool mousemove "$from" "$edit_y" mousedown 1 sleep 0.02 mousemove "$mid" "$edit_y" \
        sleep 0.02 mousemove "$to" "$edit_y" sleep 0.02 mouseup 1
    wait_for "$i" select
done

for i in $(seq "$ROUNDS"); do
    if [ $((i % 2)) -eq 1 ]; then
        from=$thumb_min_x to=$thumb_max_x
    else
        from=$thumb_max_x to=$thumb_min_x
    fi
    q1=$(((3 * from + to) / 4))
    q2=$(((from + to) / 2))
    q3=$(((from + 3 * to) / 4))
    xdotool mousemove "$from" "$scroll_y" mousedown 1 sleep 0.02 \
        mousemove "$q1" "$scroll_y" sleep 0.02 mousemove "$q2" "$scroll_y" sleep 0.02 \
        mousemove "$q3" "$scroll_y" sleep 0.02 mousemove "$to" "$scroll_y" sleep 0.02 mouseup 1
    wait_for "$i" thumb
done

xdotool mousemove "$close_x" "$close_y" click 1
wait_for 1 bye
for _ in $(seq 50); do
    kill -0 "$BYSTANDER_PID" 2>/dev/null || break
    sleep 0.1
done
echo "gestures took $((SECONDS - start)) s"

# Every gesture against what it should have done.
"$E2E_PYTHON" - "$LOG" "$ROUNDS" "$MAPPED" <<'EOF'
import sys
log, rounds, mapped = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
lines = [line.split() for line in open(log) if line.strip()]
clicks = [int(l[1]) for l in lines if l[0] == "click"]
selects = [(int(l[1]), int(l[2])) for l in lines if l[0] == "select"]
thumbs = [(int(l[1]), int(l[2])) for l in lines if l[0] == "thumb"]
byes = [int(l[1]) for l in lines if l[0] == "bye"]
problems = []

print(f"button: expected {rounds} clicks counted, seen {len(clicks)}")
if len(clicks) != rounds or clicks != list(range(1, rounds + 1)):
    problems.append(f"the button counted {len(clicks)} of {rounds} clicks")

wrong = []
for i in range(1, rounds + 1):
    a, b = 1 + i % 8, 20 + (i * 7) % 20
    seen = selects[i - 1] if i - 1 < len(selects) else None
    if seen != (a, b):
        wrong.append(f"drag {i} ({'forward' if i % 2 else 'backward'}): "
                     f"expected selection {a}..{b}, seen {seen or 'no release reported'}")
print(f"text box: expected {rounds} drags to select what they crossed, "
      f"{rounds - len(wrong)} did ({len(selects)} releases reported)")
if wrong or len(selects) != rounds:
    problems.append("text drags went wrong:\n    " + "\n    ".join(wrong[:8]))

wrong = []
for i in range(1, rounds + 1):
    want = 100 if i % 2 else 0
    seen = thumbs[i - 1] if i - 1 < len(thumbs) else None
    if seen is None or seen[0] != want or seen[1] < 1:
        wrong.append(f"drag {i}: expected thumb tracking then position {want}, seen "
                     + (f"position {seen[0]} after {seen[1]} tracking messages" if seen
                        else "no SB_THUMBPOSITION"))
print(f"scroll bar: expected {rounds} thumb drags end to end, "
      f"{rounds - len(wrong)} did ({len(thumbs)} reported)")
if wrong or len(thumbs) != rounds:
    problems.append("thumb drags went wrong:\n    " + "\n    ".join(wrong[:8]))

if len(byes) != 1:
    problems.append("the bystander's Close button did not work")
elif byes[0] != mapped:
    problems.append("Treskhook.dll was never loaded into the bystander: the hook did not run there"
                    if mapped else "Treskhook.dll was loaded into the bystander")
else:
    print(f"Treskhook.dll loaded in the bystander: {'yes' if byes[0] else 'no'}")

if problems:
    print("\n".join("FAIL: " + p for p in problems), file=sys.stderr)
    sys.exit(1)
EOF
[ $? -eq 0 ] || e2e_fail "the other program did not get its input as it should; see $LOG"
kill -0 "$BYSTANDER_PID" 2>/dev/null && e2e_fail "the bystander program did not end after its Close button"
BYSTANDER_PID=""

if [ "$WITH_TRESK" = 1 ]; then
    # Typing 0 and Enter paints Tresk Color's picture area in its base colour: once
    # that shows, the program has handled its input, and so everything the gestures
    # made the hook post to it before; only then is its caption read.
    xdotool windowfocus --sync "$tresk" 2>/dev/null
    xdotool type 0
    xdotool key --clearmodifiers Return
    painted=""
    for _ in $(seq 50); do
        e2e_screenshot "$WORK/tresk.png"
        [ "$(e2e_pixel "$WORK/tresk.png" $((tx + 100)) $((ty + th - 40)))" != "255 255 255" ] &&
            painted=1 && break
        sleep 0.1
    done
    now="$(e2e_window_name "$tresk")"
    e2e_close "$tresk" 20 || e2e_fail "Tresk Color: $E2E_CLOSE_PROBLEM"
    [ -n "$painted" ] || e2e_fail "Tresk Color did not paint on 0 and Enter within 10 s"
    [ "$now" = "$caption" ] ||
        e2e_fail "Tresk Color's caption went from '$caption' to '$now': a gesture in the other program reached it"
    if [ "$BITS" = 32 ]; then
        echo "PASS: with Tresk Color running, $ROUNDS clicks, $ROUNDS text drags and $ROUNDS thumb drags all reached the other program, and none reached Tresk Color"
    else
        echo "PASS (configuration check; Wine runs no 32-bit hook for a 64-bit program): the library stayed out of the 64-bit program and its $ROUNDS clicks, $ROUNDS text drags and $ROUNDS thumb drags all arrived"
    fi
else
    echo "PASS (baseline without Tresk Color): $ROUNDS clicks, $ROUNDS text drags and $ROUNDS thumb drags"
fi
