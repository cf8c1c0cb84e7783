#!/usr/bin/env bash
# The storage folders end to end: midnight, and the drive list.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
need xwininfo
# The clock's library itself: the faketime command would not pass on signals.
libfaketime=$(compgen -G '/usr/lib/*/faketime/libfaketime.so.1' | head -1) ||
    skip "libfaketime is not installed (package faketime)"

# The user's own folder is on another volume where root can mount one.
volume=
if [ "$(id -u)" = 0 ] && mkdir "$WORK/volume" && mount -t tmpfs -o size=4m tmpfs "$WORK/volume" 2>/dev/null; then
    volume=$WORK/volume
    # set +e: the status handed on to cleanup must not end the trap itself.
    trap 'status=$?; set +e; umount -l "$WORK/volume" 2>/dev/null; (exit $status); cleanup' EXIT
fi

# Two programs 13 s before midnight (runtime folders of their own): one in the
# day's folder, one in a folder of the user's own.
day=$WORK/day
other=${volume:-$WORK}/other
mkdir -p "$day/SWData" "$other/notes"
vov "$day/SWData" ' 1 ' ' 0 ' 登録名 e2e ' 0 ' JPG 'しない' '' ' 0 ' '' '' >"$day/RAVuvivo.vov"
vov "$other/notes" ' 1 ' ' 0 ' 登録名 e2e ' 0 ' JPG 'しない' '' ' 0 ' '' '' >"$other/RAVuvivo.vov"
started=$SECONDS
for run in "$day" "$other"; do
    # A sanitized build must not mind the clock's library loaded first.
    start "$run" XDG_RUNTIME_DIR="$(mktemp -d "$WORK/xdg.XXXXXX")" LD_PRELOAD="$libfaketime" FAKETIME='@2030-03-31 23:59:47' \
        ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0"
done
pids=("${PIDS[@]: -2}")
check "both start (settings windows shown)" wait_for 15 eval '(($(windows "^Snagwell 設定$" | wc -l) == 2))'
printf 'before' | xclip -selection clipboard
check "before midnight a copy lands in the day's folder 30Mar31" \
    wait_for 5 test -s "$day/SWData/30Mar31/e2e001.txt"
((SECONDS - started < 12)) || fail "the start took so long that the copy came after midnight"
sleep $((15 - (SECONDS - started)))
printf 'after' | xclip -selection clipboard
check "after midnight a copy lands in the new day's folder 30Apr01" \
    wait_for 5 cmp -s "$day/SWData/30Apr01/e2e001.txt" <(printf 'after\r\n')
line1() { [ "$(head -n 1 "$1/RAVuvivo.vov" | tr -d '\r')" = "$2" ]; }
check "the browser follows: 30Apr01 is the saved folder" wait_for 5 line1 "$day" "$day/SWData/30Apr01"
check "the user's own folder keeps the copy after midnight, no day folder made" \
    wait_for 5 eval 'cmp -s "$other/notes/e2e002.txt" <(printf "after\r\n") && test ! -e "$other/SWData"'
PID=${pids[0]} quit "the program in the day's folder"
PID=${pids[1]}
if [ -z "$volume" ]; then
    echo "SKIP: no second volume to leave (not root)"
else
    settings=$(window '^Snagwell 設定$') || fail "the settings window is shown"
    xwininfo -root -tree >"$WORK/before"
    xdotool mousemove --window "$settings" 100 110 click 1 # opens the drive list
    # The list's pop-up: a new window of the program's own.
    popup() {
        xwininfo -root -tree | { diff "$WORK/before" - || true; } |
            awk '/^> .*\("snagwell"/ && $0 !~ /Snagwell 設定/ { print $2 }' | head -1
    }
    id=
    wait_for 5 eval 'id=$(popup); [ -n "$id" ]' || fail "the drive list opens"
    eval "$(xdotool getwindowgeometry --shell "${id:-0}" 2>/dev/null)" || true
    xdotool mousemove $((${X:-0} + 20)) $((${Y:-0} + 10)) click 1 # the first entry: "/"
    check "choosing / moves the browser to / (saved folder /)" wait_for 5 line1 "$other" /
    check "no message box comes up" none '^Snagwell$' 100
fi
quit "the program in the user's folder"

finish
