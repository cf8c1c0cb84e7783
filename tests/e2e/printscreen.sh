#!/usr/bin/env bash
# The screen-capture button end to end: shown at its saved place, its click
# saves a picture of the whole screen, and quitting keeps where it stands.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
start_x
command -v identify >/dev/null || { echo "SKIP: ImageMagick is not installed"; exit 77; }

run=$WORK/printscreen
mkdir -p "$run/SWData"
day=$run/SWData/$(today)
settings=$run/RAVuvivo.vov

# "画面保存ボタン表示" ticked; the window at top 1500, left 3000 twips (100
# and 200 pixels at 96 DPI); header the registered name "ps".
printf '%s\r\n 0 \r\n 0 \r\n登録名\r\nps\r\n 0 \r\nJPG\r\n 7日前\r\n\r\n 1 \r\n1500\r\n3000\r\n' \
    "$run/SWData" | iconv -f UTF-8 -t CP932 >"$settings"

start_snagwell "$run"
pid=$SNAGWELL_PID
window=$(wait_for_window '^ps$') || fail "the button window is shown, titled with the header"
check "today's folder is made at start-up" wait_file "$day"
sleep 0.5
geometry=$(xdotool getwindowgeometry "$window" 2>/dev/null || true)
check "the button window stands at the saved place" grep -q 'Position: 200,100 ' <<<"$geometry"

# Without a tray the settings window is shown as well; out of the way, the
# screen is black but for the button window.
if settings_window=$(wait_for_window '^Snagwell 設定$' 5); then
    xdotool windowunmap --sync "$settings_window"
fi

# "画面保存" is 1275 x 375 twips at (360, 50): its middle is near (66, 15).
xdotool mousemove --window "$window" 66 15 click 1
check "the click saves the screen as the next .jpg" wait_file "$day/ps001.jpg"
sleep 0.5
check "the picture has the screen's size" \
    test "$(identify -format '%m %wx%h' "$day/ps001.jpg")" = "JPEG 1280x800"
# The window stays on the screen while it is grabbed.
mean() { convert "$day/ps001.jpg" -crop "$1" +repage -format '%[fx:mean]' info:; }
check "the button window is on the picture" \
    awk -v m="$(mean 134x29+200+100)" 'BEGIN { exit !(m > 0.3) }'
check "the rest of the screen is black" \
    awk -v m="$(mean 400x300+700+400)" 'BEGIN { exit !(m < 0.05) }'
check "emptying the clipboard saved nothing of its own" \
    test "$(ls "$day" | tr '\n' ' ')" = "ps001.jpg "

# Moved by hand, the window's new place is written at quit: 300, 150 pixels
# are 4500, 2250 twips.
xdotool windowmove --sync "$window" 300 150 2>/dev/null || xdotool windowmove "$window" 300 150
sleep 0.5
kill -TERM "$pid"
check "the program ends on SIGTERM" wait_exit "$pid"
lines=$(iconv -f CP932 -t UTF-8 <"$settings" | tr -d '\r')
check "the setting stays ticked" test "$(sed -n 10p <<<"$lines")" = " 1 "
check "the window's top is written in twips" test "$(sed -n 11p <<<"$lines")" = "2250"
check "the window's left is written in twips" test "$(sed -n 12p <<<"$lines")" = "4500"

finish
