#!/usr/bin/env bash
# Fails when a source folder includes a header of a folder above it. The
# layers, lowest first (folders on one line are side by side):
#   platform / core / files / registry / settings lists / backup / scanner /
#   manager / cli shell widgets
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A rank=(
  [platform]=0 [core]=1 [files]=2 [registry]=3 [settings]=4 [lists]=4
  [backup]=5 [scanner]=6 [manager]=7 [cli]=8 [shell]=8 [widgets]=8
)

status=0
while IFS= read -r line; do
  file=${line%%:*}
  folder=${file#src/}
  folder=${folder%%/*}
  target=$(sed -E 's/^[^"]*"([^/"]+)\/.*$/\1/' <<<"${line#*:}")
  [ -n "${rank[$target]:-}" ] || continue
  if [ -z "${rank[$folder]:-}" ]; then
    echo "layers: $file: folder src/$folder/ has no place in the layer order" >&2
    status=1
  elif [ "${rank[$target]}" -gt "${rank[$folder]}" ]; then
    echo "layers: $file includes $target/, a layer above $folder/" >&2
    status=1
  fi
done < <(grep -rHE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"[^"/]+/' src --include='*.h' --include='*.cpp' || true)

# The window's logic is portable: it builds natively and includes neither
# Windows headers nor the Win32 classes that bind it to controls.
while IFS= read -r line; do
  echo "layers: ${line%%:*}: src/shell/logic/ is portable and includes ${line#*:#include }" >&2
  status=1
done < <(grep -rHE '^[[:space:]]*#[[:space:]]*include[[:space:]]+(<windows\.h>|<commctrl\.h>|"widgets/|"shell/[^l])' \
  src/shell/logic --include='*.h' --include='*.cpp' || true)

# Windows headers only where the system is met: the Win32 platform, the
# window classes and the widgets.
while IFS= read -r line; do
  echo "layers: ${line%%:*} includes <windows.h> outside the Win32 code" >&2
  status=1
done < <(grep -rlE '^[[:space:]]*#[[:space:]]*include[[:space:]]+<windows\.h>' src --include='*.h' --include='*.cpp' |
  grep -vE '^src/(platform/win32|shell|widgets)/' | grep -v '^src/shell/logic/' || true)

# Stop-aware waits go through TStopWait: the mingw-w64 runtime's stop
# callbacks (also behind condition_variable_any's stop_token waits) can
# leave a worker waiting forever.
while IFS= read -r line; do
  echo "layers: $line: use core/StopWait.h instead of stop callbacks" >&2
  status=1
done < <(grep -rnE 'condition_variable_any|std::stop_callback' src --include='*.h' --include='*.cpp' |
  grep -v '^src/core/StopWait.h:' | grep -v '^src/core/Worker.h:.*never a std::stop_callback' || true)

[ "$status" -eq 0 ] && echo "layers: every include points down"
exit "$status"
