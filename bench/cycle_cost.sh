#!/usr/bin/env bash
# What a connection test costs beside its two SNTP exchanges and the log
# rewrite it must do: cycle_cost.exe (bench/e2e/cycle_cost.cpp) clicks
# "接続テスト" in Horalux.exe N times against the SNTP test responder on a
# loopback address, and times the exchanges and the log commit alone in turn.
#   bash bench/cycle_cost.sh
# BENCH_ROUNDS       rounds (default 20, 1 to 1000)
# BENCH_ADDRESS      the responder's loopback address (default 127.0.0.71)
# BENCH_WINEPREFIX   Wine prefix of its own (default build/bench-cycle-prefix);
#                    never the shared test prefix, whose wineserver it would end
# BENCH_NO_BUILD=1   use the executables already in build/win
source "$(dirname "$0")/../scripts/lib.sh"
ensure_no_clock_right bash "$0" "$@"
if [ "${HORALUX_NO_NETWORK:-}" != 1 ]; then install_packages; fi
cd "$ROOT"

ROUNDS=${BENCH_ROUNDS:-20}
if ! [[ $ROUNDS =~ ^[0-9]+$ ]] || ((ROUNDS < 1 || ROUNDS > 1000)); then
  echo "BENCH_ROUNDS must be a whole number from 1 to 1000" >&2
  exit 2
fi
ADDRESS=${BENCH_ADDRESS:-127.0.0.71}
if ! [[ $ADDRESS =~ ^127\.[0-9]+\.[0-9]+\.[0-9]+$ ]]; then
  echo "BENCH_ADDRESS must be a loopback address (127.x.y.z)" >&2
  exit 2
fi

PREFIX=${BENCH_WINEPREFIX:-$BUILD/bench-cycle-prefix}
PREFIX=$(realpath -m "$PREFIX")
if [ "$PREFIX" = "$(realpath -m "$BUILD/win/wineprefix")" ]; then
  echo "BENCH_WINEPREFIX must not be the shared test prefix $PREFIX" >&2
  exit 2
fi

if [ "${BENCH_NO_BUILD:-0}" != 1 ] && [ "${HORALUX_NO_NETWORK:-}" != 1 ]; then
  mkdir -p "$BUILD/bench"
  if ! bash "$ROOT/scripts/build.sh" win Horalux cycle_cost >"$BUILD/bench/build.log" 2>&1; then
    tail -n 30 "$BUILD/bench/build.log" >&2
    exit 1
  fi
fi
for exe in Horalux cycle_cost; do
  [ -f "$BUILD/win/$exe.exe" ] || { echo "missing $BUILD/win/$exe.exe" >&2; exit 1; }
done
# The rest runs where the tests run: only loopback, and the public time
# servers' names pointing at it.
if [ "${HORALUX_NO_NETWORK:-}" != 1 ]; then
  exec bash "$ROOT/scripts/no-network.sh" bash "$0" "$@"
fi

# An inherited WINEPREFIX or DISPLAY would put the run into somebody else's
# session; this one gets its own prefix, wineserver and Xvfb.
export WINEPREFIX=$PREFIX
unset DISPLAY
source "$ROOT/scripts/wine-session.sh"
trap wine_session_end EXIT
trap 'exit 130' INT TERM

wine_session_start
# The driver ends Horalux.exe itself; the session's end takes whatever is left.
"$WINE" "$BUILD/win/cycle_cost.exe" "$ROUNDS" "$ADDRESS" 2>/dev/null | tr -d '\r'
