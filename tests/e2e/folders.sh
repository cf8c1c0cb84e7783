#!/usr/bin/env bash
# Where the settings and the lock live, end to end.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
past=$(LC_ALL=C date -d '17 days ago' +%y%b%d)

# A start-up folder named in Latin-1 (café) with a line break, which no line of
# the settings file can hold; the second start browses to another such folder.
run=$WORK/$'caf\xe9\nbreak'
mkdir -p "$run/SWData/$past"
echo kept >"$run/SWData/$past/user001.txt"
touch -d '17 days ago' "$run/SWData/$past"
vov '' ' 1 ' ' 0 ' ﾕｰｻﾞｰ名 '' '-1 ' JPG 30日前 '' ' 0 ' '' '' >"$run/RAVuvivo.vov"
for round in first second; do
    start "$run"
    check "the $round start from that folder enters today's folder" \
        wait_for 15 test -d "$run/SWData/$(today)"
    window=$(window '^Snagwell 設定$') || fail "the settings window is shown"
    sleep 0.5
    check "... and says nothing" none '^Snagwell$' 100
    if [ $round = second ]; then
        printf 'in the folder' | xclip -selection clipboard
        check "... a text is saved in today's folder there" \
            wait_for 10 test -s "$run/SWData/$(today)/$(id -un)001.txt"
        xdotool mousemove --window "$window" 40 133 click 1 # "/" in the folder list
        xdotool key End Return                              # the folder x⏎y, entered
        check "entering a folder with a line break is refused with a message" answer '^Snagwell$'
        sleep 1
    fi
    quit "the $round start"
    check "... the settings file keeps its twelve lines" test "$(tr -cd '\n' <"$run/RAVuvivo.vov" | wc -c)" = 12
    check "... the capture of 17 days ago stays (30日前 read)" test -s "$run/SWData/$past/user001.txt"
    mkdir -p "$run/SWData/$(today)/"$'x\ny'
done

# No usable runtime folder: each user's lock is in the temporary folder. In a
# shared folder, another user's link as the settings file.
if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null; then
    shared=$WORK/tmp
    mkdir -m 1777 "$shared" "$WORK/shared"
    mkdir -m 755 "$WORK/public" # too open for a runtime folder
    mkdir -m 700 "$shared/runtime-root" "$shared/runtime-nobody"
    chown nobody "$shared/runtime-root" # each one somebody else's
    chmod 755 "$WORK"
    mkdir -m 777 "$WORK/nobody"
    run=$WORK/shared
    vov "$WORK/elsewhere" ' 1 ' ' 1 ' 登録名 victim ' 0 ' PNG 30日前 '' ' 1 ' '' '' >"$WORK/victim.vov"
    cp "$WORK/victim.vov" "$WORK/victim.orig"
    ln -s "$WORK/victim.vov" "$run/RAVuvivo.vov"
    chown -h nobody "$run/RAVuvivo.vov"
    start "$run" TMPDIR="$shared" XDG_RUNTIME_DIR="$WORK/public"
    check "without a runtime folder, beside another user's link (not read): a first run" answer '^Snagwell$'
    check "... its settings replace the link" \
        wait_for 5 test -f "$run/RAVuvivo.vov" -a ! -L "$run/RAVuvivo.vov"
    (cd "$WORK/nobody" && exec env TMPDIR="$shared" XDG_RUNTIME_DIR="$WORK/public" \
        setpriv --reuid=nobody --regid=nogroup --clear-groups "$SNAGWELL" >>"$WORK/log" 2>&1) &
    PIDS+=($!)
    check "another user's first run starts too" answer '^Snagwell$'
    check "... writes its own settings and runs on" \
        wait_for 5 test -s "$WORK/nobody/RAVuvivo.vov" -a -e "/proc/$!"
    check "each user's lock is named after the user" \
        test -e "$shared/snagwell-0.lock" -a -e "$shared/snagwell-$(id -u nobody).lock"
    kill -TERM $!
    quit "a start beside another user's link"
    check "... whose target is never written" cmp "$WORK/victim.vov" "$WORK/victim.orig"
fi
finish
