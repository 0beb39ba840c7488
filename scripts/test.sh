#!/usr/bin/env bash
# Builds the native and Windows presets and runs every test: natively against
# the simulated platform, under Wine against the real Windows API, the release
# archive unpacked and run, real installers in a scratch Wine prefix, the
# sanitizer build, and each fuzz target for a few seconds.
# Usage: scripts/test.sh [--quick]   (--quick: native and Windows only)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
quick=0
[ "${1:-}" = "--quick" ] && quick=1

bash scripts/setup.sh
source scripts/wine.sh

echo "== layers (at ${SECONDS} s)"
bash scripts/check_layers.sh

jobs=$(nproc)
build() {  # preset
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" -j "$jobs"
}

echo "== native (at ${SECONDS} s)"
build native
ctest --preset native -j "$jobs"

echo "== win64 (under Wine) (at ${SECONDS} s)"
build win64
wine_prepare "$root/build/win64"
wine_start "$root/build/win64"
ctest --preset win64 -j "$jobs"
wine_stop

echo "== release archive (unpacked and run under Wine) (at ${SECONDS} s)"
bash scripts/package-test.sh

if [ "$quick" -eq 0 ]; then
  echo "== real installers (under Wine) (at ${SECONDS} s)"
  bash scripts/installer-test.sh

  echo "== asan (at ${SECONDS} s)"
  build asan
  ctest --preset asan -j "$jobs"

  # Every suite whose tests start threads: the dispatcher and worker, the
  # cache builder and loader, the registry's concurrent readers, the scan
  # engine, the commands that scan and the manager views.
  threaded="core files platform scanner cli manager"
  echo "== tsan ($threaded) (at ${SECONDS} s)"
  cmake --preset tsan >/dev/null
  cmake --build --preset tsan -j "$jobs" --target $(printf 'vp_tests_%s ' $threaded)
  ctest --preset tsan -R "^($(tr ' ' '|' <<<"$threaded"))\$"

  echo "== fuzz (at ${SECONDS} s)"
  build fuzz
  seconds=${VP_FUZZ_SECONDS:-10}
  for target in build/fuzz/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    corpus="build/fuzz/corpus/$name"
    mkdir -p "$corpus"
    seeds="fuzz/seeds/${name#fuzz_}"
    [ -d "$seeds" ] || seeds=""
    echo "fuzz: $name for ${seeds:+seeded }${seconds}s"
    "$target" -max_total_time="$seconds" -print_final_stats=0 "$corpus" $seeds 2>&1 | tail -n 2
  done
fi
echo "all tests passed in ${SECONDS} s"
