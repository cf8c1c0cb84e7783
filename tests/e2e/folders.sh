#!/usr/bin/env bash
# Where the settings live, end to end: a start-up folder whose name a line
# of the settings file cannot hold and that is not UTF-8, a folder with a
# line break in the browser, the instance lock without a runtime folder, and
# a settings file that is another user's link.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
need iconv
past=$(LC_ALL=C date -d '17 days ago' +%y%b%d)
lines() { tr -cd '\n' <"$1" | wc -c; }

# A start-up folder named in Latin-1 (café), with a line break: over two
# starts the program uses the folder's real name and its settings file keeps
# its twelve lines and what they hold, 30日前 with it, so a capture of 17
# days ago stays. The second start lands a capture in today's folder there,
# and is refused, with a message, a folder with a line break in the browser.
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
    check "... the settings file keeps its twelve lines" test "$(lines "$run/RAVuvivo.vov")" = 12
    check "... 30日前 stays in line 8" test "$(line "$run/RAVuvivo.vov" 8)" = 30日前
    check "... the capture of 17 days ago stays" test -s "$run/SWData/$past/user001.txt"
    mkdir -p "$run/SWData/$(today)/"$'x\ny'
done
check "nothing is made under another name" test "$(ls "$WORK" | grep -c caf)" = 1

# Where neither runtime folder can be used, each user's lock has a name of
# its own in the temporary folder: another user's start is no second
# instance. Another user's link as the settings file, in a shared folder, is
# neither read nor written through but replaced by the program's own file.
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
    check "without a runtime folder, beside another user's link: a first run" answer '^Snagwell$'
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
    check "... nor read" test "$(line "$run/RAVuvivo.vov" 4)" = ﾕｰｻﾞｰ名
fi
finish
