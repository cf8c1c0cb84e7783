#!/usr/bin/env bash
# 画面保存 on a headless sway with XWayland and the screenshot portal on a bus
# of the test's own: the picture is the real screen; without a portal it is told.
set -euo pipefail
if [ "$(id -u)" = 0 ]; then # sway refuses root: nobody runs a copy of the test
    home=$(mktemp -d) reports= status=0
    trap 'rm -rf "$home"' EXIT
    cp "$(realpath "$1")" "$(dirname "$(realpath "$1")")"/lib*.so "$0" "$(dirname "$0")/lib.sh" "$home"
    rm -f /tmp/out.png # where the wlroots portal puts its picture: another user's stops it
    # The sanitized run's suppressions and reports, where nobody reaches them.
    for var in ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS; do
        [[ ${!var:-} =~ (log_path|suppressions)=([^:]*) ]] || continue
        cp "${BASH_REMATCH[2]}" "$home" 2>/dev/null || reports=$(dirname "${BASH_REMATCH[2]}")
        export "$var=${!var/${BASH_REMATCH[2]}/$home/${BASH_REMATCH[2]##*/}}"
    done
    chmod 755 "$home" && chown -R nobody "$home"
    HOME=$home TMPDIR=$home setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups \
        bash "$home/${0##*/}" "$home/snagwell" || status=$?
    [ -z "$reports" ] || cp "$home"/{a,ub}san.[0-9]* "$reports" 2>/dev/null || true
    exit "$status"
fi
E2E_NO_X=1 source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
need sway swaymsg Xwayland xdotool dbus-daemon dbus-update-activation-environment pipewire grim \
    convert /usr/libexec/xdg-desktop-portal{,-wlr,-gtk}
# No accessibility bus: started by the GTK portal in the middle of the run, it
# now and then held the program and the portal for D-Bus's 25 s timeout.
export XDG_CURRENT_DESKTOP=sway:GNOME WLR_BACKENDS=headless WLR_RENDERER=pixman NO_AT_BRIDGE=1
bg() { "$@" >>"$WORK/log" 2>&1 & PIDS+=($!); }
# Two session buses of the test's own: with the desktop's services, and bare.
printf '<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy></busconfig>' >"$WORK/bare.conf"
bg dbus-daemon --nofork --address="unix:path=$XDG_RUNTIME_DIR/portals" --session
bg dbus-daemon --nofork --address="unix:path=$XDG_RUNTIME_DIR/bare" --config-file="$WORK/bare.conf"
export DBUS_SESSION_BUS_ADDRESS=unix:path=$XDG_RUNTIME_DIR/portals
printf '%s\n' 'output * mode 1024x768 bg #ff0000 solid_color' 'xwayland enable' \
    'for_window [title=".*"] floating enable, border none' "exec echo \$DISPLAY >$WORK/display" >"$WORK/sway.cfg"
bg sway -c "$WORK/sway.cfg"
wait_for 10 test -s "$WORK/display" || skip "sway does not start here"
DISPLAY=$(cat "$WORK/display") WAYLAND_DISPLAY=$(cd "$XDG_RUNTIME_DIR" && ls wayland-?)
export DISPLAY WAYLAND_DISPLAY SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*)
bg pipewire
dbus-update-activation-environment WAYLAND_DISPLAY XDG_CURRENT_DESKTOP XDG_RUNTIME_DIR NO_AT_BRIDGE
# click <folder> [VAR=value...]: the program there with its button window, whose button is clicked.
click() {
    mkdir -p "$1/SWData"
    vov "$1/SWData" ' 0 ' ' 0 ' 登録名 ps ' 0 ' JPG ' 7日前' '' ' 2 ' 1500 3000 >"$1/RAVuvivo.vov"
    start "$@"
    wait_for 20 swaymsg -q '[title="^ps$"] move position 20 20' 2>/dev/null || fail "the button window is shown"
    sleep 0.5
    # A headless sway's seat has no pointer for its cursor commands; XWayland takes XTEST clicks.
    xdotool mousemove 86 35 click 1
}
# red <picture> <area>: that area is red on the whole.
red() { [ "$(convert "$1" -crop "$2" -format '%[fx:mean.r>0.92&&mean.g<0.08&&mean.b<0.08]' info:)" = 1 ]; }

day=$WORK/run/SWData/$(today)
click "$WORK/run"
check "画面保存 captures the output through the portal as ps001.jpg" wait_for 40 is "$day/ps001.jpg" 'JPEG 1024x768'
check "the picture shows the red background" red "$day/ps001.jpg" 100x100+900+650
check "and the button window, as on X11" eval '! red "$day/ps001.jpg" 100x40+30+25'
check "the portal's file is removed" test ! -e /tmp/out.png
quit
click "$WORK/bare" DBUS_SESSION_BUS_ADDRESS="unix:path=$XDG_RUNTIME_DIR/bare"
check "without a portal the failure is told" shown '^Snagwell$' 10
check "and nothing is saved" test -z "$(ls "$WORK/bare/SWData/$(today)")"
quit
finish
