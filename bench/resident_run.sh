#!/usr/bin/env bash
# What the resident run costs while it counts down: Horalux.exe -R and a bare
# Win32 window program idle side by side under the same Wine, and their Linux
# processes are sampled once a second for private memory and CPU time.
#   bash bench/resident_run.sh
# BENCH_SECONDS      measuring time in seconds (default 60, 5 to 540)
# BENCH_WINEPREFIX   Wine prefix of its own (default build/bench-prefix); never
#                    the shared test prefix, whose wineserver it would end
# BENCH_NO_BUILD=1   use the executables already in build/win
source "$(dirname "$0")/../scripts/lib.sh"
ensure_no_clock_right bash "$0" "$@"
install_packages
cd "$ROOT"

SECONDS_TO_MEASURE=${BENCH_SECONDS:-60}
if ! [[ $SECONDS_TO_MEASURE =~ ^[0-9]+$ ]] || ((SECONDS_TO_MEASURE < 5 || SECONDS_TO_MEASURE > 540)); then
  echo "BENCH_SECONDS must be a whole number from 5 to 540" >&2
  exit 2
fi
# CPU "after start-up" leaves out the first seconds, where loading Wine and
# the program dominates.
WARMUP=5

PREFIX=${BENCH_WINEPREFIX:-$BUILD/bench-prefix}
PREFIX=$(realpath -m "$PREFIX")
if [ "$PREFIX" = "$(realpath -m "$BUILD/win/wineprefix")" ]; then
  echo "BENCH_WINEPREFIX must not be the shared test prefix $PREFIX" >&2
  exit 2
fi

if [ "${BENCH_NO_BUILD:-0}" != 1 ]; then
  mkdir -p "$BUILD/bench"
  if ! bash "$ROOT/scripts/build.sh" win Horalux bare_window >"$BUILD/bench/build.log" 2>&1; then
    tail -n 30 "$BUILD/bench/build.log" >&2
    exit 1
  fi
fi
for exe in Horalux bare_window; do
  [ -f "$BUILD/win/$exe.exe" ] || { echo "missing $BUILD/win/$exe.exe" >&2; exit 1; }
done

# An inherited WINEPREFIX or DISPLAY would put the run into somebody else's
# session; this one gets its own prefix, wineserver and Xvfb.
export WINEPREFIX=$PREFIX
unset DISPLAY
source "$ROOT/scripts/wine-session.sh"

