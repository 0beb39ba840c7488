#!/usr/bin/env bash
# The main job on a fresh machine: installs what it needs, builds the Windows
# program and runs it under Wine: the platform self-check, then a registry
# scan of the Wine prefix (extra arguments go to the scan, e.g. --deep).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/setup.sh
source scripts/wine.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target veltaro -j "$(nproc)"
wine_prepare "$root/build/win64"
wine_start "$root/build/win64"
timeout 300 wine build/win64/veltaro.exe selfcheck
echo
timeout 900 wine build/win64/veltaro.exe scan "$@"
