#!/usr/bin/env bash
# Runs one Windows program of the build under Wine, with the shared prefix and
# a shared virtual display that stays up between runs:
#   wine-run.sh build/win/win32_tests.exe --gtest_filter=...
source "$(dirname "$0")/lib.sh"
ensure_no_clock_right bash "$0" "$@"
# Like the test command, never with a way out of this machine.
if [ "${HORALUX_NO_NETWORK:-}" != 1 ]; then
  exec bash "$ROOT/scripts/no-network.sh" bash "$0" "$@"
fi
ensure_locale
source "$ROOT/scripts/wine-session.sh"
if [ -z "${DISPLAY:-}" ]; then
  export DISPLAY=:99
  xdpyinfo >/dev/null 2>&1 || xvfb_start 99 setsid nohup || true
fi
wine_session_start
"$WINE" "$@"
