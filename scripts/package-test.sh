#!/usr/bin/env bash
# What a user downloads works by itself: the release archive is unpacked into
# a fresh folder of a Wine prefix, and the programs run from there: the
# command line's self-check and a registry scan, and the window program
# starts and closes.
# Usage: scripts/package-test.sh   (after the win64 build; packages it as it is)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/package.sh --no-build
archive=$(ls -t dist/VeltaroPro-*-win64.zip | head -n 1)
name=$(basename "$archive" .zip)

source scripts/wine.sh
wine_prepare "$root/build/win64"
wine_start "$root/build/win64"
unpacked=$WINEPREFIX/drive_c/vp-package-test
rm -rf "$unpacked"
mkdir -p "$unpacked"
unzip -q "$archive" -d "$unpacked"
folder=C:\\vp-package-test\\$name
for path in veltaro.exe Data Languages/English.lng Documentation/html/reg_tools.html \
  "Documentation/License Agreement.txt"; do
  [ -e "$unpacked/$name/$path" ] || { echo "package-test: $path is missing from the archive" >&2; exit 1; }
done

echo "== self-check from the unpacked folder"
timeout 300 wine "$folder\\veltaro.exe" selfcheck
echo "== scan from the unpacked folder"
status=0
timeout 600 wine "$folder\\veltaro.exe" scan >"$unpacked/scan.txt" || status=$?
# 0: nothing found, 1: problems found; anything else is a failure.
[ "$status" -le 1 ] || { tail -n 20 "$unpacked/scan.txt"; echo "package-test: scan failed ($status)" >&2; exit 1; }
echo "scan: exit status $status, $(wc -l <"$unpacked/scan.txt") lines"

if [ -f "$unpacked/$name/VeltaroPro.exe" ]; then
  echo "== the window program starts and closes"
  timeout 120 wine "$folder\\VeltaroPro.exe" &
  window=$!
  sleep 8
  kill -0 "$window" 2>/dev/null || { echo "package-test: the window program ended by itself" >&2; exit 1; }
  # A polite close: the window gets WM_CLOSE and shuts down in order.
  timeout 60 wine taskkill /im VeltaroPro.exe >/dev/null 2>&1 || true
  wait "$window" || { echo "package-test: the window program did not close cleanly" >&2; exit 1; }
else
  echo "package-test: no window program in the archive yet" >&2
fi
rm -rf "$unpacked"
echo "package-test: the archive works by itself"
