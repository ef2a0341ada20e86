#!/usr/bin/env bash
# cups.sh: makes sure the print system that the printing tests use is up: starts the CUPS
# scheduler when it is not running and creates two PDF queues, "PlxPdf" and
# "PlxPdfWithAVeryLongNameForTheTests" (longer than the 31 characters a DEVMODE keeps of a
# name).  Both write their PDF files into $PLX_PDF_OUT (default /var/spool/parlomatix-pdf), named
# after the document.  Idempotent and safe to run from several test runs at once; as root.
# Wine lists the CUPS queues as Windows printers in every prefix.
set -euo pipefail
out=${PLX_PDF_OUT:-/var/spool/parlomatix-pdf}
queues=(PlxPdf PlxPdfWithAVeryLongNameForTheTests)

exec 9>/tmp/plx-cups.lock
flock 9

ppd=$(ls /usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd /usr/share/ppd/cups-pdf/*.ppd 2>/dev/null | head -1)
[[ -n $ppd && -x /usr/lib/cups/backend/cups-pdf ]] || { echo "cups.sh: cups-pdf is not installed" >&2; exit 1; }

# The instance "plx" of the PDF back end (device URI cups-pdf:/plx) reads cups-pdf-plx.conf: its
# own output folder, so the system's default instance stays as it is.  Files are named after the
# job title (cut to 64 characters) with "-job_" and the job number appended, so no file is ever
# overwritten by a later job of the same name.
mkdir -p "$out"
conf=/etc/cups/cups-pdf-plx.conf
want=$(printf 'Out %s\nAnonDirName %s\nLabel 2\nTitlePref 1\nUserUMask 0000\nAnonUMask 0000\n' "$out" "$out")
if [[ ! -f $conf || $(cat "$conf") != "$want" ]]; then
  printf '%s\n' "$want" > "$conf"
fi

if ! lpstat -r 2>/dev/null | grep -q 'is running'; then
  mkdir -p /run/cups /var/spool/cups /var/cache/cups /var/log/cups
  cupsd </dev/null >/dev/null 2>&1
  for _ in $(seq 1 100); do
    lpstat -r 2>/dev/null | grep -q 'is running' && break
    sleep 0.1
  done
  lpstat -r 2>/dev/null | grep -q 'is running' || { echo "cups.sh: cupsd did not start" >&2; exit 1; }
fi

for q in "${queues[@]}"; do
  if ! lpstat -v "$q" 2>/dev/null | grep -q 'cups-pdf:/plx'; then
    lpadmin -p "$q" -v cups-pdf:/plx -E -P "$ppd" 2>&1 | grep -v 'drivers are deprecated' >&2 || true
    lpstat -v "$q" 2>/dev/null | grep -q 'cups-pdf:/plx' || { echo "cups.sh: queue $q not created" >&2; exit 1; }
  fi
  # A queue stopped by an earlier failure would hold every later job.
  cupsenable "$q" 2>/dev/null || true
  cupsaccept "$q" 2>/dev/null || true
done
# Wine's default printer follows the system's; a machine without one gets the first queue.
if ! lpstat -d 2>/dev/null | grep -q 'system default destination:'; then
  lpadmin -d "${queues[0]}"
fi
echo "cups.sh: queues ${queues[*]} ready, PDF files in $out"
