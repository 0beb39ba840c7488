#!/usr/bin/env bash
# Runs the benchmarks by hand (never part of the test suite) and prints the
# figures bench/README.md quotes.
#   scripts/bench.sh [all|native|wine|wine-spread]
# native: Google Benchmark executables on the simulated platform.
# wine:   the Windows build's WineBench against a dedicated prefix in
#         build/bench-win64/wineprefix; the generated keys and files are
#         removed again at the end, also after a failure. The whole Wine
#         session runs on one CPU: every registry call is a round trip to
#         the wine server, and on these virtual machines waking a process on
#         the other CPU costs about eight times the call itself (a bare walk
#         of the same keys: 4.9 s on one CPU, 40 s across two), which would
#         measure the hypervisor rather than the program.
# wine-spread: the same session left on both CPUs, for that comparison
#         (one bare walk and one scan).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
WHAT=${1:-all}
NATIVE=build/bench-native
WIN=build/bench-win64

echo "== $(date -u '+%Y-%m-%d %H:%M UTC'), load average $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores"

cmake --preset native -B "$NATIVE" -DVP_BENCH=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$NATIVE" -j2 --target vp_regen ScanBench FileReferenceBench FileCacheBench >/dev/null

if [ "$WHAT" = all ] || [ "$WHAT" = native ]; then
  echo "== scan throughput, 1,000,000 generated keys (interleaved pairs: bare walk, scan)"
  "$NATIVE/bench/ScanBench"
  echo "== file reference analysis, 1,000,000 strings"
  "$NATIVE/bench/FileReferenceBench"
  echo "== file existence cache"
  "$NATIVE/bench/FileCacheBench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
fi

if [ "$WHAT" = all ] || [ "$WHAT" = wine ] || [ "$WHAT" = wine-spread ]; then
  if [ "$WHAT" != wine-spread ]; then
    # This shell and everything it starts from here on, the wine server included.
    taskset -p -c 0 $$ >/dev/null
    echo "== the Wine session runs on CPU 0 only"
  fi
  cmake --preset win64 -B "$WIN" -DVP_BENCH=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$WIN" -j2 --target WineBench >/dev/null
  # shellcheck source=wine.sh
  source scripts/wine.sh
  wine_prepare "$ROOT/$WIN"
  wine_start "$ROOT/$WIN"
  DRIVE=$WINEPREFIX/drive_c
  WORK=$DRIVE/vpbench
  BENCH="$ROOT/$WIN/bench/WineBench.exe"
  mkdir -p "$WORK"
  ls -1 "$DRIVE/Program Files" >"$WORK/program-files.before"

  cleanup() {
    set +e
    timeout 600 wine "$BENCH" load 'C:\vpbench\remove.reg' >/dev/null
    timeout 600 wine "$BENCH" load 'C:\vpbench\large-remove.reg' >/dev/null
    ls -1 "$DRIVE/Program Files" | grep -vxF -f "$WORK/program-files.before" |
      while read -r folder; do rm -rf "${DRIVE:?}/Program Files/$folder"; done
    rm -f "$DRIVE"/windows/Fonts/gensans*.ttf "$DRIVE"/generated-*.done
    rm -rf "$WORK"
    wine_stop
  }
  trap cleanup EXIT

  "$NATIVE/bench/vp_regen" --keys 100000 --missing 0.05 --seed 7 --drive "$DRIVE" \
    --out "$WORK/gen.reg" --removal "$WORK/remove.reg"
  "$NATIVE/bench/vp_regen" --large-key 'HKEY_CURRENT_USER\Software\VeltaroBench\Large' --count 100000 \
    --seed 3 --out "$WORK/large.reg"
  printf 'REGEDIT4\r\n\r\n[-HKEY_CURRENT_USER\\Software\\VeltaroBench]\r\n' >"$WORK/large-remove.reg"

  echo "== under Wine: 100,000 generated keys loaded into the prefix"
  timeout 1200 wine "$BENCH" load 'C:\vpbench\gen.reg'
  if [ "$WHAT" = wine-spread ]; then
    echo "== under Wine, on both CPUs: the bare walk, then one pair of walk and scan"
    timeout 3600 wine "$BENCH" walk 1
    timeout 3600 wine "$BENCH" scan 1
    exit 0
  fi
  echo "== under Wine: the bare walk alone, with its registry calls"
  timeout 3600 wine "$BENCH" walk 3
  echo "== under Wine: normal scan against a bare walk through the registry interface"
  timeout 3600 wine "$BENCH" scan 5
  echo "== under Wine: the nine manager fills against a bare walk of the keys they read"
  timeout 3600 wine "$BENCH" manager 5
  echo "== under Wine: each area alone, its time and registry calls"
  timeout 3600 wine "$BENCH" areas
  echo "== under Wine: backup set and restore of one key with 100,000 values against regedit"
  timeout 600 wine "$BENCH" load 'C:\vpbench\large.reg'
  timeout 3600 wine "$BENCH" backup 5 'HKEY_CURRENT_USER\Software\VeltaroBench\Large' 'C:\vpbench'
fi
