#!/usr/bin/env bash
# The desktop end to end under a real panel (trayer): the tray icon and its
# menus, and the button window whose 画面保存 copies the screen.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
need trayer convert identify
trayer --edge bottom --align right --widthtype pixel --width 120 --height 32 \
    --SetDockType false --transparent false >/dev/null 2>&1 &
PIDS+=($!)
shown '^panel$' || skip "trayer did not start"

# The button window at 1500, 3000 twips; its start-up tick, greyed, opens it.
run=$WORK/desktop
day=$run/SWData/$(today)
mkdir -p "$run/SWData"
vov "$run/SWData" ' 0 ' ' 0 ' ﾕｰｻﾞｰ名 '' '-1 ' JPG ' 7日前' '' ' 2 ' 1500 3000 >"$run/RAVuvivo.vov"
start "$run"
# The icon as the panel holds it: the window of class snagwell embedded there.
panel=$(window '^panel$')
trayicon() { xwininfo -tree -id "$panel" | awk '/\("snagwell" "Snagwell"\)/ { print $1; exit }'; }
check "the tray icon is in the panel" wait_for 15 eval 'icon=$(trayicon); [ -n "$icon" ]'
check "with a tray the settings window stays hidden" none '^Snagwell 設定$'
user=$(id -un)
button=$(window '^ﾕｰｻﾞｰ名$') || fail "the button window is shown, titled ﾕｰｻﾞｰ名"
at() { xdotool getwindowgeometry "$button" | grep -q "Position: $1 "; }
check "the button window stands at the saved place" wait_for 5 at 200,100
xdotool mousemove --window "$button" 66 15 click 1
check "画面保存 copies the screen, captured as ${user}001.jpg" wait_for 15 is "$day/${user}001.jpg" 'JPEG 1280x800'
mean() { convert "$day/${user}001.jpg" -crop "$1" +repage -format '%[fx:int(100*mean)]' info:; }
check "the picture shows the button window on the black screen" \
    test "$(mean 134x29+200+100)" -gt 30 -a "$(mean 400x300+700+400)" -lt 5
check "the screen is left on the clipboard" \
    test "$(xclip -o -selection clipboard -t image/png | identify -format %wx%h -)" = 1280x800
# Moved by hand to 300, 150 pixels: 4500, 2250 twips are written at the end.
xdotool windowmove --sync "$button" 300 150 2>/dev/null || xdotool windowmove "$button" 300 150
eval "$(xdotool getwindowgeometry --shell "$icon")"
IX=$X IY=$Y IW=$WIDTH IH=$HEIGHT
# The tip's box, shown on hovering the icon, fits its 14 characters.
xwininfo -root -tree >"$WORK/before"
xdotool mousemove $((IX + IW / 2)) $((IY + IH / 2))
sleep 0.3
xdotool mousemove $((IX + IW / 2 + 1)) $((IY + IH / 2))
tipbox() { xwininfo -root -tree | { diff "$WORK/before" - || true; } | awk '/^> .*"Snagwell": \("snagwell"/ { split($6, g, "x"); print g[1] }' | head -1; }
wait_for 5 eval 'width=$(tipbox); [ -n "$width" ]' || true
check "the tip is shown without blanks after it (${width:-no} pixels wide)" test "${width:-0}" -gt 40 -a "${width:-999}" -lt 160
xdotool mousemove 600 300
sleep 1
iconshot() { import -window root -crop "${IW}x${IH}+$IX+$IY" +repage "$WORK/$1.png"; }
iconshot on
# menu <button> <title> <other title>: a click on the icon pops up that menu alone.
menu() {
    eval "$(xdotool getwindowgeometry --shell "$icon")"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click "$1"
    shown "$2" 5 && none "$3"
}
check "a left click pops up the menu 表示 alone" menu 1 '^表示$' '^ファイル$'
xdotool key Down Return
settings=$(window '^Snagwell 設定$' 5) || fail "表示 > 設定画面 shows the settings window"
# 解除 greys the icon; クリップボード監視 gives the monitoring one back.
saturation() { convert "$WORK/$1.png" -colorspace HSL -channel G -separate -format '%[fx:int(1000*maxima)]' info:; }
xdotool mousemove --window "$settings" 158 36 click 1
sleep 1
iconshot off
check "after 解除 the tray icon is grey" test "$(saturation off)" -lt "$(saturation on)" -a "$(saturation off)" -lt 100
xdotool mousemove --window "$settings" 60 36 click 1
sleep 1
iconshot again
check "monitoring again shows the first icon" \
    test "$(compare -metric AE "$WORK/on.png" "$WORK/again.png" null: 2>&1 | cut -d' ' -f1)" = 0
check "a right click pops up the menu ファイル alone" menu 3 '^ファイル$' '^表示$'
xdotool key Down Return
check "ファイル > 終了 asks first" answer '^終了$'
check "OK ends the program" wait_for 15 ended "$PID"
check "quitting writes the button window's setting and new place" \
    test "$(sed -n '10,12p' "$run/RAVuvivo.vov" | tr -d '\r' | paste -sd,)" = ' 2 ,2250,4500'
finish
