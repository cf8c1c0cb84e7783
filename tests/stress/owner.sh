#!/usr/bin/env bash
# Clipboard owners that do not deliver: one that vanishes while the program
# asks for its text or picture, one that never delivers its text, pictures
# that do not decode. Each is a failed capture, told in the window (there is
# no tray here); nothing is kept of it, and the next copies land once each.
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
need convert identify
owner=$(dirname "$SNAGWELL")/vanishingowner
[ -x "$owner" ] || skip "$owner is not built"
run=$WORK/run
day=$run/SWData/$(today)
mkdir -p "$day"
vov "$day" ' 1 ' ' 0 ' 登録名 ow ' 0 ' BMP ' 7日前' '' ' 0 ' '' '' >"$run/RAVuvivo.vov"
convert -size 40x30 xc:orange "png24:$WORK/after.png"
head -c 200 "$WORK/after.png" >"$WORK/cut.png"
# A bitmap whose header claims 30000x30000 pixels, 32 bits each.
printf 'BM\x36\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x30\x75\0\0\x30\x75\0\0\x01\0\x20\0\0\0\0\0' >"$WORK/huge.bmp"
printf '\0%.0s' $(seq 20) >>"$WORK/huge.bmp"
printf 'after the owner\r\n' >"$WORK/after.txt"
pixels() { [ "$(identify -format '%#' "$1" 2>&1)" = "$(identify -format '%#' "$WORK/after.png")" ]; }
told() { shown '^Snagwell$' "$1" && answer '^Snagwell$'; }

n=0
for kind in text image stall cut.png huge.bmp; do
    start "$run"
    shown '^Snagwell 設定$' || fail "the settings window is shown"
    sleep 1
    case $kind in
    *.png) xclip -selection clipboard -t image/png -i "$WORK/$kind" ;;
    *.bmp) xclip -selection clipboard -t image/bmp -i "$WORK/$kind" ;;
    *) "$owner" "$kind" & ;;
    esac
    check "($kind) told in the window" told 20
    check "($kind) nothing is kept of it" test "$(ls "$day" | wc -l)" = $n
    printf 'after the owner' | xclip -selection clipboard
    check "($kind) a text copied next lands as the next number" \
        wait_for 20 cmp -s "$day/$(printf 'ow%03d.txt' $((n + 1)))" "$WORK/after.txt"
    xclip -selection clipboard -t image/png -i "$WORK/after.png"
    check "($kind) a picture copied next lands as the next number" \
        wait_for 20 pixels "$day/$(printf 'ow%03d.bmp' $((n + 2)))"
    sleep 0.5
    check "($kind) each once" test "$(ls "$day" | wc -l)" = $((n += 2))
    kill -TERM "$PID"
    check "($kind) the program ends on SIGTERM" wait_for 15 ended "$PID"
done
start "$run"
sleep 2
printf '' | xclip -selection clipboard
check "an empty text copied is a capture of its own" \
    wait_for 20 test -e "$day/ow011.txt" -a ! -s "$day/ow011.txt"
check "and told as nothing" none '^Snagwell$'
kill -TERM "$PID"
check "the program ends on SIGTERM" wait_for 15 ended "$PID"
finish
