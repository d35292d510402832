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

ROUNDS=${BENCH_ROUNDS:-5}
bench_count BENCH_ROUNDS "$ROUNDS" 1
((ROUNDS <= 100)) || { echo "BENCH_ROUNDS must be 100 or less" >&2; exit 2; }
SERVER=127.0.0.80
RELAYS=("127.0.0.81 0" "127.0.0.82 10" "127.0.0.83 40")

if [ "${HORALUX_NO_NETWORK:-}" != 1 ]; then
  # Only this benchmark needs them; the clock right is dropped before any
  # package script could start a daemon.
  ensure_no_clock_right bash "$(realpath "$0")" "$@"
  missing=()
  for p in chrony ntpsec-ntpdig; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
  if ((${#missing[@]})); then
    sudo=""
    [ "$(id -u)" = 0 ] || sudo=sudo
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}" </dev/null
  fi
fi
bench_session "$BUILD/bench/prefix-sntp-delay" Horalux sntp_delay -- "$0" "$@"

WORK=$(mktemp -d)
PIDS=()
finish() {
  local pid
  for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait "${PIDS[@]}" 2>/dev/null || true
  rm -rf "$WORK"
  wine_session_end
}
bench_session_start
trap finish EXIT

# A reference on loopback alone: its own config, pid and drift files, no
# command socket, and never a hand on the clock.
cat >"$WORK/chrony.conf" <<CONF
port 123
bindaddress $SERVER
cmdport 0
bindcmdaddress /
allow 127.0.0.0/8
local stratum 10
driftfile $WORK/chrony.drift
pidfile $WORK/chronyd.pid
CONF
setpriv --bounding-set -sys_time -- chronyd -x -d -u root -f "$WORK/chrony.conf" \
  >"$WORK/chronyd.log" 2>&1 &
PIDS+=($!)
for relay in "${RELAYS[@]}"; do
  set -- $relay
  setpriv --bounding-set -sys_time -- "$BUILD/win/native-tools/delay_relay" "$1" 123 "$SERVER" 123 "$2" &
  PIDS+=($!)
done

# ntpdig's offset in milliseconds (positive: the clock is behind), or nothing.
ntpdig_ms() {
  setpriv --bounding-set -sys_time -- ntpdig -j -t 2 "$1" 2>/dev/null |
    grep -o '"offset": *[-+0-9.e]*' | sed 's/.*: *//' | awk '{ printf "%.3f", $1 * 1000 }'
}
for _ in $(seq 30); do
  [ -n "$(ntpdig_ms "$SERVER")" ] && break
  sleep 1
done
[ -n "$(ntpdig_ms "$SERVER")" ] || { echo "chronyd does not answer:" >&2; cat "$WORK/chronyd.log" >&2; exit 1; }

ARGS=()
for relay in "${RELAYS[@]}"; do
  set -- $relay
  figures=()
  for _ in $(seq "$ROUNDS"); do
    ms=$(ntpdig_ms "$1")
    [ -n "$ms" ] || { echo "ntpdig got no answer through $1" >&2; exit 1; }
    figures+=("$ms")
  done
  ARGS+=("$1:$2:$(IFS=,; echo "${figures[*]}")")
done
"$WINE" "$BUILD/win/sntp_delay.exe" "$ROUNDS" "${ARGS[@]}" 2>/dev/null | tr -d '\r'
