#!/usr/bin/env bash
# Printing end to end: a private print system with PDF printers, and the real
# program printing every text and picture the moment it is copied.
#
# The scheduler is the machine's cupsd, run in the foreground for this test
# alone: its configuration, Unix socket, spool, cache, state, logs and
# output all live in the test's temporary folder, so it neither needs nor
# disturbs a system scheduler, and other tests can run beside it. Clients
# (lpadmin, lpstat and the program's Qt print support) find it through
# CUPS_SERVER. It is ended, and its folder removed, when the script exits,
# whether the checks passed or not.
#
# The printers use the generic PDF printer driver of cups-filters (which
# cups depends on): Qt's PDF goes through the pdftopdf filter as on any PDF
# printer, and a "file:" device (allowed by FileDevice) writes each job to a
# file of the temporary folder. The cups-pdf backend is not used: it reads
# its output folder from the global /etc/cups/cups-pdf.conf and must run as
# root, so it would reach outside the test.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" || exit 1

ppd=/usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd
for tool in cupsd lpadmin lpstat pdfinfo pdftoppm pdftotext; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
[ -r "$ppd" ] || { echo "SKIP: the generic PDF printer driver is not installed ($ppd)"; exit 77; }

cups=$WORK/cups
out=$cups/out
export CUPS_SERVER=$cups/sock
if ((${#CUPS_SERVER} > 100)); then
    echo "SKIP: CUPS cannot be started here: socket path too long ($CUPS_SERVER)"
    exit 77
fi
# A scheduler run by root runs its filters as the user "lp", who must reach
# the spool inside the private working folder (but need not list it).
chmod 711 "$WORK"
mkdir -m 755 "$cups" "$out"
mkdir -p "$cups/spool/temp" "$cups/log" "$cups/cache" "$cups/state"
cat >"$cups/cups-files.conf" <<CONF
FileDevice Yes
ServerRoot $cups
StateDir $cups/state
CacheDir $cups/cache
RequestRoot $cups/spool
TempDir $cups/spool/temp
Printcap $cups/printcap
AccessLog $cups/log/access_log
ErrorLog $cups/log/error_log
PageLog $cups/log/page_log
CONF
# Nothing but the socket, no sharing, no web pages; everyone who reaches the
# socket may do everything, as it is this test's own.
cat >"$cups/cupsd.conf" <<CONF
Listen $CUPS_SERVER
Browsing No
WebInterface No
LogLevel info
MaxLogSize 0
PreserveJobHistory Yes
<Policy default>
  JobPrivateAccess all
  JobPrivateValues none
  SubscriptionPrivateAccess all
  SubscriptionPrivateValues none
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF

skip_cups() {
    echo "SKIP: CUPS cannot be started here: $*"
    tail -n 20 "$cups/cupsd.out" "$cups/log/error_log" 2>/dev/null || true
    exit 77
}

scheduler_runs() {
    lpstat -r 2>/dev/null | grep -q 'scheduler is running'
}

cupsd -f -c "$cups/cupsd.conf" -s "$cups/cups-files.conf" >"$cups/cupsd.out" 2>&1 &
cupsd_pid=$!
PIDS+=("$cupsd_pid")
for ((i = 0; i < 100; i++)); do
    scheduler_runs && break
    kill -0 "$cupsd_pid" 2>/dev/null || skip_cups "cupsd ended at start"
    sleep 0.1
done
scheduler_runs || skip_cups "cupsd does not answer on $CUPS_SERVER"
# The printer the program is told to use, and another one that is the
# system's default and must receive nothing.
for queue in Snagwell-PDF Office; do
    lpadmin -p "$queue" -v "file://$out/$queue.pdf" -P "$ppd" -E 2>"$cups/lpadmin.out" ||
        skip_cups "printer $queue cannot be added: $(cat "$cups/lpadmin.out")"
done
lpadmin -d Office 2>"$cups/lpadmin.out" ||
    skip_cups "the default printer cannot be set: $(cat "$cups/lpadmin.out")"

# The picture's printed size follows the screen's resolution: keep Qt's
# default of 96 dots per inch.
unset QT_FONT_DPI QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR \
    QT_ENABLE_HIGHDPI_SCALING
start_x
for tool in convert identify; do
    command -v "$tool" >/dev/null || { echo "SKIP: ImageMagick is not installed"; exit 77; }
done

# completed_jobs <queue>: how many jobs that printer has finished.
completed_jobs() {
    lpstat -W completed -o "$1" 2>/dev/null | grep -c "^$1-" || true
}

# wait_printed <queue> <count> [seconds]: that many jobs of the printer are
# finished and none is waiting.
wait_printed() {
    local queue=$1 count=$2 seconds=${3:-20}
    for ((i = 0; i < seconds * 10; i++)); do
        if (($(completed_jobs "$queue") >= count)) && [ -z "$(lpstat -o "$queue" 2>/dev/null)" ]; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# take_output <queue> <name>: keeps the printer's last output as $WORK/<name>.pdf
# (the device file is rewritten by every job).
take_output() {
    mv "$out/$1.pdf" "$WORK/$2.pdf" 2>/dev/null || touch "$WORK/$2.pdf"
}

# page_count <pdf>
page_count() {
    pdfinfo "$1" 2>/dev/null | sed -n 's/^Pages: *//p' || true
}

# upright_pages <pdf> <portrait|landscape>: every page is of that
# orientation as the sheet is read, allowing for a page rotation.
upright_pages() {
    local pdf=$1 want=$2 pages
    pages=$(page_count "$pdf")
    [ -n "$pages" ] && ((pages > 0)) || return 1
    pdfinfo -f 1 -l "$pages" "$pdf" | awk -v want="$want" '
        /^Page +[0-9]+ size:/ { w[$2] = $4; h[$2] = $6 }
        /^Page +[0-9]+ rot:/ { r[$2] = $4 % 180 }
        END {
            n = 0
            for (p in w) {
                n++
                wide = (r[p] == 0) ? (w[p] > h[p]) : (h[p] > w[p])
                if ((want == "landscape") != wide) exit 1
            }
            exit n == 0
        }'
}

# render <pdf> <page> <png>: the page at 72 dots per inch, so a pixel is a point.
render() {
    pdftoppm -r 72 -f "$2" -l "$2" -singlefile -png "$1" "${3%.png}"
}

# reading_view <png> <view png>: the page as it is read. A landscape page
# may come on portrait paper turned a quarter, its top to the left edge (the
# driver's LandscapeOrientation Plus90); turned back, it reads as drawn.
reading_view() {
    local size
    size=$(identify -format '%w %h' "$1") || return 1
    if ((${size#* } > ${size% *})); then
        convert "$1" -rotate 90 "$2"
    else
        cp "$1" "$2"
    fi
}

# ink_box <png>: "width height x y" of everything that is not paper.
ink_box() {
    convert "$1" -fuzz 10% -trim -format '%w %h %X %Y' info: | tr -d '+'
}

# size_near <WxH> <WxH>: both sides within two points, for anti-aliased edges.
size_near() {
    local aw=${1%x*} ah=${1#*x} ew=${2%x*} eh=${2#*x}
    ((aw - ew <= 2 && ew - aw <= 2 && ah - eh <= 2 && eh - ah <= 2))
}

# colour_at <png> <x> <y>: "red", "blue", "white" or "other".
colour_at() {
    convert "$1" -format "%[fx:int(255*p{$2,$3}.r)] %[fx:int(255*p{$2,$3}.g)] %[fx:int(255*p{$2,$3}.b)]" info: |
        awk '{ if ($1 > 200 && $2 < 60 && $3 < 60) print "red";
               else if ($1 < 60 && $2 < 60 && $3 > 200) print "blue";
               else if ($1 > 230 && $2 > 230 && $3 > 230) print "white";
               else print "other" }'
}

run=$WORK/printing
mkdir -p "$run/SWData"
day=$run/SWData/$(today)
# Texts saved automatically and everything printed at once; the printer is
# saved in other letter case than the system writes it.
printf '%s\r\n 1 \r\n 1 \r\n登録名\r\ne2e\r\n 0 \r\nPNG\r\n 7日前\r\nsnagwell-pdf\r\n 0 \r\n\r\n\r\n' \
    "$run/SWData" | iconv -f UTF-8 -t CP932 >"$run/RAVuvivo.vov"
start_snagwell "$run"
pid=$SNAGWELL_PID
wait_for_window '^Snagwell 設定$' >/dev/null || fail "the settings window is shown"

# A text too long for one page is printed whole, portrait, page after page.
for ((n = 1; n <= 150; n++)); do printf '印刷テスト line %03d\n' "$n"; done >"$WORK/long.txt"
xclip -selection clipboard -i "$WORK/long.txt"
check "the copied text is saved" wait_file "$day/e2e001.txt"
check "the copied text is printed as one job on the chosen printer" wait_printed Snagwell-PDF 1
take_output Snagwell-PDF text
pages=$(page_count "$WORK/text.pdf")
check "the text comes out as a PDF of at least two pages (got ${pages:-none})" \
    test "${pages:-0}" -ge 2
check "every sheet of the text is portrait" upright_pages "$WORK/text.pdf" portrait
check "the printed text holds every line once, in order, across the pages" \
    cmp -s <(pdftotext "$WORK/text.pdf" - 2>/dev/null | tr -d '\f' | sed '/^$/d') "$WORK/long.txt"
check "the first page starts with the first line" \
    test "$(pdftotext -f 1 -l 1 "$WORK/text.pdf" - 2>/dev/null | head -n 1)" = '印刷テスト line 001'
render "$WORK/text.pdf" 1 "$WORK/text-1.png" || true
read -r tw th tx ty < <(ink_box "$WORK/text-1.png") || true
check "the text starts at the top left of the sheet and runs down it (ink ${tw}x${th} at ${tx},${ty})" \
    test "${tx:-999}" -lt 72 -a "${ty:-999}" -lt 72 -a "${th:-0}" -gt "$((3 * ${tw:-0}))"

# A picture is printed landscape, at its own size (320x200 pixels on a
# 96 dpi screen: 240x150 points), its top left corner at the page's.
convert -size 320x200 xc:red -fill blue -draw 'rectangle 0,0 79,49' "$WORK/picture.png"
xclip -selection clipboard -t image/png -i "$WORK/picture.png"
check "the copied picture is saved" wait_file "$day/e2e002.png"
check "the copied picture is printed as a second job on the chosen printer" \
    wait_printed Snagwell-PDF 2
take_output Snagwell-PDF picture
check "the picture comes out as a PDF of one page" test "$(page_count "$WORK/picture.pdf")" = 1
render "$WORK/picture.pdf" 1 "$WORK/picture-1.png" || true
view=$WORK/picture-view.png
reading_view "$WORK/picture-1.png" "$view" || true
read -r pw ph px py < <(ink_box "$view") || true
check "the picture is printed at its own size (${pw}x${ph} points)" \
    size_near "${pw:-0}x${ph:-0}" 240x150
check "the picture sits at the top left of the page (at ${px},${py})" \
    test "${px:-999}" -lt 72 -a "${py:-999}" -lt 72
check "the picture is printed landscape: the page read wide shows its blue corner at the top left" \
    test "$(colour_at "$view" $((${px:-0} + 10)) $((${py:-0} + 10)))" = blue
check "the picture is printed landscape: the other corners red, nothing turned or mirrored" test "$(
    colour_at "$view" $((${px:-0} + ${pw:-0} - 10)) $((${py:-0} + 10)))$(
    colour_at "$view" $((${px:-0} + 10)) $((${py:-0} + ${ph:-0} - 10)))$(
    colour_at "$view" $((${px:-0} + ${pw:-0} - 10)) $((${py:-0} + ${ph:-0} - 10)))" = redredred

check "the system's default printer receives nothing" \
    test "$(completed_jobs Office)" = 0 -a ! -e "$out/Office.pdf"

kill -TERM "$pid" 2>/dev/null || true
check "the program ends on SIGTERM" wait_exit "$pid"
check "the chosen printer is saved as the system writes its name" \
    test "$(sed -n 9p "$run/RAVuvivo.vov")" = $'Snagwell-PDF\r'

if ((failures)); then
    echo "the scheduler's log:" >&2
    tail -n 40 "$cups/log/error_log" >&2 || true
fi
finish
