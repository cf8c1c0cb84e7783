#!/usr/bin/env bash
# Kill safety end to end: the real program is killed with SIGKILL fifty times,
# thirty times at a random moment while copies arrive, twenty times while it
# writes its settings file on SIGTERM. Afterwards every file is either whole
# or a temporary name of the program's own, which the next start ignores;
# the settings file always reads as twelve lines, old or new.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
start_x
for tool in convert identify djpeg; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
# Writes and renames are slowed down, so that the kills land inside them.
slowio=$(dirname "$SNAGWELL")/libslowio.so
[ -e "$slowio" ] || { echo "SKIP: $slowio is not built"; exit 77; }
preload=$slowio
# A sanitized program wants its runtime first.
if asan=$(ldd "$SNAGWELL" | awk '/libasan/ {print $3}') && [ -n "$asan" ]; then
    preload="$asan $slowio"
fi

capture_kills=30
settings_kills=20
run=$WORK/kill
mkdir -p "$run/SWData" "$WORK/pictures" "$WORK/texts" "$WORK/reference"
day=$run/SWData/$(today)
mkdir -p "$day"
formats=(PNG JPG BMP)

settings_for() { # settings_for <format>: what a run starts from
    printf '%s\r\n 1 \r\n 0 \r\n登録名\r\nkl\r\n 0 \r\n%s\r\n 7日前\r\n\r\n 0 \r\n\r\n\r\n' \
        "$day" "$1" | iconv -f UTF-8 -t CP932
}

# Full-screen pictures, each of its own, as PNG files to copy; their pixel
# signatures tell a whole capture from anything else.
for i in 1 2 3 4; do
    convert -size 1920x1080 "gradient:rgb($((i * 60)),20,90)-rgb(10,$((i * 50)),200)" \
        -fill "rgb(250,$((i * 40)),0)" -draw "rectangle $((i * 300)),100 $((i * 300 + 200)),900" \
        "png24:$WORK/pictures/$i.png"
    identify -format '%#\n' "$WORK/pictures/$i.png" >>"$WORK/signatures"
done

copied=0
copy_text() { # copies the next text and keeps its bytes as a capture should hold them
    copied=$((copied + 1))
    local text
    text=$(printf 'kill test copy %d\nこんにちは %d' "$copied" "$copied")
    printf '%s' "$text" | xclip -selection clipboard
    printf '%s\r\n' "${text//$'\n'/$'\r\n'}" | iconv -f UTF-8 -t CP932 >"$WORK/texts/$copied"
}
copy_picture() {
    xclip -selection clipboard -t image/png -i "$WORK/pictures/$((RANDOM % 4 + 1)).png"
}

start_slowed() { # start_slowed <write µs> <publish µs>
    (cd "$run" && exec env LD_PRELOAD="$preload" SLOWIO_WRITE_US="$1" SLOWIO_PUBLISH_US="$2" \
        "$SNAGWELL" >>"$WORK/snagwell.log" 2>&1) &
    SNAGWELL_PID=$!
    PIDS+=("$SNAGWELL_PID")
    wait_for_window '^Snagwell 設定$' 20 >/dev/null
}

random_ms() { # random_ms <from> <to>: a pause in seconds between them
    local ms=$(($1 + (RANDOM * 32768 + RANDOM) % ($2 - $1 + 1)))
    printf '%d.%03d' $((ms / 1000)) $((ms % 1000))
}

# A clean run per format gives the settings file the program writes; a
# killed run must leave either that or the one it started from.
for format in "${formats[@]}"; do
    settings_for "$format" >"$run/RAVuvivo.vov"
    start_snagwell "$run"
    wait_for_window '^Snagwell 設定$' 20 >/dev/null || fail "a clean run with $format starts"
    kill -TERM "$SNAGWELL_PID" 2>/dev/null || true
    wait_exit "$SNAGWELL_PID" || fail "a clean run with $format ends"
    cp "$run/RAVuvivo.vov" "$WORK/reference/$format"
done

whole_settings() { # whole_settings <file> <format>
    cmp -s "$1" "$WORK/reference/$2" || cmp -s "$1" <(settings_for "$2")
}

declare -A checked
problems=0
settings_temporaries=0
capture_temporaries=0
whole_files=0
problem() {
    echo "PROBLEM: $*" >&2
    problems=$((problems + 1))
}

