# Sourced by the other scripts: a quiet Wine prefix inside the build folder,
# a persistent wineserver with warm services while tests run, always stopped.
#   wine_prepare BUILD_DIR   creates the prefix once (null display driver)
#   wine_start BUILD_DIR     starts the server and one idle desktop client
#   wine_stop                stops them (also installed as an EXIT trap)

wine_environment() {
  export WINEPREFIX="$1/wineprefix"
  export WINEARCH=win64
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  unset DISPLAY
}

wine_prepare() {
  wine_environment "$1"
  if [ ! -f "$WINEPREFIX/.vp-ready" ]; then
    echo "wine: creating the prefix in $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    timeout 300 wineboot -i >/dev/null 2>&1 || true
    # Windows, list views and message boxes work with no X server.
    timeout 60 wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    timeout 120 wineserver -w || true
    # The profile's Desktop, Documents and the like are links to the host's
    # home folder: made plain folders, drive C: holds the prefix alone, and a
    # test that walks it does not walk whatever the home folder holds.
    local link
    for link in "$WINEPREFIX"/drive_c/users/*/*; do
      [ -L "$link" ] || continue
      rm -f "$link" && mkdir -p "$link"
    done
    touch "$WINEPREFIX/.vp-ready"
  fi
}

wine_start() {
  wine_environment "$1"
  trap wine_stop EXIT
  wineserver -p
  timeout 120 wine cmd /c exit >/dev/null 2>&1 || true
  # One idle desktop client keeps Wine's service processes alive, started
  # outside CTest's output pipes.
  (timeout 3600 wine cmd /c "ping -n 3600 127.0.0.1 >nul" >/dev/null 2>&1 </dev/null &)
}

wine_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then
    timeout 60 wineserver -k >/dev/null 2>&1 || true
    timeout 60 wineserver -w >/dev/null 2>&1 || true
  fi
}
