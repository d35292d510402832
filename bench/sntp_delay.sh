#!/usr/bin/env bash
# How close the SNTP cycle comes to true time before and after "← 測定":
# chronyd (-x: it never touches the clock) serves on 127.0.0.80, and three
# relays (bench/native/delay_relay.cpp) on 127.0.0.81 to .83 hold each
# datagram 0, 10 and 40 ms each way. ntpdig, which corrects for the round
# trip, says what it would move the clock by (it sets nothing); sntp_delay.exe
# (bench/driven/sntp_delay.cpp) runs the engine's cycle under Wine with the
# default fine adjustment, measures it, and runs the cycle again.
#   bash bench/sntp_delay.sh
# BENCH_ROUNDS       cycles and ntpdig runs per delay (default 5, 1 to 100)
# BENCH_WINEPREFIX, BENCH_NO_BUILD=1   see bench/session.sh
source "$(dirname "$0")/session.sh"
source "$(dirname "$0")/lib.sh"

bench_rounds
SERVER=127.0.0.80
RELAYS=("127.0.0.81 0" "127.0.0.82 10" "127.0.0.83 40")

if [ "${HORALUX_NO_NETWORK:-}" != 1 ]; then
  # Only this benchmark needs them; the clock right is dropped before any
  # package script could start a daemon.
  ensure_no_clock_right bash "$(realpath "$0")" "$@"
  install_missing chrony ntpsec-ntpdig
fi
bench_session "$BUILD/bench/prefix-sntp-delay" Horalux sntp_delay -- "$0" "$@"

WORK=$(mktemp -d)
PIDS=()
finish() {
  end_started
  wine_session_end
}
bench_session_start
trap finish EXIT

start_reference "$SERVER"
start_relays "$BUILD/win/native-tools/delay_relay" 123 "$SERVER" 123
await_reference "$SERVER"

ARGS=()
for relay in "${RELAYS[@]}"; do
  set -- $relay
  figures=$(ntpdig_figures "$1" "$ROUNDS")
  ARGS+=("$1:$2:$figures")
done
"$WINE" "$BUILD/win/sntp_delay.exe" "$ROUNDS" "${ARGS[@]}" 2>/dev/null | tr -d '\r'
