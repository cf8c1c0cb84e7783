#!/usr/bin/env bash
# The program's life end to end: a first run, a second instance, the stop
# requests, and a start from an old day folder.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
run=$WORK/run
day=$run/SWData/$(today)
mkdir "$run"
vov "$day" ' 0 ' ' 0 ' ﾕｰｻﾞｰ名 '' '-1 ' JPG ' 7日前' '' ' 0 ' '' '' >"$WORK/first.vov"

# stop <signal> <folder> <expected settings>: an orderly end that writes them.
stop() {
    rm "$2/RAVuvivo.vov"
    kill -"$1" "$PID"
    check "SIG$1 ends the program" wait_for 15 ended "$PID"
    check "SIG$1 writes the settings" cmp "$2/RAVuvivo.vov" "$3"
}

status=0
out=$(cd "$run" && DISPLAY=:99 QT_QPA_PLATFORM= "$SNAGWELL" 2>&1) || status=$?
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
check "the first instance runs on" kill -0 "$first"
PID=$first stop TERM "$run" "$WORK/first.vov"

# A later start from an old day folder says nothing and enters today's.
old() { vov "$1" ' 1 ' ' 0 ' PC名 '' '-1 ' PNG しない '' ' 0 ' '' ''; }
for signal in HUP INT; do
    run=$WORK/$signal
    mkdir -p "$run/SWData/05Nov14"
    old "$run/SWData/05Nov14" >"$run/RAVuvivo.vov"
    old "$run/SWData/$(today)" >"$WORK/$signal.vov"
    start "$run"
    check "a start from an old day folder makes today's" wait_for 15 test -d "$run/SWData/$(today)"
    check "a later start shows the settings window" shown '^Snagwell 設定$'
    sleep 0.5
    check "a later start shows no message" none '^Snagwell$' 100
    stop "$signal" "$run" "$WORK/$signal.vov"
done
finish
