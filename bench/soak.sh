#!/usr/bin/env bash
# Connection tests in a row in one Horalux.exe, against the SNTP responder and
# then through the HTTP responder, with the processes' figures read from /proc
# between two cycles.
#   bash bench/soak.sh [cycles]     (cycles of each source, default 1000)
# See bench/README.md.
source "$(dirname "$0")/../scripts/lib.sh"
ensure_no_clock_right bash "$0" "$@"
source "$ROOT/bench/lib/wine_bench.sh"
CYCLES=${1:-1000}
if ! [[ $CYCLES =~ ^[0-9]+$ ]] || ((CYCLES < 10)); then
  echo "cycles must be a whole number of 10 or more" >&2
  exit 2
fi
BENCH_TARGETS=(Horalux soak)
bench_enter soak "$0" "$@"

# The first cycles fill caches and pools; the figures compare what follows.
WARMUP=$((CYCLES / 10 < 100 ? CYCLES / 10 : 100))
SPAN=$(((CYCLES - WARMUP) / 2 < 100 ? (CYCLES - WARMUP) / 2 : 100))
SAMPLES=$BUILD/bench/soak_samples.tsv

program_of() { tr '\0' '\n' 2>/dev/null <"/proc/$1/cmdline" | head -n 1; }
# The process of this Wine session whose program's name ends with $1.
session_pid() {
  local p
  for p in /proc/[0-9]*; do
    p=${p#/proc/}
    [[ $(program_of "$p") == *"$1" ]] || continue
    tr '\0' '\n' 2>/dev/null <"/proc/$p/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
    echo "$p"
    return
  done
}
# Private_Clean and Private_Dirty of smaps_rollup, in KiB.
private_kib() {
  awk '/^Private_Clean:/ {c = $2} /^Private_Dirty:/ {d = $2} END {printf "%d\t%d", c, d}' "/proc/$1/smaps_rollup"
}
descriptors() {
  local fds=("/proc/$1/fd"/*)
  echo "${#fds[@]}"
}

coproc DRIVER { "$WINE" "$BUILD/win/soak.exe" "$CYCLES" 2>&1; }
DRIVER_PID=$DRIVER_PID
trap 'kill "$DRIVER_PID" 2>/dev/null || true; wine_session_end' EXIT
read -r -u "${DRIVER[0]}" ready || { echo "the driver ended before starting" >&2; exit 1; }
if [[ $ready != ready* ]]; then
  echo "$ready" >&2
  exit 1
fi
HORALUX=$(session_pid 'Horalux.exe')
SERVER=$(session_pid wineserver64)
[ -n "$SERVER" ] || SERVER=$(session_pid wineserver)
if [ -z "$HORALUX" ] || [ -z "$SERVER" ]; then
  echo "cannot find the Linux processes of Horalux.exe and the wineserver" >&2
  exit 1
fi

printf 'source\tcycle\tms\tfile_lines\tview_lines\thoralux_clean_kib\thoralux_dirty_kib\thoralux_fds\tserver_clean_kib\tserver_dirty_kib\tserver_fds\n' >"$SAMPLES"
echo go >&"${DRIVER[1]}"
while read -r -u "${DRIVER[0]}" kind source n ms file_lines view_lines; do
  if [ "$kind" != cycle ]; then
    [ "$kind" = done ] && break
    echo "$kind $source $n $ms $file_lines $view_lines" >&2
    exit 1
  fi
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$source" "$n" "$ms" "$file_lines" "$view_lines" \
    "$(private_kib "$HORALUX")" "$(descriptors "$HORALUX")" \
    "$(private_kib "$SERVER")" "$(descriptors "$SERVER")" >>"$SAMPLES"
  echo go >&"${DRIVER[1]}"
done

wine_version=$("$WINE" --version 2>/dev/null || echo "Wine")
echo "Soak: $CYCLES connection tests of each source in one Horalux.exe under $wine_version"
echo "Cycles $((WARMUP + 1))-$((WARMUP + SPAN)) (after $WARMUP to warm up) against the last $SPAN; figures read from /proc between two cycles"
echo "Under Wine, ${ready#ready }: those calls prove nothing here."
# A leak raises the mean and the peak alike; memory the program hands back
# between cycles lowers single samples, so a fall is no growth.
awk -F '\t' -v warm="$WARMUP" -v span="$SPAN" -v cycles="$CYCLES" '
  function add(s, part, f, v) {
    sum[s, part, f] += v
    if (v > peak[s, part, f]) peak[s, part, f] = v
  }
  function row(s, label, f, how, a, b, change) {
    a = how == "peak" ? peak[s, "first", f] : sum[s, "first", f] / count[s, "first"]
    b = how == "peak" ? peak[s, "last", f] : sum[s, "last", f] / count[s, "last"]
    change = a > 0 ? (b - a) / a * 100 : 0
    printf "  %-40s %12.1f %12.1f %+7.1f%%\n", label ", " how, a, b, change
    if (f != 1 && (change > 5 || (how == "peak" && change < -5))) flat = 0
  }
  NR == 1 { next }
  {
    s = $1; n = $2
    if (!(s in seen)) { seen[s] = 1; order[++sources] = s; lo[s] = 1e9; vlo[s] = 1e9 }
    if ($4 < lo[s]) lo[s] = $4
    if ($4 > hi[s]) hi[s] = $4
    if ($5 < vlo[s]) vlo[s] = $5
    if ($5 > vhi[s]) vhi[s] = $5
    part = n > warm && n <= warm + span ? "first" : n > cycles - span ? "last" : ""
    if (part == "") next
    count[s, part]++
    add(s, part, 1, $3)
    add(s, part, 2, $6 + $7); add(s, part, 3, $7); add(s, part, 4, $8)
    add(s, part, 5, $9 + $10); add(s, part, 6, $10); add(s, part, 7, $11)
  }
  END {
    for (i = 1; i <= sources; i++) {
      s = order[i]
      flat = 1
      printf "\n%-42s %12s %12s %8s\n", s, "first " span, "last " span, "change"
      row(s, "cycle time (ms)", 1, "mean")
      row(s, "Horalux.exe private memory (KiB)", 2, "mean")
      row(s, "Horalux.exe private memory (KiB)", 2, "peak")
      row(s, "  of which Private_Dirty (KiB)", 3, "mean")
      row(s, "Horalux.exe open descriptors", 4, "peak")
      row(s, "wineserver private memory (KiB)", 5, "mean")
      row(s, "wineserver private memory (KiB)", 5, "peak")
      row(s, "wineserver open descriptors", 7, "peak")
      printf "  log lines over all %d cycles: Jikoku.txt %d to %d, view %d to %d\n", cycles, lo[s], hi[s], vlo[s], vhi[s]
      printf "  %s\n", flat ? "flat: no mean grew and no peak moved by more than 5%" : "GROWTH: a figure grew by more than 5%"
    }
  }' "$SAMPLES"
echo "Samples: $SAMPLES"
