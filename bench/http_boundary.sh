#!/usr/bin/env bash
# How close the HTTP source comes to true time with one request and with the
# measurement of the web server's second boundary: nginx on 127.0.0.1:8090
# gives the time only in its Date header; the engine reaches it directly,
# through three TCP relays (bench/native/tcp_delay_relay.cpp) on 127.0.0.91
# to .93 holding every byte 0, 10 and 40 ms each way, and through squid.
# ntpdig asks chronyd (-x: it never touches the clock) on 127.0.0.80 what
# it would move the same clock by (it sets nothing); http_boundary.exe
# (bench/driven/http_boundary.cpp) runs the engine's HTTP source under Wine.
#   bash bench/http_boundary.sh
# BENCH_ROUNDS       fetches of each kind per way, and ntpdig runs (default 5, 1 to 100)
# BENCH_WINEPREFIX, BENCH_NO_BUILD=1   see bench/session.sh
source "$(dirname "$0")/session.sh"
source "$(dirname "$0")/lib.sh"

bench_rounds
NTP=127.0.0.80
WEB_PORT=8090
SQUID_PORT=3190
RELAYS=("127.0.0.91 0" "127.0.0.92 10" "127.0.0.93 40")

if [ "${HORALUX_NO_NETWORK:-}" != 1 ]; then
  # Only this benchmark needs them; the clock right is dropped before any
  # package script could start a daemon.
  ensure_no_clock_right bash "$(realpath "$0")" "$@"
  install_missing chrony ntpsec-ntpdig nginx-light squid
  mkdir -p "$BUILD/bench"
  g++ -O2 -std=c++20 -Wall -Wextra -pthread -o "$BUILD/bench/tcp_delay_relay" \
    "$ROOT/bench/native/tcp_delay_relay.cpp"
fi
bench_session "$BUILD/bench/prefix-http-boundary" http_boundary -- "$0" "$@"

WORK=$(mktemp -d)
chmod 0755 "$WORK"  # squid works as the user "proxy"
PIDS=()
SQUID_PID=""
finish() {
  [ -z "$SQUID_PID" ] || bash "$ROOT/tools/squid.sh" stop "$SQUID_PID"
  end_started
  wine_session_end
}
bench_session_start
trap finish EXIT

# The web server: one page without a time line, so the Date header is the
# time; nginx stamps it when its event loop wakes for the request.
mkdir -p "$WORK/www" "$WORK/nginx"
echo "<HTML>no time</HTML>" >"$WORK/www/index.html"
cat >"$WORK/nginx.conf" <<CONF
user root;
daemon off;
master_process off;
worker_processes 1;
pid $WORK/nginx.pid;
error_log $WORK/nginx-error.log;
events { worker_connections 64; }
http {
  access_log off;
  client_body_temp_path $WORK/nginx/body;
  proxy_temp_path $WORK/nginx/proxy;
  fastcgi_temp_path $WORK/nginx/fastcgi;
  uwsgi_temp_path $WORK/nginx/uwsgi;
  scgi_temp_path $WORK/nginx/scgi;
  server {
    listen 127.0.0.1:$WEB_PORT;
    root $WORK/www;
  }
}
CONF
setpriv --bounding-set -sys_time -- nginx -c "$WORK/nginx.conf" -p "$WORK" >"$WORK/nginx.out" 2>&1 &
PIDS+=($!)

start_reference "$NTP"
start_relays "$BUILD/bench/tcp_delay_relay" "$WEB_PORT" 127.0.0.1 "$WEB_PORT"
SQUID_PID=$(bash "$ROOT/tools/squid.sh" start "$SQUID_PORT" "$WEB_PORT" "$WORK/squid")

for _ in $(seq 30); do
  (exec 3<>"/dev/tcp/127.0.0.1/$WEB_PORT") 2>/dev/null && break
  sleep 0.2
done
(exec 3<>"/dev/tcp/127.0.0.1/$WEB_PORT") 2>/dev/null ||
  { echo "nginx does not answer:" >&2; cat "$WORK/nginx-error.log" "$WORK/nginx.out" >&2; exit 1; }

await_reference "$NTP"
figures=$(ntpdig_figures "$NTP" "$ROUNDS")

WAYS=("direct=http://127.0.0.1:$WEB_PORT/=-=10")
for relay in "${RELAYS[@]}"; do
  set -- $relay
  goal=10
  (($2 < 40)) || goal=20
  WAYS+=("relay_${2}ms=http://$1:$WEB_PORT/=-=$goal")
done
WAYS+=("squid=http://127.0.0.1:$WEB_PORT/=127.0.0.1:$SQUID_PORT=0")
"$WINE" "$BUILD/win/http_boundary.exe" "$ROUNDS" "$figures" "${WAYS[@]}" \
  2>/dev/null | tr -d '\r'
