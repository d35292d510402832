#!/usr/bin/env bash
# Builds and runs every test: native unit tests, then the Windows tests and
# the end-to-end tests under Wine on a virtual display of their own.
source "$(dirname "$0")/scripts/lib.sh"
ensure_no_clock_right bash "$0" "$@"
install_packages
cd "$ROOT"

echo "== native build and unit tests"
build_native
(cd "$BUILD/native" && ctest --output-on-failure -j2 --timeout 300)

echo "== cross build"
build_win

echo "== Windows tests under Wine"
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
