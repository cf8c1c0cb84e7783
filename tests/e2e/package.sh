#!/usr/bin/env bash
# The Debian package and the command line: built by CPack from this build,
# its contents and dependencies checked, unpacked into a scratch root and run.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
build=${2:?usage: $0 <snagwell> <build directory>}
for tool in cpack dpkg-deb desktop-file-validate readelf; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)

# The command line answers without a display and touches no file.
empty=$WORK/empty
mkdir -p "$empty"
version=$(cd "$empty" && env -u DISPLAY -u WAYLAND_DISPLAY "$SNAGWELL" --version)
check "--version prints the version" test "$version" = "Snagwell 2.0.4"
help=$(cd "$empty" && env -u DISPLAY "$SNAGWELL" --help)
check "--help prints the usage" grep -q '^Usage: snagwell' <<<"$help"
refused=0
message=$(cd "$empty" && "$SNAGWELL" --bogus 2>&1 >/dev/null) || refused=$?
check "an unknown argument is refused with a non-zero exit" test "$refused" -ne 0
check "the refusal names the argument" grep -q "unknown argument '--bogus'" <<<"$message"
check "the command line touches no file" test -z "$(ls -A "$empty")"
blind=0
(cd "$empty" && env -u DISPLAY WAYLAND_DISPLAY=wayland-9 QT_QPA_PLATFORM= "$SNAGWELL" \
    >/dev/null 2>"$WORK/blind.txt") || blind=$?
check "Wayland without XWayland refuses to start blind" test "$blind" -ne 0
check "and says why" grep -q 'needs X11 to watch the clipboard' "$WORK/blind.txt"
check "still touching no file" test -z "$(ls -A "$empty")"

# The launcher and the autostart entry.
check "the launcher is a valid desktop entry" desktop-file-validate "$top/data/snagwell.desktop"
check "the autostart entry is a valid desktop entry" \
    desktop-file-validate "$top/data/snagwell-autostart.desktop"
check "the autostart entry is not active by default" \
    grep -q '^Hidden=true$' "$top/data/snagwell-autostart.desktop"

# The package.
(cd "$WORK" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$WORK/package" \
    >"$WORK/cpack.log" 2>&1) || { cat "$WORK/cpack.log"; fail "cpack builds the package"; finish; }
deb=$(ls "$WORK"/package/snagwell_2.0.4_*.deb)
check "the package is named snagwell_2.0.4" test -f "$deb"
contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
for file in ./usr/bin/snagwell \
    ./usr/lib/$multiarch/snagwell/libJpegSaver.so \
    ./usr/lib/$multiarch/snagwell/libPngSaver.so \
    ./usr/share/applications/snagwell.desktop \
    ./etc/xdg/autostart/snagwell.desktop \
    ./usr/share/icons/hicolor/scalable/apps/snagwell.svg \
    ./usr/share/icons/hicolor/16x16/apps/snagwell.png \
    ./usr/share/icons/hicolor/32x32/apps/snagwell.png \
    ./usr/share/man/man1/snagwell.1.gz; do
    check "the package holds $file" grep -qxF "$file" <<<"$contents"
done
info=$(dpkg-deb --info "$deb")
for dependency in libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 libturbojpeg0 libspng0; do
    check "the package depends on $dependency" grep -q "Depends:.*$dependency" <<<"$info"
done
check "the package recommends a Japanese font" grep -q 'Recommends:.*fonts-ipafont-gothic' <<<"$info"

# Unpacked into a scratch root, the executable runs and finds its converters
# by its own path, not by LD_LIBRARY_PATH.
root=$WORK/root
dpkg-deb -x "$deb" "$root"
check "the installed program answers --version" \
    test "$(env -u LD_LIBRARY_PATH "$root/usr/bin/snagwell" --version)" = "Snagwell 2.0.4"
check "the installed program's rpath names its library folder" \
    grep -qF "\$ORIGIN/../lib/$multiarch/snagwell" \
    <<<"$(readelf -d "$root/usr/bin/snagwell")"
check "the converters stand where the program looks for them" \
    test -f "$root/usr/bin/../lib/$multiarch/snagwell/libJpegSaver.so"
check "the manual page reads" zgrep -q 'record what passes through the clipboard' \
    "$root/usr/share/man/man1/snagwell.1.gz"

finish
