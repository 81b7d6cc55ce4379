#!/usr/bin/env bash
# Drives confirm_window.exe MODE under Xvfb as a person would. ok and
# enter-on-cancel wait until the program says that OK is enabled; then ok
# presses Tab (from Cancel, where the focus sits, to OK) and Enter, and
# enter-on-cancel presses Enter alone. cancel presses Escape, timeout waits
# for the time-out box (a second window of the program) and closes it with
# Enter; accessible needs no key. Run inside wine_session.sh --display.
set -u
exe=${1:?program}
mode=${2:?mode}

"$WINE" "$exe" "$mode" >"$WINEPREFIX/answer" 2>&1 &
program=$!
box_seen=0
pressed=0
# Bounded: about two minutes of half-second looks.
for _ in $(seq 240); do
    if ! kill -0 "$program" 2>/dev/null; then
        break
    fi
    # Wine names its X windows after the program (WM_CLASS); without a window
    # manager their titles stay empty.
    mapfile -t windows < <(xdotool search --onlyvisible --class "$(basename "$exe")" 2>/dev/null)
    if ((${#windows[@]} > 0)); then
        enabled=0
        grep -q "^OK enabled" "$WINEPREFIX/answer" 2>/dev/null && enabled=1
        case $mode in
            ok) ((enabled && !pressed)) && pressed=1 &&
                xdotool windowfocus --sync "${windows[0]}" key Tab Return >/dev/null 2>&1 ;;
            enter-on-cancel) ((enabled && !pressed)) && pressed=1 &&
                xdotool windowfocus --sync "${windows[0]}" key Return >/dev/null 2>&1 ;;
            cancel) xdotool windowfocus --sync "${windows[0]}" key Escape >/dev/null 2>&1 ;;
            timeout)
                if ((${#windows[@]} > 1)); then
                    box_seen=1
                    xdotool windowfocus --sync "${windows[-1]}" key Return >/dev/null 2>&1
                fi
                ;;
        esac
    fi
    sleep 0.5
done
if kill -0 "$program" 2>/dev/null; then
    echo "confirm_window $mode: the window did not close" >&2
    kill "$program"
    wait "$program"
    exit 1
fi
wait "$program"
status=$?
cat "$WINEPREFIX/answer"
if [[ $mode == timeout && $box_seen != 1 ]]; then
    echo "confirm_window timeout: no time-out box was shown" >&2
    exit 1
fi
exit "$status"
