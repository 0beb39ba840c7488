#!/usr/bin/env bash
# The main job on a fresh machine: installs what it needs, builds the
# command-line program and shows the cleaner at work on the shipped demo
# machine (demo/: a registry with planted problems and its drive C:): a scan,
# what a fix would do, the fix itself with its backup set, a scan after it; then
# builds the Windows program and runs its self-check and a registry scan of
# the Wine prefix under Wine (extra arguments go to that scan, e.g. --deep);
# last it opens the window program under Wine when there is a display, or,
# with none, pictures its screens into build/screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
display=${DISPLAY:-}  # the Wine helpers unset it for the headless prefix

bash scripts/setup.sh

# ---- the demo, natively: a simulated Windows loaded from demo/demo.reg.
cmake --preset native >/dev/null
cmake --build --preset native --target veltaro -j "$(nproc)"
work=$root/build/native/demo-run
rm -rf "$work" && mkdir -p "$work"
cp demo/demo.reg "$work/demo.reg"  # a fix writes the registry back; keep the shipped one
demo=(build/native/veltaro --registry "$work/demo.reg" --drive "C=$root/demo/drive_c")
status=0
echo "== veltaro scan (demo machine)"
"${demo[@]}" scan || status=$?
[ "$status" -eq 1 ] || { echo "run: the demo scan should find problems (exit status $status)"; exit 1; }
echo
echo "== veltaro fix --all --dry-run (demo machine)"
"${demo[@]}" fix --all --dry-run
echo
echo "== veltaro fix --all (demo machine: the copy in $work)"
"${demo[@]}" fix --all --description "Demo fix"
echo
echo "== veltaro scan, after the fix"
status=0
"${demo[@]}" scan || status=$?
[ "$status" -eq 0 ] || { echo "run: the demo scan after the fix should find nothing (exit status $status)"; exit 1; }
echo
echo "== veltaro backups list"
"${demo[@]}" backups list
echo

# ---- the Windows program under Wine, on the Wine prefix's own registry.
source scripts/wine.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target veltaro -j "$(nproc)"
wine_prepare "$root/build/win64"
wine_start "$root/build/win64"
timeout 300 wine build/win64/veltaro.exe selfcheck
echo
status=0
timeout 900 wine build/win64/veltaro.exe scan "$@" || status=$?
# 0: nothing found, 1: problems found; anything else is a failure.
[ "$status" -le 1 ]

# ---- the window program: on the display when there is one, else pictures.
wine_stop
echo
if [ -n "$display" ]; then
  cmake --build --preset win64 --target VeltaroPro -j "$(nproc)"
  echo "== VeltaroPro.exe (close the window to end)"
  # A prefix of its own with a real display driver; the tests' prefix has none.
  WINEPREFIX=$root/build/screenshots/wineprefix DISPLAY=$display WINEDEBUG=-all \
    WINEDLLOVERRIDES="mscoree,mshtml=" timeout 86400 wine build/win64/VeltaroPro.exe || true
else
  echo "== no display: pictures of the window program instead"
  bash scripts/screenshots.sh
  echo "run: the window's screenshots are in $root/build/screenshots/96 and $root/build/screenshots/144"
fi
