#!/bin/sh
# Makes a cups-pdf queue the default printer, so that the printing test runs against a real spooler.
# Run as root. The PDFs land in the printing user's ~/PDF.
set -eu

QUEUE=${VELLUMARK_PRINTER:-vellumark-pdf}
PPD=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd

missing=""
for package in cups printer-driver-cups-pdf poppler-utils; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing="$missing $package"
done
if [ -n "$missing" ]; then
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing
fi

scheduler_running() { lpstat -r 2>/dev/null | grep -q "is running"; }
if ! scheduler_running; then
    mkdir -p /run/cups
    cupsd
fi
# cupsd answers a moment after it starts.
tries=0
until scheduler_running; do
    tries=$((tries + 1))
    [ "$tries" -le 50 ] || { echo "cupsd did not start" >&2; exit 1; }
    sleep 0.2
done

lpadmin -p "$QUEUE" -E -v cups-pdf:/ -P "$PPD"
lpadmin -d "$QUEUE"
cupsenable "$QUEUE"
cupsaccept "$QUEUE"
lpstat -d -p "$QUEUE"
