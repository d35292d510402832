#!/usr/bin/env bash
# What a connection test costs beside its two SNTP exchanges and the log
# rewrite it must do: cycle_cost.exe (bench/driven/cycle_cost.cpp) clicks
# "接続テスト" in Horalux.exe N times against the SNTP test responder on a
# loopback address, and times the exchanges and the log commit alone in turn.
#   bash bench/cycle_cost.sh
# BENCH_ROUNDS       rounds (default 20, 1 to 1000)
# BENCH_ADDRESS      the responder's loopback address (default 127.0.0.71)
# BENCH_WINEPREFIX, BENCH_NO_BUILD=1   see bench/session.sh
source "$(dirname "$0")/session.sh"

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

bench_session "$BUILD/bench/prefix-cycle" Horalux cycle_cost -- "$0" "$@"
bench_session_start
# The driver ends Horalux.exe itself; the session's end takes whatever is left.
"$WINE" "$BUILD/win/cycle_cost.exe" "$ROUNDS" "$ADDRESS" 2>/dev/null | tr -d '\r'
