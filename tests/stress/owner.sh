#!/usr/bin/env bash
# A clipboard owner that vanishes while the program asks for its text or
# picture: the program lives on, keeps nothing of it, and captures on.
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
need convert identify
owner=$(dirname "$SNAGWELL")/vanishingowner
[ -x "$owner" ] || skip "$owner is not built"
run=$WORK/run
day=$run/SWData/$(today)
mkdir -p "$day"
vov "$day" ' 1 ' ' 0 ' 登録名 ow ' 0 ' BMP ' 7日前' '' ' 0 ' '' '' >"$run/RAVuvivo.vov"
convert -size 40x30 xc:orange "png24:$WORK/after.png"
printf 'after the owner\r\n' >"$WORK/after.txt"
pixels() { [ "$(identify -format '%#' "$1" 2>&1)" = "$(identify -format '%#' "$WORK/after.png")" ]; }

start "$run"
shown '^Snagwell 設定$' || fail "the settings window is shown"
for kind in text image; do
    "$owner" "$kind" &
    check "the $kind owner is asked for its data and vanishes" wait_for 20 ended $!
    sleep 7 # the program gives up after Qt's clipboard timeout of 5 s
    n=$(ls "$day" | wc -l)
    printf 'after the owner' | xclip -selection clipboard
    check "a text copied next lands as the next number" \
        wait_for 20 cmp -s "$day/$(printf 'ow%03d.txt' $((n + 1)))" "$WORK/after.txt"
    xclip -selection clipboard -t image/png -i "$WORK/after.png"
    check "a picture copied next lands as the next number" \
        wait_for 20 pixels "$day/$(printf 'ow%03d.bmp' $((n + 2)))"
done
printf '' | xclip -selection clipboard
check "an empty text copied is a capture of its own" \
    wait_for 20 test -e "$day/ow005.txt" -a ! -s "$day/ow005.txt"
check "the program lives on" kill -0 "$PID"
check "nothing is kept of what the owners never gave" \
    test "$(ls -A "$day" | tr '\n' ' ')" = "ow001.txt ow002.bmp ow003.txt ow004.bmp ow005.txt "
kill -TERM "$PID"
check "the program ends on SIGTERM" wait_for 15 ended "$PID"
finish
