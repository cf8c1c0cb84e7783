# Shared steps of the end-to-end tests: a private X server, the real program, xdotool and xclip.
# shellcheck shell=bash
set -euo pipefail
SNAGWELL=$(realpath "${1:?usage: $0 <path to snagwell>}")
WORK=$(mktemp -d "${TMPDIR:-/tmp}/snagwell-e2e.XXXXXX")
export XDG_RUNTIME_DIR=$WORK/xdg LC_ALL=C.UTF-8 QT_QPA_PLATFORM=xcb
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY XDG_SESSION_TYPE
# Not the machine's printers: a socket where no scheduler listens but the test's own.
export CUPS_SERVER=$WORK/no-cups.sock
unset PRINTER LPDEST
PIDS=()
failures=0
cleanup() {
    local status=$?
    if ((status != 0 && status != 77)); then
        { echo "the program's log:"; cat "$WORK/log"; echo "Xvfb:"; cat "$WORK/xvfb.log"; } >&2 2>/dev/null || true
    fi
    kill "${PIDS[@]}" 2>/dev/null || true
    wait 2>/dev/null || true
    wait_for 5 test ! -e "/tmp/.X${display:-}-lock" || true # the X server is gone
    rm -rf "$WORK"
}
trap cleanup EXIT

skip() { echo "SKIP: $*"; exit 77; }
need() { for tool; do command -v "$tool" >/dev/null || skip "$tool is not installed"; done; }
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
check() { if "${@:2}"; then echo "PASS: $1"; else fail "$1"; fi; }
finish() {
    ((failures == 0)) || { echo "$failures check(s) failed" >&2; exit 1; }
    echo "all checks passed"
}
# wait_for <seconds> <command...>: true once the command is, within that time.
wait_for() {
    local i
    for ((i = 0; i < $1 * 10; i++)); do "${@:2}" && return 0; sleep 0.1; done
    return 1
}
ended() { ! kill -0 "$1" 2>/dev/null; }
today() { LC_ALL=C date +%y%b%d; }
is() { [ "$(identify -format '%m %wx%h' "$1" 2>/dev/null)" = "$2" ]; }
# vov <line...>: a settings file of these lines, CP932 with CR LF.
vov() { printf '%s\r\n' "$@" | iconv -f UTF-8 -t CP932; }

# start <folder> [VAR=value...]: the program in that folder, its id in PID.
start() {
    (cd "$1" && exec env "${@:2}" "$SNAGWELL" >>"$WORK/log" 2>&1) &
    PID=$!
    PIDS+=("$PID")
}
# begin <folder> [VAR=value...]: start, and the settings window is shown.
begin() { start "$@"; shown '^Snagwell 設定$' 20 || fail "the settings window is shown"; }
# quit [who] [signal]: SIGTERM or that signal, and the program ends.
quit() {
    kill -"${2:-TERM}" "$PID"
    check "${1:-the program} ends on SIG${2:-TERM}" wait_for 15 ended "$PID"
}
# windows <title regex> [min width]: the ids of such windows on the screen.
windows() {
    local id WIDTH
    for id in $(xdotool search --onlyvisible --name "$1" 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null)"
        ((${WIDTH:-0} >= ${2:-0})) && echo "$id"
    done
    return 0
}
none() { [ -z "$(windows "$@")" ]; }
# window <title regex> [seconds] [min width]: the id of the first one shown.
window() {
    local i ids
    for ((i = 0; i < ${2:-15} * 10; i++)); do
        ids=$(windows "$1" "${3:-0}")
        [ -n "$ids" ] && echo "${ids%%$'\n'*}" && return 0
        sleep 0.1
    done
    return 1
}
shown() { window "$@" >/dev/null; }
# answer <title regex>: that message box is shown and closes on Return.
answer() {
    local id
    id=$(window "$1" 15 100) || return 1
    xdotool windowfocus --sync "$id" 2>/dev/null || true
    xdotool key Return
    wait_for 5 none "$1" 100
}

[ -z "${E2E_NO_X:-}" ] || return 0
need Xvfb xdotool xclip xdpyinfo
# -noreset: a server resetting as its last client (the probe) leaves refuses clients.
exec 5< <(Xvfb -displayfd 1 -noreset -screen 0 1280x800x24 -nolisten tcp 2>"$WORK/xvfb.log")
PIDS+=($!)
read -r -t 20 display <&5 || skip "Xvfb did not start"
export DISPLAY=:$display
wait_for 10 xdpyinfo >/dev/null 2>&1 || skip "Xvfb does not answer on $DISPLAY"
