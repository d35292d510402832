#!/usr/bin/env bash
# A real HTTP proxy for the tests, on loopback only, that sends every request
# on to one local responder and so never looks up a page's host name.
#   tinyproxy.sh start PORT UPSTREAM_PORT DIR   prints the proxy's pid
#   tinyproxy.sh stop PID
# Run it inside the test network namespace (scripts/no-network.sh).
set -euo pipefail
case "${1:-}" in
  start)
    port=$2 upstream=$3 dir=$4
    mkdir -p "$dir"
    conf=$dir/tinyproxy-$port.conf
    cat >"$conf" <<CONF
Listen 127.0.0.1
Port $port
Allow 127.0.0.1
Upstream http 127.0.0.1:$upstream
Timeout 30
MaxClients 8
LogLevel Info
LogFile "$dir/tinyproxy-$port.log"
CONF
    tinyproxy -d -c "$conf" >/dev/null 2>&1 &
    pid=$!
    # Ready when the port accepts connections.
    for _ in $(seq 1 50); do
      if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
        echo "$pid"
        exit 0
      fi
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$pid" 2>/dev/null || true
    echo "tinyproxy did not start on 127.0.0.1:$port" >&2
    exit 1
    ;;
  stop)
    kill "$2" 2>/dev/null || true
    for _ in $(seq 1 20); do kill -0 "$2" 2>/dev/null || exit 0; sleep 0.1; done
    kill -9 "$2" 2>/dev/null || true
    ;;
  *)
    echo "usage: tinyproxy.sh start PORT UPSTREAM_PORT DIR | stop PID" >&2
    exit 2
    ;;
esac
