#!/usr/bin/env bash
# The application shell end to end: first run, second instance, signals.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
start_x

run=$WORK/first
mkdir -p "$run"
settings=$run/RAVuvivo.vov

# First run: the settings are initialised and said so; without a tray the
# settings window is shown.
start_snagwell "$run"
first=$SNAGWELL_PID
check "first run says the settings were initialised" answer_box Return
check "first run writes the settings file" wait_file "$settings"
day=$run/SWData/$(today)
expected=$(printf '%s\r\n 0 \r\n 0 \r\n\xd5\xb0\xbb\xde\xb0\x96\xbc\r\n\r\n-1 \r\nJPG\r\n 7\x93\xfa\x91O\r\n\r\n 0 \r\n\r\n\r\n' "$day" | od -An -tx1)
check "the settings file holds the first-run values byte for byte" \
    test "$(od -An -tx1 <"$settings")" = "$expected"
check "first run makes SWData and today's folder" test -d "$day"
check "without a tray the settings window is shown" shown '^Snagwell 設定$'

# A second instance says so and ends, touching nothing.
before=$(md5sum <"$settings")
start_snagwell "$run"
second=$SNAGWELL_PID
check "a second instance shows its message" answer_box Return
check "a second instance ends" wait_exit "$second"
check "a second instance leaves the settings file alone" test "$(md5sum <"$settings")" = "$before"
check "the first instance still runs" kill -0 "$first"

# SIGTERM ends the program as a confirmed quit: the settings are written.
rm "$settings"
kill -TERM "$first"
check "SIGTERM ends the program" wait_exit "$first"
check "SIGTERM writes the settings" test -s "$settings"
check "the settings written at SIGTERM are those read" \
    test "$(od -An -tx1 <"$settings")" = "$expected"

# A later start says nothing and goes on from today's folder.
start_snagwell "$run"
later=$SNAGWELL_PID
check "a later start shows the settings window" shown '^Snagwell 設定$'
sleep 1
check "a later start shows no message" \
    test -z "$(xdotool search --onlyvisible --name '^Snagwell$' 2>/dev/null || true)"
kill -HUP "$later"
check "SIGHUP ends the program" wait_exit "$later"

# A start whose settings name yesterday's day folder ends in today's.
run2=$WORK/later
mkdir -p "$run2/SWData/05Nov14"
printf '%s\r\n 1 \r\n 0 \r\nPC名\r\n\r\n-1 \r\nPNG\r\nしない\r\n\r\n 0 \r\n\r\n\r\n' \
    "$run2/SWData/05Nov14" | iconv -f UTF-8 -t CP932 >"$run2/RAVuvivo.vov"
start_snagwell "$run2"
pid=$SNAGWELL_PID
check "a start from an old day folder makes today's" wait_file "$run2/SWData/$(today)"
wait_for_window '^Snagwell 設定$' >/dev/null || true
kill -INT "$pid"
check "SIGINT ends the program" wait_exit "$pid"
check "the settings now name today's folder" \
    grep -q "^$run2/SWData/$(today)"$'\r'"$" "$run2/RAVuvivo.vov"
check "the other settings survive" grep -q "^PNG"$'\r'"$" "$run2/RAVuvivo.vov"

finish
