# Sourced by the proxy scripts: the start and the stop of a proxy daemon
# that listens on one loopback port.

# Prints the daemon's pid once its port accepts connections and ends the
# script with success; ends the daemon and fails when it never listens.
#   proxy_daemon_ready NAME PID PORT TRIES [HINT]   (TRIES of 0.1 s)
proxy_daemon_ready() {
  local name=$1 pid=$2 port=$3 tries=$4 hint=${5:-}
  for _ in $(seq 1 "$tries"); do
    if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
      echo "$pid"
      exit 0
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
  echo "$name did not start on 127.0.0.1:$port${hint:+ $hint}" >&2
  exit 1
}

# Asks the daemon to end, and ends it for good after TRIES of 0.1 s.
#   proxy_daemon_stop PID TRIES
proxy_daemon_stop() {
  kill "$1" 2>/dev/null || true
  for _ in $(seq 1 "$2"); do kill -0 "$1" 2>/dev/null || exit 0; sleep 0.1; done
  kill -9 "$1" 2>/dev/null || true
}
