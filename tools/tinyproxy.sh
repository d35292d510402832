#!/usr/bin/env bash
# A real HTTP proxy for the tests, on loopback only, that sends every request
# on to one local responder and so never looks up a page's host name.
#   tinyproxy.sh start PORT UPSTREAM_PORT DIR   prints the proxy's pid
#   tinyproxy.sh stop PID
# Run it inside the test network namespace (scripts/no-network.sh).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/proxy-daemon.sh"
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
    proxy_daemon_ready tinyproxy $! "$port" 50
    ;;
  stop)
    proxy_daemon_stop "$2" 20
    ;;
  *)
    echo "usage: tinyproxy.sh start PORT UPSTREAM_PORT DIR | stop PID" >&2
    exit 2
    ;;
esac
