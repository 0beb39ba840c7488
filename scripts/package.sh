#!/usr/bin/env bash
# Builds the release archive dist/VeltaroPro-<version>-win64.zip: the window
# program, veltaro.exe, Data\, Languages\ and Documentation\ in one folder,
# everything a user needs beside the program.
# Usage: scripts/package.sh [--no-build]   (--no-build: package build/win64 as it is)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/win64
window_program=VeltaroPro.exe

version=$(sed -nE 's/^project\(VeltaroPro VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "package: no version in CMakeLists.txt" >&2; exit 2; }
name=VeltaroPro-$version-win64

if [ "${1:-}" != "--no-build" ]; then
  cmake --preset win64 >/dev/null
  targets=(veltaro)
  # The window program, once the build has it.
  if ninja -C "$build" -t targets all 2>/dev/null | grep -q "^${window_program%.exe}:"; then
    targets+=("${window_program%.exe}")
  fi
  cmake --build --preset win64 -j "$(nproc)" --target "${targets[@]}"
fi

[ -f "$build/veltaro.exe" ] || { echo "package: $build/veltaro.exe is missing" >&2; exit 2; }
stage=$root/dist/stage
rm -rf "$stage"
mkdir -p "$stage/$name/Backups"
cp "$build/veltaro.exe" "$stage/$name/"
if [ -f "$build/$window_program" ]; then
  cp "$build/$window_program" "$stage/$name/"
else
  echo "package: warning: no window program ($window_program) in this build; the archive holds the command line only" >&2
fi
# The data folders come from the sources, never from a build folder that a
# test may have written into.
cp -r data/Data data/Languages data/Documentation "$stage/$name/"
cp LICENSE "$stage/$name/Documentation/"

mkdir -p dist
archive=$root/dist/$name.zip
rm -f "$archive"
# -X: no host owners or extra times; files in a fixed order.
(cd "$stage" && find "$name" | LC_ALL=C sort | zip -X -q "$archive" -@)
rm -rf "$stage"
echo "package: $archive"
