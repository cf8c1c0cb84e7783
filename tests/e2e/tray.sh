#!/usr/bin/env bash
# The tray icon under a real panel: trayer hosts it, a person clicks it.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
start_x
command -v trayer >/dev/null || { echo "SKIP: trayer is not installed"; exit 77; }
command -v import >/dev/null || { echo "SKIP: ImageMagick is not installed"; exit 77; }
shots=${SNAGWELL_SCREENSHOTS:-$WORK/shots}
mkdir -p "$shots"

trayer --edge bottom --align right --widthtype pixel --width 120 --height 32 \
    --SetDockType false --transparent false >/dev/null 2>&1 &
PIDS+=($!)
wait_for_window '^panel$' >/dev/null || { echo "SKIP: trayer did not start"; exit 77; }

run=$WORK/tray
mkdir -p "$run"
start_snagwell "$run"
pid=$SNAGWELL_PID
check "first run says the settings were initialised" answer_box Return

tip='^ﾕｰｻﾞｰ名\(snagwell\)$'
icon=$(wait_for_window "$tip" 15) || true
check "the tray icon carries the tip ﾕｰｻﾞｰ名(snagwell)" test -n "$icon"
check "with a tray the settings window stays hidden" \
    test -z "$(visible_windows '^Snagwell 設定$')"

# click_icon <button>: a click in the middle of the icon.
click_icon() {
    eval "$(xdotool getwindowgeometry --shell "$icon")"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click "$1"
}

# shoot <name> <window id>: the window and what is around it.
shoot() {
    eval "$(xdotool getwindowgeometry --shell "$2")"
    local x=$((X - 200)) y=$((Y - 20))
    ((x < 0)) && x=0
    ((y < 0)) && y=0
    import -window root -crop "$((WIDTH + 240))x$((HEIGHT + 60))+$x+$y" "$shots/$1.png"
}

click_icon 1
menu=$(wait_for_window '^表示$' 5) || true
check "a left click pops up the display menu" test -n "$menu"
check "the left click pops up no file menu" test -z "$(visible_windows '^ファイル$')"
[ -n "$menu" ] && shoot tray-display-menu "$menu"
xdotool key Escape
sleep 0.3

click_icon 3
menu=$(wait_for_window '^ファイル$' 5) || true
check "a right click pops up the file menu" test -n "$menu"
check "the right click pops up no display menu" test -z "$(visible_windows '^表示$')"
[ -n "$menu" ] && shoot tray-file-menu "$menu"
xdotool key Escape
sleep 0.3

# "設定画面" shows the settings window.
click_icon 1
wait_for_window '^表示$' 5 >/dev/null
xdotool key Down Return
window=$(wait_for_window '^Snagwell 設定$' 5) || true
check "設定画面 shows the settings window" test -n "$window"
if [ -n "$window" ]; then
    eval "$(xdotool getwindowgeometry --shell "$window")"
    import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" "$shots/form1.png"
fi

# "終了" asks, and OK ends the program, writing the settings.
rm -f "$run/RAVuvivo.vov"
click_icon 3
wait_for_window '^ファイル$' 5 >/dev/null
xdotool key Down Return
check "終了 asks first" answer_box Return '^終了$'
check "OK ends the program" wait_exit "$pid"
check "quitting writes the settings" test -s "$run/RAVuvivo.vov"
check "the icon is gone" test -z "$(visible_windows "$tip")"

finish
