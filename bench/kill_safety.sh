#!/usr/bin/env bash
# Ends Horalux.exe abruptly at random moments while it saves its settings and
# while it commits its access log, and counts what the kills left.
#   bash bench/kill_safety.sh [trials]     (trials of each kind, default 100)
# See bench/README.md. Exits 1 when a file was found mixed, cut or missing.
source "$(dirname "$0")/session.sh"
TRIALS=${1:-100}
bench_count trials "$TRIALS" 1
bench_session "$BUILD/bench/prefix-kill" Horalux kill_safety -- "$0" "$@"
bench_session_start
"$WINE" "$BUILD/win/kill_safety.exe" "$TRIALS"
