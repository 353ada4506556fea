#!/usr/bin/env bash
# Gives the Wine prefix $WINEPREFIX (default ~/.wine) the Marlett font. Wine draws
# the title-bar buttons as Marlett glyphs; without it they show as the letters "0",
# "1" and "r". Debian's fonts-wine ships the font where Wine 8 does not look, so
# the prefix gets a copy in its own Fonts folder.
set -euo pipefail
font=/usr/share/wine/fonts/marlett.ttf
fonts="${WINEPREFIX:-$HOME/.wine}/drive_c/windows/Fonts"
if [ ! -f "$font" ]; then
    echo "$font is missing: install fonts-wine (scripts/deps.sh run)" >&2
    exit 1
fi
cmp -s "$font" "$fonts/marlett.ttf" && exit 0
mkdir -p "$fonts"
cp "$font" "$fonts/marlett.ttf"
