# Sourced: one Wine prefix under the build folder, one virtual display and one
# persistent wineserver for everything run while the session lasts.
export WINEPREFIX=${WINEPREFIX:-$BUILD/win/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
# The program takes every fetched time as Japan Standard Time; Wine takes its
# zone from here.
export TZ=Asia/Tokyo
WINESERVER=/usr/lib/wine/wineserver

wine_session_start() {
  mkdir -p "$BUILD/win"
  if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    local n
    for n in $(seq 91 120); do
      [ -e "/tmp/.X$n-lock" ] && continue
      Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
      XVFB_PID=$!
      export DISPLAY=":$n"
      local i
      for i in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
      xdpyinfo >/dev/null 2>&1 && break
      kill "$XVFB_PID" 2>/dev/null || true
      XVFB_PID=""
    done
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix in $WINEPREFIX"
    "$WINE" wineboot -i >/dev/null 2>&1 || true
    "$WINESERVER" -w
  fi
  if [ ! -f "$WINEPREFIX/.horalux-configured" ]; then
    "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
    # Without a window manager, managed windows make Wine wait 2 s at every hide.
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || true
    touch "$WINEPREFIX/.horalux-configured"
  fi
  "$WINESERVER" -p >/dev/null 2>&1 || true
  # The first program of a session also starts Wine's own services; let that
  # finish before anything is timed.
  timeout 120 "$WINE" cmd /c exit >/dev/null 2>&1 || true
}

wine_session_end() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  if [ -n "${XVFB_PID:-}" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
}
