#!/usr/bin/env bash
# Installs what the build and the tests need, on Debian 12, when it is missing.
set -euo pipefail
need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
pkgs=(cmake make g++ clang libclang-rt-14-dev googletest clang-format
      g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-tools
      wine wine32:i386 xvfb xauth xdotool x11-utils imagemagick python3 python3-pil fonts-liberation)
for p in "${pkgs[@]}"; do have "$p" || need+=("$p"); done
[ ${#need[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages (run as root to install): ${need[*]}" >&2
    exit 1
fi
echo "installing: ${need[*]}"
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
