#!/usr/bin/env bash
# The main job on a fresh machine: installs what it needs, builds the Windows
# program and runs it under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/setup.sh
source scripts/wine.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target veltaro -j "$(nproc)"
wine_prepare "$root/build/win64"
wine_start "$root/build/win64"
timeout 300 wine build/win64/veltaro.exe selfcheck "$@"
