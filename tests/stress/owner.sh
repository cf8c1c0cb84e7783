#!/usr/bin/env bash
# A clipboard owner that vanishes in the middle of a transfer, end to end:
# the real program asks for the data, the owner ends without answering.
# The program must not crash, must keep no file for what it never received,
# and must capture the next copies as usual.
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
start_x
owner=$(dirname "$SNAGWELL")/vanishingowner
[ -x "$owner" ] || { echo "SKIP: $owner is not built"; exit 77; }
command -v convert >/dev/null || { echo "SKIP: ImageMagick is not installed"; exit 77; }

run=$WORK/owner
day=$run/SWData/$(today)
mkdir -p "$day"
printf '%s\r\n 1 \r\n 0 \r\n登録名\r\now\r\n 0 \r\nBMP\r\n 7日前\r\n\r\n 0 \r\n\r\n\r\n' \
    "$day" | iconv -f UTF-8 -t CP932 >"$run/RAVuvivo.vov"
convert -size 40x30 xc:orange "png24:$WORK/after.png"

start_snagwell "$run"
wait_for_window '^Snagwell 設定$' 20 >/dev/null || fail "the settings window is shown"

files() { ls -A "$day" | wc -l; }
for kind in text image; do
    before=$(files)
    "$owner" "$kind" &
    owner_pid=$!
    check "the $kind owner is asked for its data and vanishes" wait_exit "$owner_pid" 20
    # The program gives up on the transfer after Qt's clipboard timeout (5 s).
    sleep 7
    check "the program lives on after the $kind owner vanished" kill -0 "$SNAGWELL_PID"
    check "nothing is kept for the $kind never received" test "$(files)" -eq "$before"

    # The next copies are captured as ever.
    name=$(printf 'ow%03d' $((before + 1)))
    printf 'after the %s owner' "$kind" | xclip -selection clipboard
    check "a text copied next lands as $name.txt" wait_file "$day/$name.txt" 20
    check "it holds what was copied" \
        test "$(od -An -c "$day/$name.txt")" = "$(printf 'after the %s owner\r\n' "$kind" | od -An -c)"
    name=$(printf 'ow%03d' $((before + 2)))
    xclip -selection clipboard -t image/png -i "$WORK/after.png"
    check "a picture copied next lands as $name.bmp" wait_file "$day/$name.bmp" 20
    sleep 0.3
    check "it holds the copied pixels" \
        test "$(identify -format '%#' "$day/$name.bmp")" = "$(identify -format '%#' "$WORK/after.png")"
done

# An empty text really copied is a capture of its own, and stays one.
name=$(printf 'ow%03d' $(($(files) + 1)))
printf '' | xclip -selection clipboard
check "an empty text copied lands as $name.txt" wait_file "$day/$name.txt" 20
check "and is empty" test ! -s "$day/$name.txt"

kill -TERM "$SNAGWELL_PID"
check "the program ends on SIGTERM" wait_exit "$SNAGWELL_PID"
finish
