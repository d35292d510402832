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

echo "== Windows tests under Wine (loopback only)"
bash "$ROOT/scripts/no-network.sh" bash "$ROOT/scripts/wine-tests.sh"
