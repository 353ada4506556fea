# Sourced: the environment every Wine run of the project uses.
TRESK_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# A 64-bit (WoW64) prefix, where the users of 64-bit Windows run the 32-bit program,
# whenever Debian's 64-bit Wine is installed (`make test` installs it); a 32-bit one
# otherwise (`make run` needs no more). WINEARCH=win32 or win64 chooses.
if [ -z "${WINEARCH:-}" ]; then
    if [ -x /usr/lib/wine/wine64 ]; then WINEARCH=win64; else WINEARCH=win32; fi
fi
export WINEARCH
export WINEPREFIX="${WINEPREFIX:-$TRESK_ROOT/build/wineprefix-$WINEARCH}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko prompts in a new prefix.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
