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

echo "== fuzz targets, a few seconds each over their seed inputs"
bash "$ROOT/scripts/fuzz-smoke.sh"

echo "== cross build"
build_win

echo "== release package"
build_win release
check_release_package() {
  local zip unpacked
  zip=$(ls "$BUILD"/win/Horalux-*.zip)
  unpacked=$(mktemp -d)
  (cd "$unpacked" && cmake -E tar xf "$zip")
  [ "$(cd "$unpacked" && ls | sort | tr '\n' ' ')" = "Horalux.exe Readme.txt " ] || {
    echo "the package does not hold exactly Horalux.exe and Readme.txt" >&2; return 1; }
  iconv -f CP932 -t UTF-8 "$unpacked/Readme.txt" >/dev/null || {
    echo "Readme.txt in the package is not Shift-JIS" >&2; return 1; }
  rm -rf "$unpacked"
}
check_release_package

echo "== Windows tests under Wine (loopback only)"
bash "$ROOT/scripts/no-network.sh" bash "$ROOT/scripts/wine-tests.sh"
