#!/usr/bin/env bash
# Cross-checks the picture-saving service with a bitmap reader we did not write:
# the test program saves its 7 x 4 pattern picture, then PIL reads the file and
# compares every pixel with the same pattern.
set -euo pipefail
test_exe="$1"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
out_dir="$(mktemp -d)"
trap 'rm -rf "$out_dir"' EXIT
out="$out_dir/pattern.bmp"
# Wine maps the Unix root to drive Z:.
TRESK_PICTURE_CHECK_OUT="Z:${out//\//\\}" "$root/scripts/wine-run.sh" "$test_exe" \
    --gtest_filter=PictureFileOutside.* </dev/null
/usr/bin/python3 - "$out" <<'PY'
import sys
from PIL import Image
image = Image.open(sys.argv[1])
assert image.format == "BMP", image.format
assert image.size == (7, 4), image.size
assert image.mode == "RGB", image.mode
wrong = [(x, y) for y in range(4) for x in range(7)
         if image.getpixel((x, y)) != ((x * 40 + 7) % 256, (y * 60 + 3) % 256, ((x + y) * 17) % 256)]
assert not wrong, f"pixels differ at {wrong}"
print("PIL reads the 7 x 4 bitmap with every pixel as saved")
PY
