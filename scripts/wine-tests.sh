#!/usr/bin/env bash
# The Windows tests and the end-to-end tests under Wine, on a virtual display
# and a wineserver of their own. test.sh runs this inside no-network.sh.
source "$(dirname "$0")/lib.sh"
source "$ROOT/scripts/wine-session.sh"
unset DISPLAY
wine_session_start
trap wine_session_end EXIT
# One at a time: Wine binds every loopback test server to the same port 123.
(cd "$BUILD/win" && ctest --output-on-failure -L win32 --timeout 300)
(cd "$BUILD/win" && ctest --output-on-failure -L e2e --timeout 300)
for bmp in "$BUILD"/win/e2e-artifacts/*.bmp; do
  [ -f "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && echo "Screenshot: ${bmp%.bmp}.png"
done
