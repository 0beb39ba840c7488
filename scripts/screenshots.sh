#!/usr/bin/env bash
# Pictures of the window program as a user sees it, at 96 and 144 DPI, in
# build/screenshots/<dpi>/: the first-run prompt, the scan options, a scan in
# progress, the end report, the findings, the list's pop-up menu, the backup
# description prompt, the working panel of a fix and its report, the Backups
# window and every manager tab. The window
# runs under Wine on a virtual X screen (Xvfb) in a prefix of its own, so the
# tests' headless prefix stays as it is.
# Usage: scripts/screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build/screenshots

bash scripts/setup.sh >/dev/null
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target VeltaroPro VeltaroTour -j "$(nproc)"

export WINEPREFIX=$out/wineprefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$out"
trap 'timeout 60 wineserver -k >/dev/null 2>&1 || true' EXIT

# One screen session per DPI: the prefix's DPI is read when Wine starts.
shoot() {  # dpi
  local dpi=$1 prog=$out/prog-$1 shots=$out/$1
  rm -rf "$prog" "$shots"
  mkdir -p "$prog/Languages" "$prog/Data" "$shots"
  cp data/Languages/*.lng "$prog/Languages/"
  cp "data/Data/Default IgnoreList.dat" "$prog/Data/"
  cat >"$out/session.sh" <<INNER
set -euo pipefail
[ -f "$WINEPREFIX/.vp-ready" ] || { timeout 300 wineboot -i >/dev/null 2>&1 || true; touch "$WINEPREFIX/.vp-ready"; }
hex=\$(printf '%x' $dpi)
timeout 60 wine reg add 'HKCU\\Control Panel\\Desktop' /v LogPixels /t REG_DWORD /d 0x\$hex /f >/dev/null 2>&1
timeout 60 wine reg add 'HKLM\\System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts' /v LogPixels /t REG_DWORD /d 0x\$hex /f >/dev/null 2>&1
timeout 60 wineserver -w || true
timeout 900 wine "$root/build/win64/VeltaroTour.exe" "\$(winepath -w "$prog")" "\$(winepath -w "$shots")" &
tour=\$!
while kill -0 \$tour 2>/dev/null; do
  if [ -f "$shots/request.txt" ]; then
    name=\$(cat "$shots/request.txt")
    import -window root "$shots/\$name.png"
    rm -f "$shots/request.txt"
  fi
  sleep 0.2
done
wait \$tour || true
timeout 60 wineserver -k >/dev/null 2>&1 || true
INNER
  xvfb-run -a -s "-screen 0 1400x1000x24 -dpi $dpi" bash "$out/session.sh"
  rm -f "$out/session.sh"
  echo "screenshots: $(ls "$shots"/*.png 2>/dev/null | wc -l) pictures at $dpi DPI in $shots"
}

shoot 96
shoot 144
