#!/usr/bin/env bash
# Prints the results page through the program's print path on a PDF printer and checks the PDF
# that comes out: one page showing the results as text and paths.
#
# The print server is started only for this test, with its own configuration, spool and socket in
# a temporary folder (no network port), so it neither needs nor disturbs a print service of the
# machine. Its one printer is a cups-pdf queue, made the default printer. cups-pdf reads the file
# /etc/cups/cups-pdf-<name>.conf named by its device address; that file sends the PDF into the
# temporary folder and is removed at the end.
#
# Usage: real_print_test.sh PRINT_PROBE
# Exit status: 0 passed, 1 failed, 77 skipped (no print server can run here).

set -u

readonly skipped=77
readonly probe=${1:?usage: real_print_test.sh PRINT_PROBE}
readonly queue=VirasvetPDF
readonly ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
readonly backend=/usr/lib/cups/backend/cups-pdf
readonly pdf_config_name="virasvet-test-$$-$RANDOM"
readonly pdf_config="/etc/cups/cups-pdf-${pdf_config_name}.conf"

work=""
cupsd_pid=""

say() { echo "real print test: $*"; }

stop_all() {
    if [ -n "$cupsd_pid" ]; then
        CUPS_SERVER="$work/cups.sock" timeout 10 lpadmin -x "$queue" >/dev/null 2>&1
        kill -TERM "$cupsd_pid" 2>/dev/null
        for _ in $(seq 50); do
            kill -0 "$cupsd_pid" 2>/dev/null || break
            sleep 0.2
        done
        kill -KILL "$cupsd_pid" 2>/dev/null
        wait "$cupsd_pid" 2>/dev/null
        cupsd_pid=""
    fi
    rm -f "$pdf_config"
    if [ -n "$work" ]; then
        rm -rf "$work"
        work=""
    fi
}
trap stop_all EXIT
trap 'exit 1' INT TERM HUP

skip() {
    say "SKIPPED: $*"
    exit "$skipped"
}

fail() {
    say "FAILED: $*"
    if [ -n "$work" ] && [ -f "$work/log/error_log" ]; then
        echo "--- print server errors ---"
        grep -E '^[EW] ' "$work/log/error_log" | tail -20
    fi
    exit 1
}

show_log_tail() {
    [ -f "$1" ] && tail -20 "$1"
}

# --- What the test needs -------------------------------------------------------------------------

[ "$(id -u)" -eq 0 ] || skip "the PDF printer's backend runs only for the superuser"
for tool in cupsd lpadmin lpstat pdfinfo pdfimages pdftotext pdffonts pdftoppm timeout setpriv; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done
[ -x "$backend" ] || skip "cups-pdf is not installed"
[ -r "$ppd" ] || skip "$ppd is missing"
[ -x "$probe" ] || fail "$probe is not a program"

# --- A private print server ----------------------------------------------------------------------

work=$(mktemp -d /tmp/virasvet-print.XXXXXX) || skip "cannot create a temporary folder"
# Filters run as the print system's user and must reach the spool and temporary folders.
chmod 755 "$work"
mkdir -p "$work/log" "$work/spool" "$work/tmp" "$work/pdf" "$work/pdf-spool" "$work/home" \
    "$work/client"
chown root:lp "$work/tmp" 2>/dev/null || skip "the print system's user lp is missing"
chmod 1770 "$work/tmp"

cat >"$work/cups-files.conf" <<EOF
ServerRoot $work
RequestRoot $work/spool
TempDir $work/tmp
CacheDir $work/cache
StateDir $work/state
ServerBin /usr/lib/cups
DataDir /usr/share/cups
AccessLog $work/log/access_log
ErrorLog $work/log/error_log
PageLog $work/log/page_log
SystemGroup root
User lp
Group lp
FileDevice No
EOF

cat >"$work/cupsd.conf" <<EOF
Listen $work/cups.sock
LogLevel info
Browsing No
DefaultAuthType None
WebInterface No
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  JobPrivateAccess default
  JobPrivateValues default
  SubscriptionPrivateAccess default
  SubscriptionPrivateValues default
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF

