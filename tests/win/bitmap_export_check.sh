#!/usr/bin/env bash
# Cross-checks the export with a bitmap reader we did not write: the test program
# paints a ramp on the real window and saves it, then PIL reads the file and compares
# every pixel with the ramp computed here from its own formula.
set -euo pipefail
test_exe="$1"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
out_dir="$(mktemp -d)"
trap 'rm -rf "$out_dir"' EXIT
out="$out_dir/ramp.bmp"
# Wine maps the Unix root to drive Z:.
TRESK_EXPORT_CHECK_OUT="Z:${out//\//\\}" "$root/scripts/wine-run.sh" "$test_exe" \
    --gtest_filter=BitmapExport.FileHoldsTheRampOnTheScreen </dev/null
/usr/bin/python3 - "$out" <<'PY'
import sys
from PIL import Image
image = Image.open(sys.argv[1])
assert image.format == "BMP" and image.mode == "RGB", (image.format, image.mode)
width, height = image.size
assert (width, height) == (200, 95), image.size
# The test paints percentage 50 (bands 0..100) from this colour: every other column
# falls half-way between two bands and takes the even one.
base = (200, 120, 40)
wrong = []
for x in range(width):
    band = round(100 * (width - 1 - x) / width)  # Python rounds halves to even
    want = tuple(max(c - band, 0) for c in base)
    for y in range(height):
        if image.getpixel((x, y)) != want:
            wrong.append((x, y, image.getpixel((x, y)), want))
assert not wrong, f"{len(wrong)} pixels differ, first {wrong[:3]}"
print(f"PIL reads the {width} x {height} export with every pixel on the ramp")
PY
