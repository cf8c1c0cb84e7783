#!/usr/bin/env bash
# The program's life end to end: a first run, a second instance, the stop
# requests, a start from an old day folder and a display that goes away.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
run=$WORK/run
day=$run/SWData/$(today)
mkdir "$run"
vov "$day" ' 0 ' ' 0 ' ﾕｰｻﾞｰ名 '' '-1 ' JPG ' 7日前' '' ' 0 ' '' '' >"$WORK/first.vov"

# The command line answers without a display, as from a text console.
console() { (cd "$run" && env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$SNAGWELL" "$@" 2>&1); }
check "--version answers without a display" test "$(console --version)" = "Snagwell 2.0.4"
check "a wrong option is refused, exit 2" eval 'out=$(console -x); [ $? = 2 ] && grep -q "^Unknown option .x.\.$" <<<"$out"'
out=$(cd "$run" && DISPLAY=:99 QT_QPA_PLATFORM= "$SNAGWELL" 2>&1) && status=0 || status=$?
check "a display that cannot be opened is named, exit 1" test "$status" = 1 -a -n "$(grep -F ':99' <<<"$out")"
start "$run"
first=$PID
check "a first run shows its message (設定を初期化しました。)" answer '^Snagwell$'
check "a first run writes the settings byte for byte" wait_for 5 cmp -s "$run/RAVuvivo.vov" "$WORK/first.vov"
check "a first run makes SWData/$(today)" test -d "$day"
check "without a tray the settings window is shown" shown '^Snagwell 設定$'

before=$(md5sum <"$run/RAVuvivo.vov")
start "$run"
check "a second instance shows its message (snagwellは起動しています)" answer '^Snagwell$'
check "a second instance ends" wait_for 15 ended "$PID"
check "a second instance touches nothing" \
    test "$(md5sum <"$run/RAVuvivo.vov")" = "$before" -a -z "$(ls -A "$day")"
start "$WORK"
shown '^Snagwell$' 15 100 || fail "a second instance shows its message again"
kill -TERM "$PID"
check "SIGTERM during the second instance's message ends it within a second" wait_for 1 ended "$PID"
rm "$run/RAVuvivo.vov"
kill -HUP "$first"
check "SIGHUP ends the program" wait_for 15 ended "$first"
check "SIGHUP writes the settings" cmp "$run/RAVuvivo.vov" "$WORK/first.vov"

lost=$WORK/lost
mkdir "$lost"
vov "$WORK/gone/SWData/$(today)" ' 1 ' ' 0 ' 登録名 abc ' 0 ' PNG 30日前 '' ' 0 ' '' '' >"$lost/RAVuvivo.vov"
cp "$lost/RAVuvivo.vov" "$WORK/lost.vov"
start "$lost"
check "a saved folder that is gone is said (保存先…が見つかりません)" shown '^Snagwell$' 15 100
kill -TERM "$PID"
check "SIGTERM during that message ends the program within a second" wait_for 1 ended "$PID"
check "... writes no settings and makes no folder" \
    test "$(ls "$lost")" = RAVuvivo.vov -a "$(md5sum <"$lost/RAVuvivo.vov")" = "$(md5sum <"$WORK/lost.vov")"

# A later start from an old day folder, on a display of its own. ﾃｷｽﾄ自動保存,
# greyed in the file, is clicked on, off, on; then off, and at once the
# display goes away.
exec 6< <(Xvfb -displayfd 1 -noreset -screen 0 1280x800x24 -nolisten tcp 2>"$WORK/xvfb2.log")
xvfb=$!
PIDS+=("$xvfb")
read -r -t 20 lost <&6 || skip "a second Xvfb did not start"
export DISPLAY=:$lost
run=$WORK/display
past=$(LC_ALL=C date -d '10 days ago' +%y%b%d)
mine=(2020bak 1_notes 26Dec99 26Feb30 26xyz01 26dec01 26Dec01x) # no dates
for name in "${mine[@]}" 25Dec01 24Feb29 "$past"; do
    mkdir -p "$run/SWData/$name"
    echo notes >"$run/SWData/$name/notes.txt"
    touch -d '10 days ago' "$run/SWData/$name"
done
old() { vov "$run/SWData/$1" "$2" ' 0 ' PC名+ﾕｰｻﾞｰ名 '' '-1 ' PNG ' 7日前' '' ' 0 ' '' ''; }
old "$past" ' 2 ' >"$run/RAVuvivo.vov"
old "$(today)" ' 0 ' >"$WORK/display.vov"
start "$run"
check "a start from an old day folder makes today's" wait_for 15 test -d "$run/SWData/$(today)"
window=$(window '^Snagwell 設定$') || fail "a later start shows the settings window"
sleep 0.5
check "a later start shows no message" none '^Snagwell$' 100
xdotool mousemove --window "$window" 91 65 click 1 # the tab 設定
sleep 0.3
autosave() { xdotool mousemove --window "$window" 21 285 click 1 && sleep "$1"; }
autosave 0.3 && autosave 0.3 && autosave 0.3
printf 'both names' | xclip -selection clipboard
name=$(hostname | cut -d. -f1)$(id -un)001.txt
check "a text is saved as $name (PC名+ﾕｰｻﾞｰ名)" wait_for 10 test -s "$run/SWData/$(today)/$name"
autosave 0.2 # shorter than the wait before a changed setting is saved
kill "$xvfb"
check "a lost display ends the program" wait_for 10 ended "$PID"
check "... the setting changed just before is written" cmp "$run/RAVuvivo.vov" "$WORK/display.vov"
check "... and the old day folders are deleted, with the leap day 24Feb29" \
    test ! -e "$run/SWData/$past" -a ! -e "$run/SWData/25Dec01" -a ! -e "$run/SWData/24Feb29"
kept() { local name; for name; do [ -s "$run/SWData/$name/notes.txt" ] || return 1; done; }
check "... but not old folders that name no date: ${mine[*]}" kept "${mine[@]}"
finish
