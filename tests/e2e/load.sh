#!/usr/bin/env bash
# Load end to end: 250 texts and 50 pictures copied one after another, each
# as soon as the one before is saved. Every copy is on disk once, under its
# own number, with its bytes or pixels.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
need convert identify
total=300
run=$WORK/run
day=$run/SWData/$(today)
mkdir -p "$run/SWData" "$WORK/copies"
vov "$run/SWData" ' 1 ' ' 0 ' 登録名 ld ' 0 ' PNG ' 7日前' '' ' 0 ' '' '' >"$run/RAVuvivo.vov"
# Each sixth copy is a picture of its own colours, kept lossless as PNG.
name() { if (($1 % 6)); then printf 'ld%03d.txt' "$1"; else printf 'ld%03d.png' "$1"; fi; }
for ((i = 1; i <= total; i++)); do
    if ((i % 6)); then
        printf 'コピー %d 番\r\n二行目 %d\r\nend\r\n' "$i" "$i" |
            iconv -f UTF-8 -t CP932 >"$WORK/copies/$(name "$i")"
    else
        convert -size 48x32 "xc:rgb($((i % 256)),$((i * 7 % 256)),$((i * 13 % 256)))" \
            -fill "rgb($((255 - i % 256)),90,40)" -draw "rectangle 0,0 $((i % 48)),31" "png24:$WORK/copies/$(name "$i")"
    fi
done

begin "$run"
began=$(date +%s%N)
for ((i = 1; i <= total; i++)); do
    if ((i % 6)); then
        printf 'コピー %d 番\n二行目 %d\nend' "$i" "$i" | xclip -selection clipboard
    else
        xclip -selection clipboard -t image/png -i "$WORK/copies/$(name "$i")"
    fi
    for ((w = 0; w < 2000; w++)); do [ -e "$day/$(name "$i")" ] && break; sleep 0.005; done
    [ -e "$day/$(name "$i")" ] || { fail "copy $i is saved as $(name "$i")"; break; }
done
echo "FIGURE: $((i - 1)) copies in $((($(date +%s%N) - began) / 1000000)) ms"
check "exactly the $total captures are in the day folder, nothing else" \
    test "$(ls -A "$day")" = "$(ls -A "$WORK/copies")"
pixels() { identify -format '%# %wx%h' "$1" 2>&1; }
same() { if [[ $1 == *.txt ]]; then cmp -s "$day/$1" "$WORK/copies/$1"; else [ "$(pixels "$day/$1")" = "$(pixels "$WORK/copies/$1")" ]; fi; }
wrong=0
for copy in $(ls "$WORK/copies"); do
    same "$copy" || { wrong=$((wrong + 1)) && echo "$copy is saved wrong"; }
done
check "every capture holds exactly its copy's text (CP932, CR LF) or pixels" test "$wrong" -eq 0
quit "the program after the load"
finish
