#!/usr/bin/env bash
# Capture end to end: what xclip copies is saved under the next free running
# number, a text as CP932 with CR LF, a picture converted to JPEG; copies
# that pile up while the program cannot read them are saved once each or
# counted and told, never saved as another's.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
need convert identify
run=$WORK/run
day=$run/SWData/$(today)
mkdir -p "$day"
vov "$run/SWData" ' 1 ' ' 0 ' 登録名 e2e ' 0 ' JPG ' 7日前' '' ' 0 ' '' '' >"$run/RAVuvivo.vov"
echo earlier >"$day/e2e002.txt" # numbering goes on after the highest
printf 'こんにちは\r\n世界\r\nline 3\r\n' | iconv -f UTF-8 -t CP932 >"$WORK/expected.txt"
convert -size 320x200 gradient:blue-yellow "$WORK/picture.png"

start "$run"
settings=$(window '^Snagwell 設定$') || fail "the settings window is shown"
echo "file://$WORK/picture.png" | xclip -selection clipboard -t text/uri-list # a file list is no text
sleep 1
printf 'こんにちは\n世界\nline 3' | xclip -selection clipboard
check "a copied text lands as e2e003.txt, in CP932 with CR LF" \
    wait_for 15 cmp -s "$day/e2e003.txt" "$WORK/expected.txt"
xclip -selection clipboard -t image/png -i "$WORK/picture.png"
check "a copied picture lands as e2e004.jpg, a JPEG of its size" \
    wait_for 15 is "$day/e2e004.jpg" 'JPEG 320x200'
printf 'x\r\ny' | xclip -selection clipboard
check "a text already in CR LF keeps its line ends" \
    wait_for 15 cmp -s "$day/e2e005.txt" <(printf 'x\r\ny\r\n')
mkdir "$day/e2e006.txt"
printf 'past a folder' | xclip -selection clipboard
check "a folder named like a capture is passed over" wait_for 15 test -f "$day/e2e007.txt"
check "nothing is told while all goes well" none '^Snagwell$'
kill -STOP "$PID"
for i in 1 2 3; do printf 'while stopped %s' $i | xclip -selection clipboard; sleep 0.3; done
kill -CONT "$PID"
check "of copies made while stopped, the last is saved once" \
    wait_for 15 cmp -s "$day/e2e008.txt" <(printf 'while stopped 3\r\n')
check "the two it could not read are told in the window, without a tray" \
    shown '^Snagwell$' 5
answer '^Snagwell$'
sleep 1
# Transparent all round, a half-transparent red square in the middle: JPEG
# has no transparency, so it is laid onto white.
convert -size 40x40 xc:none -fill 'rgba(255,0,0,0.5)' -draw 'rectangle 10,10 29,29' \
    "PNG32:$WORK/alpha.png"
xclip -selection clipboard -t image/png -i "$WORK/alpha.png"
rgb() { convert "$day/e2e009.jpg" -format "%[fx:int(255*p{$1}.r)] %[fx:int(255*p{$1}.g)] %[fx:int(255*p{$1}.b)]" info:; }
near() { local want=($2) got=($(rgb "$1")) i; for i in 0 1 2; do ((${got[i]} - ${want[i]} <= 12 && ${want[i]} - ${got[i]} <= 12)) || return 1; done; }
check "a transparent picture lands as e2e009.jpg" wait_for 15 is "$day/e2e009.jpg" 'JPEG 40x40'
check "what was transparent is white in the JPEG" near 2,2 '255 255 255'
check "half-transparent red is pink, red mixed with white" near 20,20 '255 128 128'
# Past Qt's own 128 MB a picture, a camera's photograph, is still decoded.
convert -size 6000x6000 xc:white "$WORK/photo.png"
xclip -selection clipboard -t image/png -i "$WORK/photo.png"
check "a picture of 6000x6000 pixels lands as e2e010.jpg" wait_for 30 is "$day/e2e010.jpg" 'JPEG 6000x6000'
# After 解除 nothing is captured.
xdotool mousemove --window "$settings" 158 36 click 1
sleep 0.5
printf 'not while off' | xclip -selection clipboard
sleep 1.5
quit
check "the earlier capture is kept as it was" test "$(cat "$day/e2e002.txt")" = earlier
check "no bitmap is left and nothing is saved after 解除" \
    test "$(ls -A "$day" | tr '\n' ' ')" = "e2e002.txt e2e003.txt e2e004.jpg e2e005.txt e2e006.txt e2e007.txt e2e008.txt e2e009.jpg e2e010.jpg "
finish
