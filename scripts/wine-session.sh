# Sourced: one Wine prefix under the build folder, one virtual display and one
# persistent wineserver for everything run while the session lasts.
export WINEPREFIX=${WINEPREFIX:-$BUILD/win/wineprefix}
export WINEDEBUG=-all
# No desktop-menu files in the Linux home for the links the tests make.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
# The program takes every fetched time as Japan Standard Time; Wine takes its
# zone from here.
export TZ=Asia/Tokyo

# Starts a virtual display :N, through the command given after N if any,
# and waits until it answers; false when it never does.
xvfb_start() {
  local n=$1
  shift
  "$@" Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  local i
  for i in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  xdpyinfo >/dev/null 2>&1
}

wine_session_start() {
  mkdir -p "$BUILD/win"
  if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    local n
    for n in $(seq 91 120); do
      [ -e "/tmp/.X$n-lock" ] && continue
      xvfb_start "$n" && break
      kill "$XVFB_PID" 2>/dev/null || true
      XVFB_PID=""
    done
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix in $WINEPREFIX"
    "$WINE" wineboot -i >/dev/null 2>&1 || true
    "$WINESERVER" -w
  fi
  if [ ! -f "$WINEPREFIX/.horalux-configured-2" ]; then
    "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
    # Without a window manager, managed windows make Wine wait 2 s at every hide.
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || true
    wine_redirect_shell_folders
    touch "$WINEPREFIX/.horalux-configured-2"
  fi
  # A server left by an earlier run lives in that run's network namespace.
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -p >/dev/null 2>&1 || true
  # The first program of a session also starts Wine's own services; let that
  # finish before anything is timed.
  timeout 120 "$WINE" cmd /c exit >/dev/null 2>&1 || true
  # Wine closes its desktop a second after the last program ends and starts
  # it anew for the next; a program started while it closes ends at once.
  # One program that lasts the session keeps the desktop up.
  if [ -f "$BUILD/win/desktop_keeper.exe" ]; then
    "$WINE" "$BUILD/win/desktop_keeper.exe" >/dev/null 2>&1 &
  fi
}

# A fresh prefix links Desktop to the Linux home, and wineboot runs whatever
# lies in Startup: every shell folder a test writes links into lives under the
# build folder instead.
SHELL_FOLDERS=$BUILD/win/shell-folders
wine_redirect_shell_folders() {
  local key='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer'
  local name dir win
  for name in Desktop Programs Startup 'Start Menu'; do
    dir=$SHELL_FOLDERS/${name// /}
    mkdir -p "$dir"
    win="Z:${dir//\//\\}"
    "$WINE" reg add "$key\\User Shell Folders" /v "$name" /t REG_EXPAND_SZ /d "$win" /f >/dev/null 2>&1 || true
    "$WINE" reg add "$key\\Shell Folders" /v "$name" /t REG_SZ /d "$win" /f >/dev/null 2>&1 || true
  done
}

wine_session_end() {
  # A start-up link left behind would start a resident run at the next wineboot.
  rm -f "$SHELL_FOLDERS/Startup/Horalux.lnk"
  "$WINESERVER" -k >/dev/null 2>&1 || true
  if [ -n "${XVFB_PID:-}" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
}
