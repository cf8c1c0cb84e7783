# Shared steps of the end-to-end tests: a private X server, the real
# executable in a fresh working folder, and a person's hands (xdotool, xclip).
# shellcheck shell=bash

set -euo pipefail

SNAGWELL=$(realpath "${1:?usage: $0 <path to snagwell>}")
WORK=$(mktemp -d "${TMPDIR:-/tmp}/snagwell-e2e.XXXXXX")
export XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
export LC_ALL=C.UTF-8
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
PIDS=()
failures=0

cleanup() {
    local status=$?
    if ((status != 0 && status != 77)) && [ -s "$WORK/snagwell.log" ]; then
        echo "the program's log:" >&2
        cat "$WORK/snagwell.log" >&2
    fi
    for pid in "${PIDS[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

pass() {
    echo "PASS: $*"
}

check() { # check <description> <command...>
    local what=$1
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}

start_x() {
    for tool in Xvfb xdotool xclip; do
        command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
    done
    exec 5< <(Xvfb -displayfd 1 -screen 0 1280x800x24 -nolisten tcp 2>/dev/null)
    PIDS+=($!)
    local number
    read -r -t 20 number <&5 || { echo "SKIP: Xvfb did not start"; exit 77; }
    export DISPLAY=":$number"
    # The server is there once a client can talk to it.
    for ((i = 0; i < 100; i++)); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "SKIP: Xvfb does not answer on $DISPLAY"
    exit 77
}

# start_snagwell <folder>: starts the program with that working folder; the
# process id lands in SNAGWELL_PID.
start_snagwell() {
    local folder=$1 status
    for attempt in 1 2; do
        local mark
        mark=$(wc -c <"$WORK/snagwell.log" 2>/dev/null || echo 0)
        (cd "$folder" && exec "$SNAGWELL" >>"$WORK/snagwell.log" 2>&1) &
        SNAGWELL_PID=$!
        PIDS+=("$SNAGWELL_PID")
        # A program that could not reach the X server at all ends at once
        # (Qt aborts); that is the machine's trouble, not the program's, and
        # one more start is tried. Any other early end is left for the
        # test's checks to find.
        for ((i = 0; i < 30; i++)); do
            kill -0 "$SNAGWELL_PID" 2>/dev/null || break
            [ -n "$(xdotool search --pid "$SNAGWELL_PID" 2>/dev/null | head -n 1)" ] && return 0
            sleep 0.1
        done
        kill -0 "$SNAGWELL_PID" 2>/dev/null && return 0
        status=0
        wait "$SNAGWELL_PID" 2>/dev/null || status=$?
        if ((attempt == 1)) && tail -c +"$((mark + 1))" "$WORK/snagwell.log" |
            grep -qiE 'could not connect to display|platform plugin'; then
            echo "note: the program could not reach $DISPLAY (exit $status); starting it again" >&2
            continue
        fi
        return 0
    done
}

# visible_windows <name regex> [min width]: ids of the visible windows of
# that name at least that wide (a tray icon may carry a name too).
visible_windows() {
    local name=$1 min=${2:-0} id width
    for id in $(xdotool search --onlyvisible --name "$name" 2>/dev/null); do
        width=$(xwininfo -id "$id" 2>/dev/null | awk '/Width:/ {print $2}')
        if [ -n "$width" ] && [ "$width" -ge "$min" ]; then
            echo "$id"
        fi
    done
}

# wait_for_window <name regex> [seconds] [min width]: prints the window id.
wait_for_window() {
    local name=$1 seconds=${2:-15} min=${3:-0} id
    for ((i = 0; i < seconds * 10; i++)); do
        id=$(visible_windows "$name" "$min" | head -n 1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# answer_box [key] [title regex]: answers the message box with that title
# ("Snagwell" by default; Return: OK).
answer_box() {
    local title=${2:-^Snagwell$} key=${1:-Return} id
    id=$(wait_for_window "$title" 15 100) || return 1
    xdotool windowfocus --sync "$id" 2>/dev/null || true
    xdotool key "$key"
    for ((i = 0; i < 50; i++)); do
        [ -z "$(visible_windows "$title" 100)" ] && return 0
        sleep 0.1
    done
    return 1
}

# shown <name regex>: a window of that name is on the screen.
shown() {
    wait_for_window "$1" >/dev/null
}

# wait_exit <pid> [seconds]
wait_exit() {
    local pid=$1 seconds=${2:-15}
    for ((i = 0; i < seconds * 10; i++)); do
        kill -0 "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null || true; return 0; }
        sleep 0.1
    done
    return 1
}

# wait_file <path> [seconds]
wait_file() {
    local path=$1 seconds=${2:-15}
    for ((i = 0; i < seconds * 10; i++)); do
        [ -e "$path" ] && return 0
        sleep 0.1
    done
    return 1
}

today() {
    LC_ALL=C date +%y%b%d
}

finish() {
    if ((failures)); then
        echo "$failures check(s) failed" >&2
        exit 1
    fi
    echo "all checks passed"
}