cat >"$pdf_config" <<EOF || skip "cannot write $pdf_config"
Out $work/pdf
AnonDirName $work/pdf
Spool $work/pdf-spool
Log $work/log
Grp root
EOF

export CUPS_SERVER="$work/cups.sock"
# Keep every client away from the user's and the machine's printer choices.
export CUPS_SERVERROOT="$work/client"
export HOME="$work/home"
export QT_QPA_PLATFORM=offscreen

# The server dies with this script, even when the script is killed.
setpriv --pdeathsig KILL cupsd -f -c "$work/cupsd.conf" -s "$work/cups-files.conf" \
    >"$work/log/cupsd.out" 2>&1 &
cupsd_pid=$!

started=no
for _ in $(seq 40); do
    if ! kill -0 "$cupsd_pid" 2>/dev/null; then
        break
    fi
    # lpstat -r succeeds also when it finds no scheduler; only its answer tells.
    if [ -S "$work/cups.sock" ] &&
        [ "$(timeout 5 lpstat -r 2>/dev/null)" = "scheduler is running" ]; then
        started=yes
        break
    fi
    sleep 0.5
done
if [ "$started" != yes ]; then
    show_log_tail "$work/log/cupsd.out"
    show_log_tail "$work/log/error_log"
    skip "the print server cannot start here"
fi
say "print server started (pid $cupsd_pid)"

added=no
for _ in $(seq 10); do
    if timeout 20 lpadmin -p "$queue" -E -v "cups-pdf:/$pdf_config_name" -P "$ppd" \
        2>"$work/log/lpadmin.err"; then
        added=yes
        break
    fi
    sleep 0.5
done
[ "$added" = yes ] || fail "cannot add the PDF printer: $(cat "$work/log/lpadmin.err")"
timeout 20 lpadmin -d "$queue" || fail "cannot make the PDF printer the default"
[ "$(timeout 10 lpstat -d)" = "system default destination: $queue" ] ||
    fail "the PDF printer is not the default printer"

# --- The print -----------------------------------------------------------------------------------

timeout 60 "$probe" print || fail "the program could not print"

pdf=""
for _ in $(seq 120); do
    pending=$(timeout 5 lpstat -o "$queue" 2>/dev/null)
    shopt -s nullglob
    pdfs=("$work"/pdf/*.pdf)
    shopt -u nullglob
    if [ -z "$pending" ] && ((${#pdfs[@]})); then
        pdf=${pdfs[0]}
        break
    fi
    sleep 0.5
done
[ -n "$pdf" ] || fail "no PDF appeared within 60 seconds (jobs waiting: ${pending:-none})"
((${#pdfs[@]} == 1)) || fail "${#pdfs[@]} PDF files instead of one"

pages=$(timeout 20 pdfinfo "$pdf" | awk '/^Pages:/ { print $2 }')
[ "$pages" = 1 ] || fail "the PDF has ${pages:-no} pages instead of one"

# The results are drawn on the page, not sent as one picture: no 1000 x 600 image, and the
# captions and figures are text. The print server's PostScript step re-encodes the fonts without
# their Unicode names, so the text is counted rather than read: the table alone has over 400
# letters and digits.
timeout 20 pdfimages -list "$pdf" | awk 'NR > 2 && $4 >= 1000 { found = 1 } END { exit found }' ||
    fail "the PDF holds the results as a picture"
letters=$(timeout 20 pdftotext "$pdf" - 2>/dev/null | tr -d '[:space:]' | wc -m)
((letters > 400)) || fail "the PDF holds ${letters} characters of text instead of the results"
timeout 20 pdffonts "$pdf" | awk 'NR > 2 && $(NF - 4) == "yes" { found = 1 } END { exit !found }' ||
    fail "the PDF embeds no font"

timeout 30 pdftoppm -r 150 -png -singlefile "$pdf" "$work/page" || fail "cannot render the PDF"
timeout 60 "$probe" check "$work/page.png" 150 || fail "the printed page does not show the results"

say "passed: one page with the results drawn as text and paths"
exit 0
