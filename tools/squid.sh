#!/usr/bin/env bash
# squid as a company proxy for the tests, on loopback only: it sends every
# request on to one local web server and never looks up a page's host name.
#   squid.sh start PORT UPSTREAM_PORT DIR [basic USER PASSWORD | ntlm]
#     prints squid's pid; squid's access log is DIR/access.log; with
#     UPSTREAM_PORT 0 squid has nowhere to send a request and answers 503
#   squid.sh stop PID
# Run it inside the test network namespace (scripts/no-network.sh).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/proxy-daemon.sh"
case "${1:-}" in
  start)
    port=$2 upstream=$3 dir=$4 auth=${5:-none}
    mkdir -p "$dir"
    # squid started as root works as the user "proxy".
    chmod 0777 "$dir"
    conf=$dir/squid-$port.conf
    access="http_access allow localhost"
    case "$auth" in
      basic)
        # The password file holds only a hash (apr1), never the password.
        printf '%s:%s\n' "$6" "$(openssl passwd -apr1 "$7")" >"$dir/passwd"
        chmod 0644 "$dir/passwd"
        access="auth_param basic program /usr/lib/squid/basic_ncsa_auth $dir/passwd
auth_param basic realm Horalux test
auth_param basic children 1 startup=1 idle=1
acl authenticated proxy_auth REQUIRED
http_access allow authenticated
# The request headers as received, so a test can show what was sent.
log_mime_hdrs on"
        ;;
      ntlm)
        access="auth_param ntlm program /usr/lib/squid/ntlm_fake_auth
auth_param ntlm children 1 startup=1 idle=1
acl authenticated proxy_auth REQUIRED
http_access allow authenticated"
        ;;
    esac
    peer="cache_peer 127.0.0.1 parent $upstream 0 no-query originserver no-digest name=web
cache_peer_access web allow all"
    [ "$upstream" != 0 ] || peer=""
    cat >"$conf" <<CONF
http_port 127.0.0.1:$port
visible_hostname horalux-test
pid_filename $dir/squid-$port.pid
cache_log $dir/cache.log
access_log stdio:$dir/access.log squid
cache_store_log none
coredump_dir $dir
cache deny all
netdb_filename none
pinger_enable off
shutdown_lifetime 0 seconds
dns_nameservers 127.0.0.1
client_persistent_connections on
$peer
never_direct allow all
$access
http_access deny all
CONF
    squid -N -f "$conf" >"$dir/squid.out" 2>&1 &
    proxy_daemon_ready squid $! "$port" 100 "(see $dir/cache.log)"
    ;;
  stop)
    proxy_daemon_stop "$2" 50
    ;;
  *)
    echo "usage: squid.sh start PORT UPSTREAM_PORT DIR [basic USER PASSWORD | ntlm] | stop PID" >&2
    exit 2
    ;;
esac
