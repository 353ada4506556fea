#!/usr/bin/env bash
# Installs what is missing on Debian 12. Usage: deps.sh [build|run|all]
#   build: what builds the two deliverables and the release archive (make dist);
#   run:   that, and Wine on a virtual display to run the program (make run);
#   all:   that, and the native toolchain and the test tools (make test), the default.
#          The tests run in a 64-bit (WoW64) Wine prefix beside a 64-bit test program:
#          they need the 64-bit Wine and the x86_64 compiler; running does not.
set -euo pipefail
set_name="${1:-all}"
build_pkgs=(cmake make python3 g++-mingw-w64-i686-posix binutils-mingw-w64-i686)
# fonts-wine holds Marlett, the symbol font Wine draws the title-bar buttons with.
run_pkgs=(wine wine32:i386 fonts-wine fonts-liberation xvfb xauth xdotool x11-utils imagemagick)
test_pkgs=(g++ clang libclang-rt-14-dev googletest clang-format mingw-w64-tools python3-pil
    wine64 g++-mingw-w64-x86-64-posix)
case "$set_name" in
    build) pkgs=("${build_pkgs[@]}") ;;
    run) pkgs=("${build_pkgs[@]}" "${run_pkgs[@]}") ;;
    all) pkgs=("${build_pkgs[@]}" "${run_pkgs[@]}" "${test_pkgs[@]}") ;;
    *) echo "usage: deps.sh [build|run|all]" >&2; exit 2 ;;
esac
need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
for p in "${pkgs[@]}"; do have "$p" || need+=("$p"); done
[ ${#need[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages (run as root to install): ${need[*]}" >&2
    exit 1
fi
echo "installing: ${need[*]}"
if [[ " ${need[*]} " == *":i386 "* ]]; then
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
fi
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
