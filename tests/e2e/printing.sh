#!/usr/bin/env bash
# Printing end to end: a private CUPS scheduler with two PDF printers; every
# capture is printed on the printer of the settings, not the default.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
need cupsd lpadmin lpstat pdfinfo pdftoppm pdftotext convert identify
ppd=/usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd
[ -r "$ppd" ] || skip "the generic PDF printer driver is not installed ($ppd)"
cups=$WORK/cups
export CUPS_SERVER=$cups/sock
chmod 711 "$WORK" # filters run as the user lp and must reach the spool
mkdir -m 755 "$cups" "$cups/out"
mkdir -p "$cups/spool/temp" "$cups/log" "$cups/cache" "$cups/state"
printf '%s\n' "FileDevice Yes" "ServerRoot $cups" "StateDir $cups/state" "CacheDir $cups/cache" \
    "RequestRoot $cups/spool" "TempDir $cups/spool/temp" "Printcap $cups/printcap" \
    "AccessLog $cups/log/access_log" "ErrorLog $cups/log/error_log" "PageLog $cups/log/page_log" \
    >"$cups/files.conf"
printf '%s\n' "Listen $CUPS_SERVER" "Browsing No" "WebInterface No" "PreserveJobHistory Yes" \
    "<Policy default>" "JobPrivateAccess all" "JobPrivateValues none" \
    "<Limit All>" "Order deny,allow" "</Limit>" "</Policy>" >"$cups/cupsd.conf"
cupsd -f -c "$cups/cupsd.conf" -s "$cups/files.conf" >"$cups/cupsd.out" 2>&1 &
PIDS+=($!)
running() { lpstat -r 2>/dev/null | grep -q 'scheduler is running'; }
wait_for 10 eval "running || ended $!" && running ||
    skip "cupsd cannot start here: $(tail -q -n 5 "$cups/cupsd.out" "$cups/log/error_log" 2>/dev/null)"
for queue in Snagwell-PDF Office; do
    lpadmin -p "$queue" -v "file://$cups/out/$queue.pdf" -P "$ppd" -E 2>"$cups/err" ||
        skip "CUPS cannot add a printer here: $(cat "$cups/err")"
done
lpadmin -d Office 2>"$cups/err" || skip "CUPS cannot set the default printer here: $(cat "$cups/err")"

jobs_done() { lpstat -W completed -o "$1" 2>/dev/null | grep -c "^$1-" || true; }
printed() { (($(jobs_done Snagwell-PDF) >= $1)) && [ -z "$(lpstat -o 2>/dev/null)" ]; }
# ink <png>: "width height x y" of all that is not paper.
ink() { convert "$1" -fuzz 10% -trim -format '%w %h %X %Y' info: | tr -d +; }
colour() {
    convert "$1" -format "%[fx:int(255*p{$2,$3}.r)] %[fx:int(255*p{$2,$3}.b)]" info: |
        awk '{ print ($1 > 200 && $2 < 60) ? "red" : ($1 < 60 && $2 > 200) ? "blue" : "other" }'
}

# 同時印刷, on the printer named in other letter case.
unset QT_FONT_DPI QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_ENABLE_HIGHDPI_SCALING
run=$WORK/run
day=$run/SWData/$(today)
mkdir -p "$run/SWData"
vov "$run/SWData" ' 1 ' ' 1 ' 登録名 e2e ' 0 ' PNG ' 7日前' snagwell-pdf ' 0 ' '' '' >"$run/RAVuvivo.vov"
begin "$run"

# A text too long for a page is printed whole, portrait, page after page.
for ((n = 1; n <= 150; n++)); do printf '印刷テスト line %03d\n' "$n"; done >"$WORK/long.txt"
xclip -selection clipboard -i "$WORK/long.txt"
check "the copied text is printed as one job on the chosen printer" wait_for 20 printed 1
mv "$cups/out/Snagwell-PDF.pdf" "$WORK/text.pdf" || true
pages=$(pdfinfo "$WORK/text.pdf" 2>/dev/null | sed -n 's/^Pages: *//p')
check "the text takes several pages (${pages:-none})" test "${pages:-0}" -ge 2
check "the printed text holds every line once, in order" \
    cmp -s <(pdftotext "$WORK/text.pdf" - 2>/dev/null | tr -d '\f' | sed '/^$/d') "$WORK/long.txt"
pdftoppm -r 72 -f 1 -l 1 -singlefile -png "$WORK/text.pdf" "$WORK/text" || true
read -r w h x y < <(ink "$WORK/text.png") || true
check "page 1 is portrait, the text from its top left downwards (${w}x$h at $x,$y)" \
    test "$(identify -format '%[fx:h>w]' "$WORK/text.png")" = 1 -a $((x < 72 && y < 72 && h > 3 * w)) = 1

# 320x200 pixels at 96 dpi are 240x150 points; the top left corner is blue.
convert -size 320x200 xc:red -fill blue -draw 'rectangle 0,0 79,49' "$WORK/picture.png"
xclip -selection clipboard -t image/png -i "$WORK/picture.png"
check "the copied picture is printed as the second job and converted too" \
    wait_for 20 eval 'printed 2 && test -e "$day/e2e002.png"'
pdftoppm -r 72 -singlefile -png "$cups/out/Snagwell-PDF.pdf" "$WORK/picture" || true
# A landscape page may come turned a quarter onto portrait paper: turn it back.
convert "$WORK/picture.png" -rotate '90<' "$WORK/view.png" || true
read -r w h x y < <(ink "$WORK/view.png") || true
check "the picture is printed at its own size at the top left (${w}x$h at $x,$y)" \
    test $(((w - 240) ** 2 <= 4 && (h - 150) ** 2 <= 4 && x < 72 && y < 72)) = 1
corners=$(for at in "10 10" "$((w - 10)) 10" "10 $((h - 10))" "$((w - 10)) $((h - 10))"; do
    colour "$WORK/view.png" $((x + ${at% *})) $((y + ${at#* }))
done | tr -d '\n')
check "the picture is printed landscape, its blue corner at the top left, nothing turned ($corners)" \
    test "$corners" = blueredredred
check "the system's default printer receives nothing" test "$(jobs_done Office)" = 0

quit "the program" INT
check "SIGINT writes the settings: the printer as the system writes it" \
    test "$(sed -n 9p "$run/RAVuvivo.vov")" = $'Snagwell-PDF\r'
finish
