#!/usr/bin/env bash
# Runs every fuzz target for a while and prints, per target, how often it
# ran and what it found.
#   bash bench/fuzz.sh                          # 10 minutes per target
#   FUZZ_SECONDS=60 FUZZ_JOBS=2 bash bench/fuzz.sh sntp_reply_fuzz
# FUZZ_SECONDS   seconds per target (default 600)
# FUZZ_JOBS      targets run side by side (default 1, at most 2)
# Targets named on the command line run alone; by default every target runs.
source "$(dirname "$0")/../scripts/lib.sh"
ensure_no_clock_right bash "$0" "$@"
install_packages
cd "$ROOT"

seconds=${FUZZ_SECONDS:-600}
jobs=${FUZZ_JOBS:-1}
if ! [[ $seconds =~ ^[0-9]+$ ]] || ((seconds < 1)); then
  echo "FUZZ_SECONDS must be a whole number of seconds" >&2
  exit 2
fi
if ! [[ $jobs =~ ^[12]$ ]]; then
  echo "FUZZ_JOBS must be 1 or 2" >&2
  exit 2
fi
targets=("$@")
((${#targets[@]})) || mapfile -t targets < <(fuzz_targets)

mkdir -p "$BUILD/bench"
build_fuzz >"$BUILD/bench/fuzz-build.log" 2>&1 || { tail -n 30 "$BUILD/bench/fuzz-build.log" >&2; exit 1; }

WORK=$BUILD/bench/fuzz
run_one() {
  local target=$1 start
  start=$(date +%s)
  fuzz_run "$target" "$seconds" "$WORK/$target" || true
  echo $(($(date +%s) - start)) >"$WORK/$target/elapsed"
}

echo "Fuzzing ${#targets[@]} targets for ${seconds} s each, $jobs at a time ($(clang++-14 --version | head -n 1))"
running=0
for target in "${targets[@]}"; do
  [ -x "$BUILD/fuzz/$target" ] || { echo "no fuzz target $target" >&2; exit 2; }
  run_one "$target" &
  if ((++running >= jobs)); then
    wait -n
    ((running--))
  fi
done
wait

final_stat() { awk -v key="stat::$1:" '$1 == key {print $2}' "$2"; }
total=0
printf '%-20s %8s %12s %10s %8s  %s\n' target seconds executions "exec/s" corpus findings
for target in "${targets[@]}"; do
  w=$WORK/$target
  runs=$(final_stat number_of_executed_units "$w/log")
  found=$(cd "$w/findings" && ls | sed 's/-.*//' | sort | uniq -c | awk '{printf "%s%d %s", (NR > 1 ? ", " : ""), $1, $2}')
  # libFuzzer stops at its first finding; a run without its final figures ended some other way.
  [ -n "$runs" ] || found=${found:-"no final figures, see $w/log"}
  [ -n "$found" ] && total=$((total + 1))
  printf '%-20s %8s %12s %10s %8s  %s\n' "${target%_fuzz}" "$(cat "$w/elapsed")" "${runs:--}" \
    "$(final_stat average_exec_per_sec "$w/log")" "$(ls "$w/corpus" | wc -l)" "${found:-none}"
done
echo "Findings and logs: $WORK/<target>/findings, log"
exit $((total > 0))
