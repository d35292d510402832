#!/usr/bin/env bash
# Builds Horalux.exe and runs it in window mode under Wine. Without a display it
# runs on a virtual one and saves a screenshot of the window:
#   bash run.sh [screenshot.png]      (default build/horalux-window.png)
source "$(dirname "$0")/scripts/lib.sh"
ensure_no_clock_right bash "$0" "$@"
install_packages
cd "$ROOT"
build_win Horalux
source "$ROOT/scripts/wine-session.sh"
shot=${1:-$BUILD/horalux-window.png}
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  wine_session_start
  trap wine_session_end EXIT
  "$WINE" "$BUILD/win/Horalux.exe"
else
  unset DISPLAY
  wine_session_start
  trap wine_session_end EXIT
  "$WINE" "$BUILD/win/Horalux.exe" &
  for i in $(seq 1 100); do
    xdotool search --name '^Horalux$' >/dev/null 2>&1 && break
    sleep 0.2
  done
  sleep 2
  import -window root "$shot"
  echo "Screenshot of the running window: $shot"
  "$WINESERVER" -k >/dev/null 2>&1 || true
fi
