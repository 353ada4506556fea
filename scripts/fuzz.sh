#!/usr/bin/env bash
# Long fuzzing runs of the platform-free input handling. Usage: fuzz.sh SECONDS
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-600}"
cmake --preset native >/dev/null
cmake --build --preset native
mkdir -p "$root/build/fuzz"
for target in "$root"/build/native/tests/fuzz/*_fuzz; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    echo "== $name for ${seconds}s"
    mkdir -p "$root/build/fuzz/$name"
    "$target" -max_total_time="$seconds" "$root/build/fuzz/$name"
done