# check_leftovers <format>: every file the killed run left is whole or a
# temporary of the program's own naming.
check_leftovers() {
    local format=$1 path name signature found
    [ -e "$run/RAVuvivo.vov" ] || problem "the settings file is gone"
    whole_settings "$run/RAVuvivo.vov" "$format" ||
        problem "the settings file is neither old nor new: $(od -c "$run/RAVuvivo.vov" | head -3)"
    for path in "$run"/RAVuvivo.vov.*; do
        [ -e "$path" ] || continue
        [ -n "${checked[$path]:-}" ] && continue
        checked[$path]=1
        settings_temporaries=$((settings_temporaries + 1))
        [[ $(basename "$path") =~ ^RAVuvivo\.vov\.[A-Za-z0-9]{6}$ ]] ||
            problem "a stranger beside the settings file: $path"
        # Named only once written whole: it holds a whole settings file too.
        whole_settings "$path" "$format" || problem "$path is not a whole settings file"
    done
    for path in "$day"/* "$day"/.[!.]*; do
        [ -e "$path" ] || continue
        [ -n "${checked[$path]:-}" ] && continue
        checked[$path]=1
        name=$(basename "$path")
        case "$name" in
        .kl[0-9][0-9][0-9]*.*.??????)
            [[ $name =~ ^\.kl[0-9]{3,}\.(txt|bmp|jpeg|jpg|png)\.[A-Za-z0-9]{6}$ ]] ||
                problem "a hidden file not of the program's naming: $name"
            capture_temporaries=$((capture_temporaries + 1))
            continue
            ;;
        kl[0-9][0-9][0-9]*.txt)
            found=
            for text in "$WORK"/texts/*; do
                cmp -s "$path" "$text" && found=1 && break
            done
            [ -n "$found" ] || problem "$name is not a whole copied text: $(od -c "$path" | head -2)"
            ;;
        kl[0-9][0-9][0-9]*.bmp | kl[0-9][0-9][0-9]*.png)
            signature=$(identify -regard-warnings -format '%#' "$path" 2>/dev/null) &&
                grep -qx "$signature" "$WORK/signatures" ||
                problem "$name does not hold a whole copied picture"
            ;;
        kl[0-9][0-9][0-9]*.jpg)
            djpeg "$path" >/dev/null 2>&1 &&
                [ "$(identify -format '%wx%h' "$path" 2>/dev/null)" = 1920x1080 ] ||
                problem "$name is not a whole JPEG"
            ;;
        *)
            problem "an unexpected file: $name"
            continue
            ;;
        esac
        whole_files=$((whole_files + 1))
    done
}

# 1. Kills while copies arrive, pictures and texts mixed.
for ((round = 1; round <= capture_kills; round++)); do
    format=${formats[round % 3]}
    settings_for "$format" >"$run/RAVuvivo.vov"
    start_slowed 300 20000 || { fail "round $round: the program starts after a kill"; break; }
    # The feeder counts on from the texts kept so far (it runs in a subshell).
    copied=$(ls "$WORK/texts" | wc -l)
    (
        for ((k = 0; k < 6; k++)); do
            if ((k % 2)); then copy_text; else copy_picture; fi
            sleep 0.25
        done
    ) &
    feeder=$!
    sleep "$(random_ms 50 1800)"
    kill -KILL "$SNAGWELL_PID"
    wait "$SNAGWELL_PID" 2>/dev/null || true
    kill "$feeder" 2>/dev/null || true
    wait "$feeder" 2>/dev/null || true
    check_leftovers "$format"
done
copied=$(ls "$WORK/texts" | wc -l)
pass_count_captures=$whole_files

# 2. Kills while the settings file is written at SIGTERM.
hit=0
for ((round = 1; round <= settings_kills; round++)); do
    format=${formats[round % 3]}
    settings_for "$format" >"$run/RAVuvivo.vov"
    start_slowed 2000 60000 || { fail "round $round: the program starts after a kill"; break; }
    copy_text
    sleep 0.3
    kill -TERM "$SNAGWELL_PID"
    sleep "$(random_ms 0 250)"
    if kill -KILL "$SNAGWELL_PID" 2>/dev/null; then hit=$((hit + 1)); fi
    wait "$SNAGWELL_PID" 2>/dev/null || true
    check_leftovers "$format"
done

echo "FIGURE: $((capture_kills + settings_kills)) kills ($capture_kills while capturing," \
    "$settings_kills at SIGTERM of which $hit before the program had ended);" \
    "$whole_files whole files checked ($pass_count_captures from the capture rounds)," \
    "temporary files left: $capture_temporaries beside the captures," \
    "$settings_temporaries beside the settings file"
check "after every kill, every file is whole or a temporary of the program's own" \
    test "$problems" -eq 0
((whole_files > capture_kills)) || fail "the capture rounds saved too little to prove anything"

# 3. The next start ignores what the kills left: the next capture takes the
# number after the highest whole one, and the temporaries stay unseen.
highest=$(ls "$day" | sed -n 's/^kl\([0-9]*\)\..*/\1/p' | sort -n | tail -n 1)
next=$(printf 'kl%03d.txt' $((10#${highest:-0} + 1)))
settings_for PNG >"$run/RAVuvivo.vov"
start_snagwell "$run"
wait_for_window '^Snagwell 設定$' 20 >/dev/null || fail "the program starts after the last kill"
copy_text
check "a text copied after the kills lands as $next" wait_file "$day/$next"
check "it holds what was copied" cmp -s "$day/$next" "$WORK/texts/$copied"
kill -TERM "$SNAGWELL_PID"
check "the program ends on SIGTERM" wait_exit "$SNAGWELL_PID"
check "the settings file is whole after the last run" whole_settings "$run/RAVuvivo.vov" PNG
finish
