#!/usr/bin/env bash
# Real installers in a scratch Wine prefix: a program installed by an NSIS
# installer into the 32-bit registry view and "Program Files (x86)", a second
# one left intact, and a COM server with its type library installed from an
# MSI package. The first program's folder, its font and the server's files
# are then deleted by hand, and a normal and a deep scan must report exactly
# what broke, nothing of the intact program, and nothing of the stock prefix
# beyond its reviewed findings.
# Usage: scripts/installer-test.sh   (after the win64 build)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/win64
work=$build/installers
program=$build/veltaro.exe
[ -x "$program" ] || { echo "installers: build the win64 preset first" >&2; exit 2; }

source scripts/wine.sh
rm -rf "$work"
mkdir -p "$work/packages" "$work/folder/Data" "$work/folder/Languages"
cp tests/installers/program.nsi tests/installers/server.wxs "$work/packages/"
echo "payload" >"$work/packages/payload.txt"
cp "data/Data/Default IgnoreList.dat" "$work/folder/Data/"
cp data/Languages/English.lng "$work/folder/Languages/"
(
  cd "$work/packages"
  for name in VpBroken32:VpGoneFont VpIntact32:VpKeptFont; do
    makensis -V1 -DNAME="${name%%:*}" -DFONT="${name##*:}" program.nsi
  done
  wixl -a x64 -o server.msi server.wxs
)

wine_prepare "$work"
wine_start "$work"
drive_c=$WINEPREFIX/drive_c
timeout 120 wine "$work/packages/VpBroken32-setup.exe" /S
timeout 120 wine "$work/packages/VpIntact32-setup.exe" /S
timeout 120 wine msiexec /i "$work/packages/server.msi" /qn
for file in "Program Files (x86)/VpIntact32/VpIntact32.exe" "Program Files (x86)/VpBroken32/VpBroken32.exe" \
  "Program Files/VpComServer/vpserver.dll" "windows/Fonts/VpGoneFont.ttf"; do
  [ -f "$drive_c/$file" ] || { echo "installers: $file was not installed" >&2; exit 1; }
done

# Broken the way real life breaks them.
rm -rf "$drive_c/Program Files (x86)/VpBroken32" "$drive_c/windows/Fonts/VpGoneFont.ttf" \
  "$drive_c/Program Files/VpComServer/vpserver.dll" "$drive_c/Program Files/VpComServer/vpserver.tlb"

scan() {  # normal|deep
  local flag=""
  [ "$1" = deep ] && flag=--deep
  timeout 600 wine "$program" --folder "$(winepath -w "$work/folder")" scan $flag 2>/dev/null | tr -d '\r' |
    cut -d'|' -f1-2 | sed 's/ *$//' | sort -u || true
}

# What must be found ("Key | Entry"; an entry "*" stands for any one). A key
# reported whole may list its contents, a class finding comes with its
# mirror under HKLM\Software\classes, and a line of the stock prefix's
# reviewed list is allowed.
wow=HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft\\Windows
normal=(
  "$wow\\CurrentVersion\\Uninstall\\VpBroken32 | [Whole key]"
  "$wow\\CurrentVersion\\Run | VpBroken32"
  "$wow\\Help | VpBroken32.hlp"
  "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts | VpGoneFont (TrueType)"
  # The installer service's record of the server's file, by component.
  "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Components\\E2C4F6B0A1D7B3E4C8F5A2D9E1B7C304 | *"
)
deep=()
for key in "CLSID\\{5A3E1F20-6B7C-4D8E-9F01-A2B3C4D5E6F7}" "TypeLib\\{5A3E1F21-6B7C-4D8E-9F01-A2B3C4D5E6F7}" \
  "Interface\\{5A3E1F22-6B7C-4D8E-9F01-A2B3C4D5E6F7}" "VpComServer.Object"; do
  deep+=("HKEY_CLASSES_ROOT\\$key | [Whole key]" "HKEY_LOCAL_MACHINE\\Software\\classes\\$key | [Whole key]")
done
stock=$(grep -v '^//' tests/data/scanner/stock-prefix-findings.txt | cut -f2- | sed 's/\t/ | /' | sort -u)

failed=0
matches() {  # line, expected
  local line=$1 expected=$2 key=${2% | *}
  case "$expected" in
    *" | *") [ "${line%% | *}" = "$key" ] ;;
    *" | [Whole key]") [ "${line%% | *}" = "$key" ] || [ "${line:0:$((${#key} + 1))}" = "$key\\" ] ;;
    *) [ "$line" = "$expected" ] ;;
  esac
}
check() {  # mode, found lines, expected lines...
  local mode=$1 found=$2
  shift 2
  for expected in "$@"; do
    local seen=0
    while IFS= read -r line; do [ "$line" = "$expected" ] || { [ "${expected: -4}" = " | *" ] && matches "$line" "$expected"; } && seen=1; done <<<"$found"
    [ "$seen" = 1 ] || { echo "installers ($mode): not found: $expected"; failed=1; }
  done
  while IFS= read -r line; do
    [ -z "$line" ] || [ "$line" = "Key | Entry" ] && continue
    grep -qxF -- "$line" <<<"$stock" && continue
    local listed=0
    for expected in "$@"; do matches "$line" "$expected" && listed=1; done
    [ "$listed" = 1 ] || { echo "installers ($mode): unexpected: $line"; failed=1; }
  done <<<"$found"
}
found_normal=$(scan normal)
found_deep=$(scan deep)
check normal "$found_normal" "${normal[@]}"
check deep "$found_deep" "${normal[@]}" "${deep[@]}"
echo "normal scan:"; sed 's/^/  /' <<<"$found_normal"
echo "deep scan:"; sed 's/^/  /' <<<"$found_deep"
wine_stop
[ "$failed" = 0 ] && echo "installers: passed"
exit "$failed"
