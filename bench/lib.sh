# Sourced by the benchmarks that hold the engine up against a reference on
# loopback: chronyd (-x: it never touches the clock), the relays that delay
# the way to a server, and ntpdig, which says what it would move the clock by
# (it sets nothing). The caller gives WORK, a scratch folder, and PIDS, the
# programs it ends on exit; RELAYS lists "ADDRESS DELAY_MS" pairs.

# BENCH_ROUNDS, the runs of each kind, as ROUNDS: 5 when unset, and the
# script ends unless it is a whole number from 1 to 100.
bench_rounds() {
  ROUNDS=${BENCH_ROUNDS:-5}
  bench_count BENCH_ROUNDS "$ROUNDS" 1
  ((ROUNDS <= 100)) || { echo "BENCH_ROUNDS must be 100 or less" >&2; exit 2; }
}

# `start_reference ADDRESS`: chronyd serving on ADDRESS:123 with its own
# config, pid and drift files, no command socket, and never a hand on the
# clock.
start_reference() {
  cat >"$WORK/chrony.conf" <<CONF
port 123
bindaddress $1
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
}

# `start_relays PROGRAM PORT SERVER_ADDRESS SERVER_PORT`: one relay PROGRAM
# on each of RELAYS' addresses at PORT, holding what passes its delay each
# way.
start_relays() {
  local relay address delay
  for relay in "${RELAYS[@]}"; do
    read -r address delay <<<"$relay"
    setpriv --bounding-set -sys_time -- "$1" "$address" "$2" "$3" "$4" "$delay" &
    PIDS+=($!)
  done
}

# ntpdig's offset in milliseconds (positive: the clock is behind), or nothing.
ntpdig_ms() {
  setpriv --bounding-set -sys_time -- ntpdig -j -t 2 "$1" 2>/dev/null |
    grep -o '"offset": *[-+0-9.e]*' | sed 's/.*: *//' | awk '{ printf "%.3f", $1 * 1000 }'
}

# `await_reference ADDRESS`: waits up to half a minute for an answer from
# ADDRESS; ends the script if none comes.
await_reference() {
  local _
  for _ in $(seq 30); do
    [ -n "$(ntpdig_ms "$1")" ] && return
    sleep 1
  done
  echo "chronyd does not answer:" >&2
  cat "$WORK/chronyd.log" >&2
  exit 1
}

# `ntpdig_figures ADDRESS ROUNDS`: ROUNDS of ntpdig's offsets from ADDRESS,
# comma-separated; ends the script if one gets no answer.
ntpdig_figures() {
  local figures=() ms _
  for _ in $(seq "$2"); do
    ms=$(ntpdig_ms "$1")
    [ -n "$ms" ] || { echo "ntpdig got no answer through $1:" >&2; cat "$WORK/chronyd.log" >&2; exit 1; }
    figures+=("$ms")
  done
  (IFS=,; echo "${figures[*]}")
}

# Ends the programs in PIDS and removes WORK.
end_started() {
  local pid
  for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait "${PIDS[@]}" 2>/dev/null || true
  rm -rf "$WORK"
}
