#!/usr/bin/env bash
# Runs one test program under Wine in a prefix of its own.
#
#   wine_session.sh [--display] WORKDIR -- COMMAND [ARGS...]
#
# Creates a fresh WINEPREFIX under WORKDIR (wineboot -i, about 20 s: share
# one session per test program, not one per case), keeps Wine from offering
# Mono or Gecko and makes the winscard.dll beside the program win over Wine's
# own stub. With --display it starts an Xvfb of its own and exports DISPLAY.
# COMMAND (a .exe is started through Wine) then runs with WINEPREFIX, WINEDLLOVERRIDES and DISPLAY set; it
# starts Windows programs with "$WINE" (exported). At the end the prefix's
# wineserver is stopped (wineserver -k with that prefix), the Xvfb by its
# pid, and the prefix is removed. The exit status is COMMAND's.
set -u

display=0
if [[ ${1:-} == --display ]]; then
    display=1
    shift
fi
workdir=${1:?work folder}
shift
[[ ${1:-} == -- ]] && shift

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
export WINEARCH=win64
if [[ -x /usr/lib/wine/wine64 ]]; then
    export WINE=/usr/lib/wine/wine64
else
    export WINE=wine
fi

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
