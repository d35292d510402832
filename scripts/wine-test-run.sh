#!/usr/bin/env bash
# Runs one Windows test program under Wine for CTest. Every Wine process a
# test starts inherits the test's standard error, and CTest waits until
# nobody holds its pipe: the output goes through a file instead, so a
# process left behind cannot hold the run until its timeout. Such a process
# is named, since the next test would meet it.
source "$(dirname "$0")/lib.sh"
set +e -uo pipefail
log=$(mktemp "${TMPDIR:-/tmp}/horalux-test.XXXXXX")
child=
trap 'kill "$child" 2>/dev/null; cat "$log"; rm -f "$log"; exit 124' TERM INT
run() {
  : >"$log"
  "$WINE" "$@" >"$log" 2>&1 &
  child=$!
  wait "$child"
  rc=$?
}
run "$@"
# A test program writes its banner before anything else, so a failed run
# that wrote nothing never reached the tests: now and then Wine ends a new
# process at once with status 1. Such a run says nothing about the test; the
# second start decides, and a program that truly fails first thing fails again.
if [ "$rc" -ne 0 ] && [ ! -s "$log" ]; then
  echo "$1 ended with status $rc without writing anything; starting it once more" >&2
  run "$@"
fi
trap - TERM INT
cat "$log"
# A program that ends before it writes a line leaves CTest nothing to show.
if [ ! -s "$log" ]; then
  echo "$1 ended with status $rc without writing anything" >&2
fi
holders() {
  find /proc/[0-9]*/fd -lname "$log" 2>/dev/null | sed 's|/fd/.*||' | sort -u
}
left=$(holders)
for _ in 1 2 3 4 5 6 7 8 9 10; do
  [ -z "$left" ] && break
  sleep 0.2
  left=$(holders)
done
for proc in $left; do
  echo "still running after the test: $(tr '\0' ' ' <"$proc/cmdline" 2>/dev/null)" >&2
done
rm -f "$log"
exit "$rc"
