#!/usr/bin/env bash
# Connection tests in a row in one Horalux.exe, against the SNTP responder and
# then through the HTTP responder, with the processes' figures read from /proc
# between two cycles.
#   bash bench/soak.sh [cycles]     (cycles of each source, default 1000)
# See bench/README.md.
source "$(dirname "$0")/session.sh"
CYCLES=${1:-1000}
bench_count cycles "$CYCLES" 10
bench_session "$BUILD/bench/prefix-soak" Horalux soak -- "$0" "$@"
bench_session_start

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
# Bash unsets the coprocess's variables when it ends.
driver=$DRIVER_PID from_driver=${DRIVER[0]} to_driver=${DRIVER[1]}
trap 'kill "$driver" 2>/dev/null || true; wine_session_end' EXIT
read -r -u "$from_driver" ready || { echo "the driver ended before starting" >&2; exit 1; }
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
echo go >&"$to_driver"
finished=0
while read -r -u "$from_driver" kind source n ms file_lines view_lines; do
  if [ "$kind" != cycle ]; then
    [ "$kind" = done ] && finished=1 && break
    echo "$kind $source $n $ms $file_lines $view_lines" >&2
    exit 1
  fi
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$source" "$n" "$ms" "$file_lines" "$view_lines" \
    "$(private_kib "$HORALUX")" "$(descriptors "$HORALUX")" \
    "$(private_kib "$SERVER")" "$(descriptors "$SERVER")" >>"$SAMPLES"
  echo go >&"$to_driver"
done
if ((!finished)); then
  echo "the driver ended before its last cycle" >&2
  exit 1
fi

wine_version=$("$WINE" --version 2>/dev/null || echo "Wine")
echo "Soak: $CYCLES connection tests of each source in one Horalux.exe under $wine_version"
echo "Cycles $((WARMUP + 1))-$((WARMUP + SPAN)) (after $WARMUP to warm up) against the last $SPAN; figures read from /proc between two cycles"
echo "Under Wine, ${ready#ready }: those calls prove nothing here."
echo "Judged (*): Horalux.exe's own memory (Private_Dirty), the wineserver's memory, the descriptors."
echo "Horalux.exe's Private_Clean is mostly pages of the font files it maps, private only while no"
echo "other process maps them: other Wine programs on the machine move it, and the sum with it."
# Private_Clean is mostly pages of the font files the program maps: they
# count as private only while no other process maps the same pages, so other
# Wine programs on the machine move it. The judged figures are the program's
# own memory (Private_Dirty), the wineserver's memory and the descriptors.
awk -F '\t' -v warm="$WARMUP" -v span="$SPAN" -v cycles="$CYCLES" '
  function add(s, part, f, v) {
    sum[s, part, f] += v
    if (v > peak[s, part, f]) peak[s, part, f] = v
  }
  function row(s, label, f, how, judged, a, b, change) {
    a = how == "peak" ? peak[s, "first", f] : sum[s, "first", f] / count[s, "first"]
    b = how == "peak" ? peak[s, "last", f] : sum[s, "last", f] / count[s, "last"]
    change = a > 0 ? (b - a) / a * 100 : 0
    printf "  %-44s %12.1f %12.1f %+7.1f%%%s\n", label ", " how, a, b, change, judged ? " *" : ""
    if (judged && (change > 5 || change < -5)) flat = 0
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
      printf "\n%-46s %12s %12s %8s\n", s, "first " span, "last " span, "change"
      row(s, "cycle time (ms)", 1, "mean")
      row(s, "Horalux.exe private memory (KiB)", 2, "mean")
      row(s, "Horalux.exe private memory (KiB)", 2, "peak")
      row(s, "Horalux.exe Private_Dirty (KiB)", 3, "mean", 1)
      row(s, "Horalux.exe Private_Dirty (KiB)", 3, "peak", 1)
      row(s, "Horalux.exe open descriptors", 4, "peak", 1)
      row(s, "wineserver private memory (KiB)", 5, "mean", 1)
      row(s, "wineserver private memory (KiB)", 5, "peak", 1)
      row(s, "wineserver open descriptors", 7, "peak", 1)
      printf "  log lines over all %d cycles: Jikoku.txt %d to %d, view %d to %d\n", cycles, lo[s], hi[s], vlo[s], vhi[s]
      printf "  %s\n", flat ? "flat: every figure marked * within 5%" : "MOVED: a figure marked * changed by more than 5%"
    }
  }' "$SAMPLES"
echo "Samples: $SAMPLES"
