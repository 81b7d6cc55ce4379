#!/usr/bin/env bash
# Runs one test program under Wine in a prefix of its own.
#
#   wine_session.sh [--display] --wine LOADER --bits 32|64 WORKDIR -- COMMAND [ARGS...]
#
# LOADER is the Wine loader of the program's bitness (wine64, or the 32-bit
# wine); without it the session exits 77 (skipped) saying so. Creates a fresh
# WINEPREFIX under WORKDIR (wineboot -i, about 20 s: share one session per
# test program, not one per case): a 64-bit prefix, where 32-bit programs run
# from syswow64, or with KESTROVA_WINE_PREFIX_ARCH=win32 and --bits 32 a pure
# 32-bit one. Keeps Wine from offering Mono or Gecko and makes the
# winscard.dll beside the program win over Wine's own stub. With --display
# it starts an Xvfb of its own and exports DISPLAY. COMMAND (a .exe is
# started through Wine) then runs with WINEPREFIX, WINEDLLOVERRIDES and
# DISPLAY set; it starts Windows programs with "$WINE" (exported). At the end
# the prefix's wineserver is stopped (wineserver -k with that prefix), the
# Xvfb by its pid, and the prefix is removed. The exit status is COMMAND's.
set -u

display=0
loader=
bits=
while [[ ${1:-} == --* && $1 != -- ]]; do
    case $1 in
        --display) display=1; shift ;;
        --wine) loader=${2:-}; shift 2 ;;
        --bits) bits=${2:-}; shift 2 ;;
        *) echo "wine_session: unknown option $1" >&2; exit 2 ;;
    esac
done
workdir=${1:?work folder}
shift
[[ ${1:-} == -- ]] && shift

if [[ $bits != 32 && $bits != 64 ]]; then
    echo "wine_session: --bits 32 or 64" >&2
    exit 2
fi
if [[ ! -x $loader ]]; then
    echo "SKIPPED: no ${bits}-bit Wine loader (${loader:-none found};" \
        "Debian: apt-get install $([[ $bits == 32 ]] && echo wine32:i386 || echo wine64))" >&2
    exit 77
fi
if ! "$loader" --version >/dev/null 2>&1; then
    echo "SKIPPED: the ${bits}-bit Wine loader $loader cannot run here (this" \
        "machine's kernel runs no ${bits}-bit programs: exec format error)" >&2
    exit 77
fi
arch=win64
if [[ $bits == 32 && ${KESTROVA_WINE_PREFIX_ARCH:-} == win32 ]]; then
    arch=win32
fi

mkdir -p "$workdir"
prefix=$(mktemp -d "$workdir/prefix.XXXXXX")
xvfb_pid=

finish() {
    WINEPREFIX=$prefix wineserver -k 2>/dev/null
    WINEPREFIX=$prefix wineserver -w 2>/dev/null
    if [[ -n $xvfb_pid ]]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    rm -rf "$prefix"
}
trap finish EXIT

export WINEPREFIX=$prefix
export WINEDLLOVERRIDES="mscoree,mshtml=;winscard=n"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=$arch
export WINE=$loader
echo "wine_session: ${bits}-bit programs with $loader in a $arch prefix"

if ((display)); then
    # Xvfb picks a free display and writes its number to the pipe.
    displayfile=$workdir/display.$$
    rm -f "$displayfile"
    Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp >"$displayfile" 2>/dev/null &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [[ -s $displayfile ]] && break
        sleep 0.1
    done
    if [[ ! -s $displayfile ]]; then
        echo "wine_session: Xvfb did not start" >&2
        exit 1
    fi
    export DISPLAY=:$(head -n1 "$displayfile")
    rm -f "$displayfile"
else
    unset DISPLAY
fi

if ! "$WINE" wineboot -i >/dev/null 2>&1; then
    echo "wine_session: wineboot failed" >&2
    exit 1
fi

# A Windows program is started through Wine; anything else (a script that
# starts programs with "$WINE") runs as it is.
if [[ $1 == *.exe ]]; then
    "$WINE" "$@"
else
    "$@"
fi
