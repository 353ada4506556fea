#!/usr/bin/env bash
# Prints the benchmark figures, each beside its floor or its peer from the same run.
# Runs on the display and prefix that with-display.sh set up.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bin="$root/build/bin"
cd "$bin"

section() { printf '\n== %s\n' "$1"; }

section "Painter and export (PaintGradient against one FillRect over the same area)"
wine bench/paint_bench.exe

section "Mouse hook: cost per call in every program (against a hook that only calls CallNextHookEx)"
wine bench/hook_bench.exe

section "CPU time per real pointer move over the picture area (against a plain window program)"
winbin='Z:'"${bin//\//\\}"
wine bench/move_bench.exe 2000 3 "$winbin"'\Treskcolor.exe' "$winbin"'\bench\bare_window.exe'

section "Where a pointer move's time goes inside the program (handlers and the calls they make)"
wine bench/pointer_bench.exe

winpath() { printf 'Z:%s' "${1//\//\\}"; }

section "Start-up to a visible main window, median of 9 (floor: a bare window program; peer: the same with common controls 6, its four controls, the hook library and the hook; beside them the themed window without the hook, and Wine's notepad)"
wine bench/launch_bench.exe 9 "$(winpath "$bin/bench/bare_window.exe")" "$(winpath "$bin/bench/bare_window_hook.exe")" \
    "$(winpath "$bin/Treskcolor.exe")" "$(winpath "$bin/bench/bare_window_cc6.exe")" 'C:\windows\system32\notepad.exe'

section "Binaries (goal: Treskcolor.exe <= 320 KB, Treskhook.dll <= 16 KB)"
printf '%-16s %10s %10s  %s\n' "file" "bytes" "goal" "imports"
for entry in Treskcolor.exe:327680 Treskhook.dll:16384; do
    f=${entry%%:*}
    goal=${entry##*:}
    imports=$(i686-w64-mingw32-objdump -p "$f" | awk '/DLL Name:/ {print $3}' | sort -u | tr '\n' ' ')
    printf '%-16s %10d %10d  %s\n' "$f" "$(stat -c %s "$f")" "$goal" "$imports"
done
