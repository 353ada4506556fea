#!/usr/bin/env bash
# Cross-checks the picture-saving service with a bitmap reader we did not write:
# the test program saves its 7 x 4 pattern picture, then PIL reads the file and
# compares every pixel with the same pattern. The second save goes through a
# symbolic link to an older file in another folder: the link must stay a link, the
# file it points to must hold the picture, and neither folder may keep anything else.
set -euo pipefail
test_exe="$1"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
out_dir="$(mktemp -d)"
trap 'rm -rf "$out_dir"' EXIT

save_pattern() {
    # Wine maps the Unix root to drive Z:.
    TRESK_PICTURE_CHECK_OUT="Z:${1//\//\\}" "$root/scripts/wine-run.sh" "$test_exe" \
        --gtest_filter=PictureFileOutside.* </dev/null
}

check_pattern() {
    /usr/bin/python3 - "$1" <<'PY'
import sys
from PIL import Image
image = Image.open(sys.argv[1])
assert image.format == "BMP", image.format
assert image.size == (7, 4), image.size
assert image.mode == "RGB", image.mode
wrong = [(x, y) for y in range(4) for x in range(7)
         if image.getpixel((x, y)) != ((x * 40 + 7) % 256, (y * 60 + 3) % 256, ((x + y) * 17) % 256)]
assert not wrong, f"pixels differ at {wrong}"
print(f"PIL reads the 7 x 4 bitmap {sys.argv[1]} with every pixel as saved")
PY
}

expect_names() {
    local folder="$1"
    shift
    local names
    names="$(ls -A "$folder" | tr '\n' ' ')"
    if [ "$names" != "$* " ]; then
        echo "FAIL: $folder holds '$names', expected '$* '" >&2
        exit 1
    fi
}

save_pattern "$out_dir/pattern.bmp"
check_pattern "$out_dir/pattern.bmp"

mkdir "$out_dir/links" "$out_dir/pictures"
printf 'the older picture' >"$out_dir/pictures/real.bmp"
ln -s ../pictures/real.bmp "$out_dir/links/link.bmp"
save_pattern "$out_dir/links/link.bmp"
if [ ! -L "$out_dir/links/link.bmp" ] ||
    [ "$(readlink "$out_dir/links/link.bmp")" != "../pictures/real.bmp" ]; then
    echo "FAIL: the symbolic link was replaced by a plain file" >&2
    exit 1
fi
check_pattern "$out_dir/pictures/real.bmp"
expect_names "$out_dir/links" link.bmp
expect_names "$out_dir/pictures" real.bmp
echo "a save through a symbolic link replaces the file it points to and keeps the link"