RUN_DIR=""
HORALUX_PID=""
BARE_PID=""
cleanup() {
  local pid
  for pid in $HORALUX_PID $BARE_PID; do kill "$pid" 2>/dev/null || true; done
  wine_session_end
  if [ -n "$RUN_DIR" ]; then rm -rf "$RUN_DIR"; fi
  rm -f "$BUILD/bench/shared_start.tsv" "$BUILD/bench/shared_end.tsv"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

mkdir -p "$BUILD/bench"
RUN_DIR=$(mktemp -d "$BUILD/bench/resident.XXXXXX")
cp "$BUILD/win/Horalux.exe" "$BUILD/win/bare_window.exe" "$RUN_DIR/"
# Settings beside the program, so the run touches no shared folder. The
# countdown outlasts the measurement by a minute so that no cycle starts: a
# silent hand-given server would be given up for the public built-in ones.
CHIEN=$((SECONDS_TO_MEASURE + 60 > 600 ? 600 : SECONDS_TO_MEASURE + 60))
printf '[Set]\r\nFirst=0\r\n' >"$RUN_DIR/localfol.hlx"
printf '[Jikoku]\r\nudChien=%d\r\ncbSNTPAuto=0\r\ncbSNTP=1\r\nedtSNTP=127.0.0.1\r\ncbNoCkProxy=1\r\n' \
  "$CHIEN" >"$RUN_DIR/Horalux.ini"

wine_session_start
# Let the session's own processes settle so their start-up is not counted
# against either program.
sleep 2

cd "$RUN_DIR"
"$WINE" ./Horalux.exe -R >/dev/null 2>&1 &
HORALUX_PID=$!
"$WINE" ./bare_window.exe "$((SECONDS_TO_MEASURE + 30))" >/dev/null 2>&1 &
BARE_PID=$!
cd "$ROOT"

# The loader keeps its pid when it becomes the Windows program, whose first
# argument is then the program itself; make sure that is what gets measured.
program_of() { tr '\0' '\n' 2>/dev/null <"/proc/$1/cmdline" | head -n 1; }
for _ in $(seq 1 100); do
  [[ $(program_of "$HORALUX_PID") == *Horalux.exe && $(program_of "$BARE_PID") == *bare_window.exe ]] && break
  sleep 0.1
done
for pid in $HORALUX_PID $BARE_PID; do
  if [[ $(program_of "$pid") != *.exe ]]; then
    echo "process $pid did not become a Windows program" >&2
    exit 1
  fi
done

CLK_TCK=$(getconf CLK_TCK)

# Private memory in KiB: pages of this process alone, whether dirty or not.
private_kib() {
  awk '/^Private_(Clean|Dirty):/ {sum += $2} END {print sum + 0}' "/proc/$1/smaps_rollup"
}
# utime + stime in clock ticks; the command field may hold blanks, so count
# fields from after its closing parenthesis.
cpu_ticks() {
  local stat
  stat=$(<"/proc/$1/stat")
  stat=${stat##*) }
  local fields
  read -ra fields <<<"$stat"
  echo $((fields[11] + fields[12]))
}
# Time on the CPU in nanoseconds, summed over the threads: the scheduler's
# own count, fine enough to tell an idle second from a busy one where clock
# ticks of 10 ms round both to nothing.
cpu_ns() {
  cat "/proc/$1"/task/*/schedstat 2>/dev/null | awk '{sum += $1} END {printf "%.0f\n", sum}'
}
# Every other Linux process of this Wine session (wineserver, explorer.exe,
# services...), as pid, program name and CPU ticks: the two programs share
# them, so their CPU is shown apart.
shared_snapshot() {
  local p name
  for p in /proc/[0-9]*; do
    p=${p#/proc/}
    [ "$p" = "$HORALUX_PID" ] || [ "$p" = "$BARE_PID" ] && continue
    tr '\0' '\n' 2>/dev/null <"/proc/$p/environ" | grep -qxF "WINEPREFIX=$PREFIX" || continue
    name=$(program_of "$p")
    name=${name##*[\\/]}
    printf '%s\t%s\t%s\n' "$p" "${name:-?}" "$(cpu_ticks "$p" 2>/dev/null || echo 0)"
  done
}

SAMPLES=$BUILD/bench/resident_samples.tsv
printf 't\thoralux_private_kib\tbare_private_kib\thoralux_cpu_ticks\tbare_cpu_ticks\thoralux_cpu_ns\tbare_cpu_ns\n' >"$SAMPLES"
shared_snapshot >"$BUILD/bench/shared_start.tsv"
start=$EPOCHREALTIME
h_warm="" b_warm="" h_warm_ns="" b_warm_ns=""
for ((t = 0; t < SECONDS_TO_MEASURE; t++)); do
  # Sample on the second, whatever the previous sample cost.
  wait_s=$(awk -v s="$start" -v t="$t" -v now="$EPOCHREALTIME" 'BEGIN {d = s + t - now; print (d > 0 ? d : 0)}')
  sleep "$wait_s"
  for pid in $HORALUX_PID $BARE_PID; do
    if [ ! -r "/proc/$pid/smaps_rollup" ]; then
      echo "process $pid ended during the measurement" >&2
      exit 1
    fi
  done
  h_mem=$(private_kib "$HORALUX_PID")
  b_mem=$(private_kib "$BARE_PID")
  h_cpu=$(cpu_ticks "$HORALUX_PID")
  b_cpu=$(cpu_ticks "$BARE_PID")
  h_ns=$(cpu_ns "$HORALUX_PID")
  b_ns=$(cpu_ns "$BARE_PID")
  if ((t == WARMUP)); then h_warm=$h_cpu b_warm=$b_cpu h_warm_ns=$h_ns b_warm_ns=$b_ns; fi
  printf '%d\t%d\t%d\t%d\t%d\t%d\t%d\n' "$t" "$h_mem" "$b_mem" "$h_cpu" "$b_cpu" "$h_ns" "$b_ns" >>"$SAMPLES"
done
# The closing CPU reading falls at the end of the last second.
sleep "$(awk -v s="$start" -v t="$SECONDS_TO_MEASURE" -v now="$EPOCHREALTIME" 'BEGIN {d = s + t - now; print (d > 0 ? d : 0)}')"
h_cpu=$(cpu_ticks "$HORALUX_PID")
b_cpu=$(cpu_ticks "$BARE_PID")
h_ns=$(cpu_ns "$HORALUX_PID")
b_ns=$(cpu_ns "$BARE_PID")
shared_snapshot >"$BUILD/bench/shared_end.tsv"
# CPU of each shared program over the measurement, busiest first.
shared=$(awk -F '\t' -v tck="$CLK_TCK" '
  NR == FNR { before[$1] = $3; next }
  { used[$2] += $3 - before[$1]; total += $3 - before[$1] }
  END {
    line = sprintf("%.2f s", total / tck)
    n = 0
    for (name in used) if (used[name] > 0) names[++n] = name
    for (i = 1; i <= n; i++)
      for (j = i + 1; j <= n; j++)
        if (used[names[j]] > used[names[i]]) { t = names[i]; names[i] = names[j]; names[j] = t }
    for (i = 1; i <= n; i++) line = line sprintf("%s %s %.2f s", i == 1 ? ":" : ",", names[i], used[names[i]] / tck)
    print line
  }' "$BUILD/bench/shared_start.tsv" "$BUILD/bench/shared_end.tsv")

if [ -e "$RUN_DIR/Jikoku.txt" ]; then
  echo "warning: a synchronisation ran during the measurement; the figures include it" >&2
fi

wine_version=$("$WINE" --version 2>/dev/null || echo "Wine")
awk -F '\t' -v secs="$SECONDS_TO_MEASURE" -v warmup="$WARMUP" -v tck="$CLK_TCK" \
  -v hc="$h_cpu" -v bc="$b_cpu" -v hw="$h_warm" -v bw="$b_warm" \
  -v hn="$h_ns" -v bn="$b_ns" -v hwn="$h_warm_ns" -v bwn="$b_warm_ns" \
  -v shared="$shared" -v wine="$wine_version" '
  function mib(k) { return sprintf("%.2f MiB", k / 1024) }
  function ratio(a, b) { return b > 0 ? sprintf("%.2f", a / b) : (a > 0 ? "inf" : "-") }
  NR > 1 {
    n++; hs += $2; bs += $3
    if ($2 > hp) hp = $2
    if ($3 > bp) bp = $3
  }
  END {
    printf "Resident run (countdown) beside a bare Win32 window, %d s under %s, %d samples 1 s apart\n", secs, wine, n
    printf "%-30s %14s %14s %8s\n", "", "Horalux -R", "bare_window", "ratio"
    printf "%-30s %14s %14s %8s\n", "private memory, peak", mib(hp), mib(bp), ratio(hp, bp)
    printf "%-30s %14s %14s %8s\n", "private memory, average", mib(hs / n), mib(bs / n), ratio(hs, bs)
    printf "%-30s %12.2f s %12.2f s %8s\n", "CPU (utime+stime), whole run", hc / tck, bc / tck, ratio(hc, bc)
    printf "%-30s %11.1f ms %11.1f ms %8s\n", "CPU (run time), whole run", hn / 1e6, bn / 1e6, ratio(hn, bn)
    if (hwn != "")
      printf "%-30s %11.1f ms %11.1f ms %8s\n", "CPU (run time), after " warmup " s", (hn - hwn) / 1e6, (bn - bwn) / 1e6, ratio(hn - hwn, bn - bwn)
    printf "CPU of the other processes of the session (shared, not in the ratios): %s\n", shared
  }' "$SAMPLES"
echo "Samples: $SAMPLES"
