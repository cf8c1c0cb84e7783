#!/usr/bin/env bash
# Capture end to end: copies land under the next free number; what cannot be
# read is told in the window (there is no tray here), never saved as another's.
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
printf 'x\r\ny' | xclip -selection clipboard
check "a text already in CR LF keeps its line ends" \
    wait_for 15 cmp -s "$day/e2e004.txt" <(printf 'x\r\ny\r\n')
mkdir "$day/e2e005.txt"
printf 'past a folder' | xclip -selection clipboard
check "a folder named like a capture is passed over" wait_for 15 test -f "$day/e2e006.txt"
check "nothing is told while all goes well" none '^Snagwell$'
kill -STOP "$PID"
for i in 1 2 3; do printf 'while stopped %s' $i | xclip -selection clipboard; sleep 0.3; done
kill -CONT "$PID"
check "of copies made while stopped, the last is saved once" \
    wait_for 15 cmp -s "$day/e2e007.txt" <(printf 'while stopped 3\r\n')
check "the two it could not read are told in the window, without a tray" \
    answer '^Snagwell$'
sleep 1
# Transparent all round, half-transparent red in the middle: laid onto white.
convert -size 40x40 xc:none -fill 'rgba(255,0,0,0.5)' -draw 'rectangle 10,10 29,29' \
    "PNG32:$WORK/alpha.png"
xclip -selection clipboard -t image/png -i "$WORK/alpha.png"
rgb() { convert "$day/e2e008.jpg" -format "%[fx:int(255*p{$1}.r)] %[fx:int(255*p{$1}.g)] %[fx:int(255*p{$1}.b)]" info:; }
near() { local want=($2) got=($(rgb "$1")) i; for i in 0 1 2; do ((${got[i]} - ${want[i]} <= 12 && ${want[i]} - ${got[i]} <= 12)) || return 1; done; }
check "a transparent picture lands as a JPEG, e2e008.jpg" wait_for 15 is "$day/e2e008.jpg" 'JPEG 40x40'
check "what was transparent is white in the JPEG" near 2,2 '255 255 255'
check "half-transparent red is pink, red mixed with white" near 20,20 '255 128 128'
# Past Qt's own 128 MB a picture, a camera's photograph, is still decoded.
convert -size 6000x6000 xc:white "$WORK/photo.png"
xclip -selection clipboard -t image/png -i "$WORK/photo.png"
check "a picture of 6000x6000 pixels lands as e2e009.jpg" wait_for 30 is "$day/e2e009.jpg" 'JPEG 6000x6000'
# After 解除 nothing is captured.
xdotool mousemove --window "$settings" 158 36 click 1
sleep 0.5
printf 'not while off' | xclip -selection clipboard
sleep 1.5
# Owners that vanish when asked or never deliver, pictures that do not decode
# (cut off; a bitmap header claiming 30000x30000 pixels).
owner=$(dirname "$SNAGWELL")/vanishingowner
head -c 200 "$WORK/picture.png" >"$WORK/cut.png"
printf 'BM\x36\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x30\x75\0\0\x30\x75\0\0\x01\0\x20\0\0\0\0\0' >"$WORK/huge.bmp"
printf '\0%.0s' $(seq 20) >>"$WORK/huge.bmp"
n=9
for kind in text image stall cut.png huge.bmp; do
    # A fresh start each: a failure is told at most once a minute.
    kill -TERM "$PID"
    wait_for 15 ended "$PID" || fail "the program ends before the $kind owner"
    start "$run"
    shown '^Snagwell 設定$' || fail "the settings window is shown again"
    sleep 1
    case $kind in
    *.png) xclip -selection clipboard -t image/png -i "$WORK/$kind" ;;
    *.bmp) xclip -selection clipboard -t image/bmp -i "$WORK/$kind" ;;
    *) "$owner" "$kind" & PIDS+=($!) ;;
    esac
    check "($kind) a failed capture is told in the window" answer '^Snagwell$'
    printf 'after %s' $kind | xclip -selection clipboard
    n=$((n + 1))
    check "($kind) the next copy lands as the next number" \
        wait_for 20 cmp -s "$day/e2e$(printf %03d $n).txt" <(printf 'after %s\r\n' $kind)
done
# A password manager's copy, marked secret, is passed over: the next number stays free.
"$owner" secret & PIDS+=($!)
sleep 1.5
printf '' | xclip -selection clipboard
check "an empty text copied is a capture of its own" \
    wait_for 15 test -e "$day/e2e015.txt" -a ! -s "$day/e2e015.txt"
check "and nothing is told of it" none '^Snagwell$'
# Load: 300 copies, each once the one before is saved; every sixth a picture.
name() { if (($1 % 6)); then printf 'e2e%03d.txt' "$1"; else printf 'e2e%03d.jpg' "$1"; fi; }
own() { cmp -s "$day/$(name "$1")" <(printf 'コピー %d\r\n二行目\r\n' "$1" | iconv -f UTF-8 -t CP932); }
began=$(date +%s%N)
for ((i = 16; i <= 315; i++)); do
    if ((i % 6)); then
        printf 'コピー %d\n二行目' "$i" | xclip -selection clipboard
    else
        convert -size "$((i / 6))x9" "xc:rgb($i,90,40)" png:- | xclip -selection clipboard -t image/png
    fi
    for ((w = 0; w < 2000; w++)); do [ -e "$day/$(name "$i")" ] && break; sleep 0.005; done
    if ((i % 6)); then own "$i"; else is "$day/$(name "$i")" "JPEG $((i / 6))x9"; fi ||
        { fail "copy $i is saved as $(name "$i"), with its own text or picture"; break; }
done
echo "FIGURE: $((i - 16)) copies in $((($(date +%s%N) - began) / 1000000)) ms, each checked when saved"
quit
check "each capture once, no bitmap left, nothing kept of a failure or after 解除" \
    test "$(ls -A "$day" | tr '\n' ' ')" = "$(echo e2e00{2..7}.txt e2e008.jpg e2e009.jpg e2e01{0..5}.txt $(for ((i = 16; i <= 315; i++)); do name $i; echo; done)) "
finish
