#!/usr/bin/env bash
# Runs a command in a network namespace of its own with only loopback, and with
# a private hosts file in which the public time servers' names point at
# loopback responders. Nothing run inside can reach or look up a public server.
#   no-network.sh COMMAND [ARGS...]
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [ "${HORALUX_NO_NETWORK:-}" != 1 ]; then
  exec unshare --net --mount --propagation private \
    env HORALUX_NO_NETWORK=1 bash "${BASH_SOURCE[0]}" "$@"
fi
ip link set lo up
mount --bind "$ROOT/tests/hosts" /etc/hosts
mount --bind "$ROOT/tests/resolv.conf" /etc/resolv.conf
exec "$@"
