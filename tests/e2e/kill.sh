#!/usr/bin/env bash
# Kills end to end: with writes and renames slowed down (libslowio), SIGKILL at
# random moments while copies arrive and while the settings are written at SIGTERM.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
shopt -s extglob
need convert identify djpeg
slowio=$(dirname "$SNAGWELL")/libslowio.so
[ -e "$slowio" ] || skip "$slowio is not built"
# A sanitized program wants its runtime first.
preload="$(ldd "$SNAGWELL" | awk '/libasan/ {print $3}') $slowio"
run=$WORK/run
day=$run/SWData/$(today)
mkdir -p "$day"
formats=(PNG JPG BMP)
# Kills while capturing, and at SIGTERM; the sanitized run asks for fewer.
read -r capturing stopping <<<"${SNAGWELL_KILL_ROUNDS:-25 15}"
settings() { vov "$day" ' 1 ' ' 0 ' 登録名 kl ' 0 ' "$1" ' 7日前' '' ' 0 ' '' ''; }
# A full-screen picture: its pixel signature tells a whole capture.
convert -size 1920x1080 gradient:red-blue -fill yellow -draw 'rectangle 300,100 500,900' "png24:$WORK/1.png"
signature=$(identify -format '%#' "$WORK/1.png")
text() { printf 'kill test copy %s\r\nこんにちは %s\r\n' "$1" "$1" | iconv -f UTF-8 -t CP932; }
copy_text() { printf 'kill test copy %d\nこんにちは %d' "$1" "$1" | xclip -selection clipboard; }
start_slowed() { # start_slowed <format> <µs before a write> <µs before a rename or link>
    settings "$1" >"$run/RAVuvivo.vov"
    start "$run" LD_PRELOAD="$preload" SLOWIO_WRITE_US="$2" SLOWIO_PUBLISH_US="$3"
    shown '^Snagwell 設定$' 20
}

declare -A seen
whole=() problems=0 temporaries=0
problem() { echo "PROBLEM: $*" >&2 && problems=$((problems + 1)); }
intact() { # intact <capture>: it is whole.
    case $1 in
    *.txt) cmp -s "$1" <(text "$(head -n 1 "$1" | tr -dc 0-9)") ;;
    *.jpg) djpeg "$1" >/dev/null 2>&1 && [ "$(identify -format %wx%h "$1")" = 1920x1080 ] ;;
    *) [ "$(identify -regard-warnings -format '%#' "$1" 2>&1)" = "$signature" ] ;;
    esac
}
# leftovers <format>: what the killed run left is whole or a hidden temporary.
leftovers() {
    local path name
    cmp -s "$run/RAVuvivo.vov" <(settings "$1") ||
        problem "the settings file is not whole: $(od -c "$run/RAVuvivo.vov" | head -n 3)"
    for path in "$run"/RAVuvivo.vov?* "$run"/.[!.]* "$day"/* "$day"/.[!.]*; do
        if [ ! -e "$path" ] || [ -n "${seen[$path]:-}" ]; then continue; fi
        seen[$path]=1
        name=${path##*/}
        case $name in
        .RAVuvivo.vov) cmp -s "$path" <(settings "$1") || problem "$name is not a whole settings file" ;;
        .RAVuvivo.vov.?????? | .kl[0-9][0-9][0-9]*.@(txt|bmp|jpg|png).??????) temporaries=$((temporaries + 1)) ;;
        kl[0-9][0-9][0-9]*.@(txt|bmp|png|jpg)) intact "$path" && whole+=("$path") || problem "$name is not whole" ;;
        *) problem "a stranger: $name" ;;
        esac
    done
    for path in "${whole[@]}"; do [ -e "$path" ] || problem "${path##*/} was lost"; done
}

for ((round = 1; round <= capturing; round++)); do
    format=${formats[round % 3]}
    start_slowed "$format" 5000 20000 || fail "the program starts after kill $round"
    for ((k = 0; k < 6; k++)); do
        if ((k % 2)); then copy_text "$round$k"; else xclip -selection clipboard -t image/png -i "$WORK/1.png"; fi
        sleep 0.25
    done &
    feeder=$!
    sleep "$(printf '%d.%03d' $((RANDOM % 2)) $((RANDOM % 1000)))"
    kill -KILL "$PID" "$feeder" 2>/dev/null || true
    wait "$PID" "$feeder" 2>/dev/null || true
    leftovers "$format"
done
captured=${#whole[@]}
hits=0
for ((round = 1; round <= stopping; round++)); do
    format=${formats[round % 3]}
    start_slowed "$format" 100000 60000 || fail "the program starts after kill $((capturing + round))"
    copy_text "$round"
    sleep 0.3
    kill -TERM "$PID"
    sleep "$(printf '0.%03d' $((RANDOM % 250)))"
    ! kill -KILL "$PID" 2>/dev/null || hits=$((hits + 1))
    wait "$PID" 2>/dev/null || true
    leftovers "$format"
done
echo "FIGURE: $((capturing + stopping)) kills ($hits at SIGTERM), ${#whole[@]} whole captures, $temporaries temporaries"
check "the kills while capturing came after enough captures to prove anything" \
    test "$captured" -gt "$capturing"

# The next start clears the temporaries left and planted ones of each capture
# kind, and nothing else: not the user's hidden files, a link, the settings'
# temporary, a kind the program does not make, nor one in a subfolder.
highest=$(ls "$day" | sed -n 's/^kl\([0-9]*\)\..*/\1/p' | sort -n | tail -n 1)
next=$(printf 'kl%03d.txt' $((10#${highest:-0} + 1)))
mkdir "$day/sub"
touch "$day"/.kl90{0.txt.AbCdEf,1.jpeg.x9Y8z7,2.bmp.ZZZZZZ}
kept=(.my-notes .kl903.txt.long-suffix .kl904.gif.AbCdEf .RAVuvivo.vov.AbCdEf sub/.kl905.txt.AbCdEf .kl906.txt.LiNk01)
(cd "$day" && touch "${kept[@]::5}" && ln -s .my-notes "${kept[5]}")
settings PNG >"$run/RAVuvivo.vov"
begin "$run"
left() { find "$day" -maxdepth 1 -regextype posix-extended -regex '.*/\.kl[0-9]+\.(txt|jpe?g|bmp|png)\.\w{6}' ! -type l; }
check "start-up clears the program's temporaries" wait_for 5 eval '[ -z "$(left)" ]'
check "... nothing else: ${kept[*]}" eval '(cd "$day" && ls -d "${kept[@]}" >/dev/null)'
for path in "${whole[@]}"; do [ -e "$path" ] || problem "${path##*/} is gone after start-up"; done
check "after every kill every file is whole or a temporary, and no capture is lost" test "$problems" -eq 0
copy_text 0
check "a text copied after the kills lands as $next" wait_for 15 cmp -s "$day/$next" <(text 0)
quit
finish
