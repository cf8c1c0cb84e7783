#!/usr/bin/env bash
# The set-up scripts from any folder; the package and installation where the README says.
E2E_NO_X=1 source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
build=$(dirname "$(dirname "$SNAGWELL")")
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
need cpack dpkg-deb

# The start script, run from elsewhere, must still find the presets. Its own
# build is the release preset, so a stand-in set-up links this build there.
mkdir "$WORK/elsewhere"
fake=$WORK/fake
mkdir -p "$fake/scripts"
cp "$top/scripts/start" "$fake/scripts/"
cp "$top/CMakePresets.json" "$fake/"
printf '#!/usr/bin/env bash\ncd "$(dirname "$0")/.." && test -f CMakePresets.json && mkdir -p build/release/bin && ln -sf %q build/release/bin/snagwell\n' \
    "$SNAGWELL" >"$fake/scripts/bootstrap"
chmod +x "$fake/scripts/bootstrap"
out=$(cd "$WORK/elsewhere" && "$fake/scripts/start" --version 2>&1) || true
check "scripts/start answers from another folder" grep -q '^Snagwell 2\.0\.4' <<<"$out"
# The real set-up: this build is made already, so it only checks the packages.
preset=$(basename "$build")
check "scripts/bootstrap runs from another folder" \
    bash -c 'cd "$1" && "$2/scripts/bootstrap" "$3" >"$4" 2>&1' _ "$WORK/elsewhere" "$top" "$preset" "$WORK/bootstrap.log"
check "scripts/start and scripts/bootstrap leave the caller's folder empty" test -z "$(ls -A "$WORK/elsewhere")"

(cd "$WORK" && cpack -G DEB --config "$build/CPackConfig.cmake" >"$WORK/cpack.log" 2>&1) ||
    { cat "$WORK/cpack.log"; fail "cpack builds the package"; }
deb=$(ls "$WORK"/*.deb 2>/dev/null | head -n 1)
if [ -n "$deb" ]; then
    dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$' >"$WORK/files"
    check "the package holds the program, both converters and the autostart entry where the README says" \
        test "$(grep -c -x -E '\./usr/bin/snagwell|\./usr/lib/.*/snagwell/lib(Jpeg|Png)Saver\.so|\./etc/xdg/autostart/snagwell\.desktop' "$WORK/files")" = 4
    check "the package installs nothing elsewhere, nothing under /usr/local" \
        test -z "$(grep -v -E '^\./(usr/|etc/xdg/autostart/)' "$WORK/files"; grep /usr/local/ "$WORK/files")"
fi

# Under /usr/local, whatever prefix the build was configured with.
DESTDIR=$WORK/root cmake --install "$build" --prefix /usr/local >"$WORK/install.log" 2>&1 ||
    { cat "$WORK/install.log"; fail "cmake --install under /usr/local"; }
check "an installation under /usr/local puts the autostart entry in /usr/local/etc" \
    test -f "$WORK/root/usr/local/etc/xdg/autostart/snagwell.desktop"
check "an installation under /usr/local writes nothing outside it" \
    test "$(ls -A "$WORK/root")" = usr -a "$(ls -A "$WORK/root/usr")" = local
check "the autostart entry is off until the user turns it on" \
    grep -qx 'Hidden=true' "$WORK/root/usr/local/etc/xdg/autostart/snagwell.desktop"

finish
