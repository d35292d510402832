#!/usr/bin/env bash
# Runs every fuzz target for a few seconds over its seed corpus, so that an
# input that once broke the program and breaks it again fails the suite.
#   bash scripts/fuzz-smoke.sh          (FUZZ_SMOKE_SECONDS, default 3)
source "$(dirname "$0")/lib.sh"
ensure_no_clock_right bash "$0" "$@"
cd "$ROOT"

seconds=${FUZZ_SMOKE_SECONDS:-3}
mkdir -p "$BUILD"
build_fuzz >"$BUILD/fuzz-build.log" 2>&1 || { tail -n 30 "$BUILD/fuzz-build.log" >&2; exit 1; }
failed=0
for target in $(fuzz_targets); do
  work=$BUILD/fuzz-smoke/$target
  if fuzz_run "$target" "$seconds" "$work"; then
    echo "$target: $(awk '/stat::number_of_executed_units/ {print $NF}' "$work/log") runs, no finding"
  else
    echo "$target: FAILED (input and output in $work)" >&2
    grep -E '^(==[0-9]+==ERROR|SUMMARY|broken:)|runtime error' "$work/log" | head -n 5 >&2
    failed=1
  fi
done
exit $failed
