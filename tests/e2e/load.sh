#!/usr/bin/env bash
# Load end to end: 500 texts and 100 pictures copied with xclip one after
# another, each as soon as the real program has saved the one before. Every
# copy must be on disk exactly once, under its own number, with its bytes.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
start_x
command -v convert >/dev/null || { echo "SKIP: ImageMagick is not installed"; exit 77; }

texts=500
pictures=100
total=$((texts + pictures))
every=$((total / pictures)) # each sixth copy is a picture

run=$WORK/load
mkdir -p "$run/SWData" "$WORK/pictures"
day=$run/SWData/$(today)
# Text saved automatically, pictures kept as PNG (lossless, so that their
# pixels can be compared), header the registered name "ld".
printf '%s\r\n 1 \r\n 0 \r\n登録名\r\nld\r\n 0 \r\nPNG\r\n 7日前\r\n\r\n 0 \r\n\r\n\r\n' \
    "$run/SWData" | iconv -f UTF-8 -t CP932 >"$run/RAVuvivo.vov"

is_picture() { (($1 % every == 0)); }
text_of() { printf 'コピー %d 番\n二行目 %d\nend' "$1" "$1"; }

# The pictures beforehand, each of its own colours, so that making them is
# not counted.
for ((i = every; i <= total; i += every)); do
    convert -size 48x32 "xc:rgb($((i % 256)),$((i * 7 % 256)),$((i * 13 % 256)))" \
        -fill "rgb($((255 - i % 256)),90,40)" -draw "rectangle 0,0 $((i % 48)),31" \
        "png24:$WORK/pictures/$i.png"
done

start_snagwell "$run"
wait_for_window '^Snagwell 設定$' >/dev/null || fail "the settings window is shown"

name_of() { # name_of <number>: the file that copy should become
    if is_picture "$1"; then printf 'ld%03d.png' "$1"; else printf 'ld%03d.txt' "$1"; fi
}

# wait_saved <path>: polls briefly; a lost copy fails after 10 seconds.
wait_saved() {
    for ((w = 0; w < 2000; w++)); do
        [ -e "$1" ] && return 0
        sleep 0.005
    done
    return 1
}

start=$(date +%s.%N)
lost=0
for ((i = 1; i <= total; i++)); do
    if is_picture "$i"; then
        xclip -selection clipboard -t image/png -i "$WORK/pictures/$i.png"
    else
        text_of "$i" | xclip -selection clipboard
    fi
    if ! wait_saved "$day/$(name_of "$i")"; then
        fail "copy $i is saved as $(name_of "$i")"
        lost=$((lost + 1))
        ((lost < 3)) || break
    fi
done
end=$(date +%s.%N)
awk -v n="$total" -v t="$texts" -v p="$pictures" -v s="$start" -v e="$end" 'BEGIN {
    printf "FIGURE: %d captures (%d texts, %d pictures) in %.1f s: %.1f captures a second\n",
        n, t, p, e - s, n / (e - s) }'

# Everything on disk exactly once: the names are exactly the expected ones,
# nothing else stands beside them (no bitmap, no temporary file).
expected_names=$(for ((i = 1; i <= total; i++)); do name_of "$i"; echo; done | sort)
check "exactly the $total captures are in the day folder, nothing else" \
    test "$(ls -A "$day" | sort)" = "$expected_names"

# The right bytes: each text file is its copy in CP932 with CR LF line ends.
wrong_texts=0
for ((i = 1; i <= total; i++)); do
    is_picture "$i" && continue
    if ! cmp -s <({ text_of "$i"; echo; } | sed 's/$/\r/' | iconv -f UTF-8 -t CP932) "$day/$(name_of "$i")"; then
        wrong_texts=$((wrong_texts + 1))
        ((wrong_texts < 4)) && echo "text $i differs:" && od -c "$day/$(name_of "$i")" | head -3
    fi
done
check "all $texts texts hold exactly what was copied, in order" test "$wrong_texts" -eq 0

# The right pixels: ImageMagick's pixel signatures of copy and capture.
wrong_pictures=0
for ((i = every; i <= total; i += every)); do
    want=$(identify -format '%# %wx%h' "$WORK/pictures/$i.png")
    got=$(identify -format '%# %wx%h' "$day/$(name_of "$i")" 2>/dev/null || echo unreadable)
    if [ "$want" != "$got" ]; then
        wrong_pictures=$((wrong_pictures + 1))
        echo "picture $i: copied $want, saved $got"
    fi
done
check "all $pictures pictures hold exactly the copied pixels, in order" \
    test "$wrong_pictures" -eq 0

kill -TERM "$SNAGWELL_PID"
check "the program ends on SIGTERM after the load" wait_exit "$SNAGWELL_PID"
finish
