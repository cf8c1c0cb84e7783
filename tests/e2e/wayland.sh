#!/usr/bin/env bash
# 画面保存 on a Wayland desktop: a headless sway with XWayland and the
# desktop's screenshot portal on a private session bus. The button's picture
# is the real screen, and the portal's file is gone; without a portal the
# failure is told.
set -euo pipefail
if [ "$(id -u)" = 0 ]; then # sway refuses root: nobody runs a copy of the test
    command -v sway >/dev/null && command -v setpriv >/dev/null || { echo "SKIP: sway is not installed"; exit 77; }
    home=$(mktemp -d) reports=
    chmod 755 "$home"
    cp "$(realpath "$1")" "$(dirname "$(realpath "$1")")"/lib*.so "$(dirname "$0")/lib.sh" "$home"
    cp "$0" "$home/wayland.sh"
    rm -f /tmp/out.png # where the wlroots portal puts its picture: another user's stops it
    # The sanitized run's suppressions and reports, where nobody reaches them.
    for var in ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS; do
        [[ ${!var:-} =~ (log_path|suppressions)=([^:]*) ]] || continue
        cp "${BASH_REMATCH[2]}" "$home" 2>/dev/null || reports=$(dirname "${BASH_REMATCH[2]}")
        export "$var=${!var/${BASH_REMATCH[2]}/$home/${BASH_REMATCH[2]##*/}}"
    done
    chown -R nobody "$home"
    status=0
    HOME=$home TMPDIR=$home setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups \
        bash "$home/wayland.sh" "$home/snagwell" || status=$?
    [ -z "$reports" ] || cp "$home"/*san.* "$reports" 2>/dev/null || true
    rm -rf "$home"
    exit "$status"
fi
E2E_NO_X=1 source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
need sway swaymsg Xwayland xdotool dbus-daemon dbus-update-activation-environment pipewire grim convert \
    /usr/libexec/xdg-desktop-portal /usr/libexec/xdg-desktop-portal-wlr /usr/libexec/xdg-desktop-portal-gtk
export XDG_CURRENT_DESKTOP=sway:GNOME WLR_BACKENDS=headless WLR_RENDERER=pixman
# bus <name> [config]: a session bus of its own, with the desktop's services or the one given.
bus() {
    dbus-daemon --nofork --address="unix:path=$XDG_RUNTIME_DIR/$1" "${2:---session}" >>"$WORK/log" 2>&1 &
    PIDS+=($!)
    wait_for 10 test -S "$XDG_RUNTIME_DIR/$1"
}
bus portals
printf '<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy></busconfig>' >"$WORK/bare.conf"
bus bare --config-file="$WORK/bare.conf"
export DBUS_SESSION_BUS_ADDRESS=unix:path=$XDG_RUNTIME_DIR/portals
cat >"$WORK/sway.cfg" <<EOF
output * mode 1024x768 bg #ff0000 solid_color
xwayland enable
for_window [title=".*"] floating enable, border none
exec echo "\$DISPLAY" >$WORK/display
EOF
sway -c "$WORK/sway.cfg" >>"$WORK/log" 2>&1 &
PIDS+=($!)
wait_for 10 test -s "$WORK/display" || skip "sway does not start here"
export WAYLAND_DISPLAY=$(cd "$XDG_RUNTIME_DIR" && ls wayland-? | head -1) SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*)
pipewire >>"$WORK/log" 2>&1 &
PIDS+=($!)
dbus-update-activation-environment WAYLAND_DISPLAY XDG_CURRENT_DESKTOP XDG_RUNTIME_DIR
# on <title regex>: sway shows such a window.
on() { swaymsg -q "[title=\"$1\"] floating enable" 2>/dev/null; }
quit() { kill -TERM "$PID"; check "the program ends on SIGTERM" wait_for 15 ended "$PID"; }
# click <folder> [VAR=value...]: the program there with its button window, whose button is clicked.
click() {
    mkdir -p "$1/SWData"
    vov "$1/SWData" ' 0 ' ' 0 ' 登録名 ps ' 0 ' JPG ' 7日前' '' ' 2 ' 1500 3000 >"$1/RAVuvivo.vov"
    (cd "$1" && exec env DISPLAY="$(cat "$WORK/display")" "${@:2}" "$SNAGWELL" >>"$WORK/log" 2>&1) &
    PID=$!
    PIDS+=("$PID")
    wait_for 20 swaymsg -q '[title="^ps$"] move position 20 20' 2>/dev/null || fail "the button window is shown"
    sleep 0.5
    # The seat of a headless sway has no pointer for its own cursor commands
    # to reach a window with; XWayland takes XTEST clicks.
    DISPLAY=$(cat "$WORK/display") xdotool mousemove 86 35 click 1
}
# rgb <picture> <area>: the mean colour there, 0-255 each.
rgb() { convert "$1" -crop "$2" -format '%[fx:int(255*mean.r)] %[fx:int(255*mean.g)] %[fx:int(255*mean.b)]' info:; }
red() { local c=($(rgb "$@")); ((c[0] > 235 && c[1] < 20 && c[2] < 20)); }

day=$WORK/run/SWData/$(today)
click "$WORK/run"
check "画面保存 captures the output through the portal as ps001.jpg" wait_for 20 is "$day/ps001.jpg" 'JPEG 1024x768'
check "the picture shows the red background" red "$day/ps001.jpg" 100x100+900+650
check "the button window is in the picture, as on X11" eval '! red "$day/ps001.jpg" 100x40+30+25'
check "the portal's file is removed" test ! -e /tmp/out.png
check "nothing is told while all goes well" eval '! on ^Snagwell$'
quit

click "$WORK/bare" DBUS_SESSION_BUS_ADDRESS="unix:path=$XDG_RUNTIME_DIR/bare"
check "without a portal the failure is told" wait_for 10 on '^Snagwell$'
check "and nothing is saved" test -z "$(ls "$WORK/bare/SWData/$(today)")"
quit
finish
