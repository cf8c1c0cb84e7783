#!/usr/bin/env bash
# Clipboard capture end to end: xclip copies, the real program saves.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
start_x
command -v identify >/dev/null || { echo "SKIP: ImageMagick is not installed"; exit 77; }

run=$WORK/capture
mkdir -p "$run/SWData"
day=$run/SWData/$(today)

# settings <file type>: text saved automatically, header the registered name "e2e".
settings() {
    printf '%s\r\n 1 \r\n 0 \r\n登録名\r\ne2e\r\n 0 \r\n%s\r\n 7日前\r\n\r\n 0 \r\n\r\n\r\n' \
        "$run/SWData" "$1" | iconv -f UTF-8 -t CP932 >"$run/RAVuvivo.vov"
}

settings JPG
start_snagwell "$run"
pid=$SNAGWELL_PID
window=$(wait_for_window '^Snagwell 設定$') || fail "the settings window is shown"
check "today's folder is made at start-up" wait_file "$day"

# Text from a Linux program: LF line ends, Japanese.
printf 'こんにちは\n世界\nline 3' | xclip -selection clipboard
check "copied text lands as the next .txt" wait_file "$day/e2e001.txt"
expected=$(printf 'こんにちは\r\n世界\r\nline 3\r\n' | iconv -f UTF-8 -t CP932 | od -An -tx1)
check "the text file holds CP932 with CR LF line ends" \
    test "$(od -An -tx1 <"$day/e2e001.txt")" = "$expected"

# A picture copied as PNG becomes a JPEG; the bitmap is gone.
convert -size 320x200 gradient:blue-yellow "$WORK/picture.png"
xclip -selection clipboard -t image/png -i "$WORK/picture.png"
check "a copied picture lands as the next .jpg" wait_file "$day/e2e002.jpg"
sleep 0.5
check "the JPEG has the picture's size" \
    test "$(identify -format '%m %wx%h' "$day/e2e002.jpg")" = "JPEG 320x200"
check "no bitmap is left beside the JPEG" test ! -e "$day/e2e002.bmp"

# After "解除" nothing is captured.
xdotool mousemove --window "$window" 158 36 click 1
sleep 0.5
printf 'not while off' | xclip -selection clipboard
sleep 1.5
check "a text copied after 解除 is not saved" test ! -e "$day/e2e003.txt"

kill -TERM "$pid" 2>/dev/null || true
check "the program ends on SIGTERM" wait_exit "$pid"

# With "BMP" only the bitmap remains.
settings BMP
start_snagwell "$run"
pid=$SNAGWELL_PID
wait_for_window '^Snagwell 設定$' >/dev/null || fail "the settings window is shown again"
sleep 0.5
xclip -selection clipboard -t image/png -i "$WORK/picture.png"
check "with BMP the picture lands as a bitmap" wait_file "$day/e2e003.bmp"
sleep 0.5
check "the bitmap has the picture's size" \
    test "$(identify -format '%wx%h' "$day/e2e003.bmp")" = "320x200"
check "with BMP nothing else is written" \
    test "$(ls "$day" | tr '\n' ' ')" = "e2e001.txt e2e002.jpg e2e003.bmp "
kill -TERM "$pid" 2>/dev/null || true
check "the program ends again" wait_exit "$pid"

finish
