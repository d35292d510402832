#!/usr/bin/env bash
# What the resident run costs while it counts down: Horalux.exe -R beside two
# yardsticks under the same Wine, the floor (a hidden window with the common
# controls and a notification icon whose tip changes once a second), the floor
# once more sending the icon's image with each tip as Horalux's icon must, and
# a bare hidden window. Their Linux processes are sampled once a second for private
# memory and CPU time; at the end the private memory is broken down by mapping.
#   bash bench/resident_run.sh
# BENCH_SECONDS      measuring time in seconds (default 60, 5 to 540)
# BENCH_WINEPREFIX, BENCH_NO_BUILD=1   see bench/session.sh
source "$(dirname "$0")/session.sh"

SECONDS_TO_MEASURE=${BENCH_SECONDS:-60}
if ! [[ $SECONDS_TO_MEASURE =~ ^[0-9]+$ ]] || ((SECONDS_TO_MEASURE < 5 || SECONDS_TO_MEASURE > 540)); then
  echo "BENCH_SECONDS must be a whole number from 5 to 540" >&2
  exit 2
fi
# CPU "after start-up" leaves out the first seconds, where loading Wine and
# the program dominates.
WARMUP=5

bench_session "$BUILD/bench/prefix-resident" Horalux bare_window floor_window -- "$0" "$@"

# The programs, in the order of every column printed: the one measured first,
# then its yardsticks.
EXES=(Horalux.exe floor_window.exe floor_window.exe bare_window.exe)
LABELS=("Horalux -R" floor floor+image bare_window)
YARDSTICK_ARGS=("" "" image "")
PIDS=()
RUN_DIR=""
cleanup() {
  local pid
  for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  wine_session_end
  if [ -n "$RUN_DIR" ]; then rm -rf "$RUN_DIR"; fi
  rm -f "$BUILD/bench/shared_start.tsv" "$BUILD/bench/shared_end.tsv"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

mkdir -p "$BUILD/bench"
RUN_DIR=$(mktemp -d "$BUILD/bench/resident.XXXXXX")
for exe in "${EXES[@]}"; do cp -f "$BUILD/win/$exe" "$RUN_DIR/"; done
# Settings beside the program, so the run touches no shared folder. The
# countdown outlasts the measurement by a minute so that no cycle starts: a
# silent hand-given server would be given up for the built-in ones.
CHIEN=$((SECONDS_TO_MEASURE + 60 > 600 ? 600 : SECONDS_TO_MEASURE + 60))
printf '[Set]\r\nFirst=0\r\n' >"$RUN_DIR/localfol.hlx"
printf '[Jikoku]\r\nudChien=%d\r\ncbSNTPAuto=0\r\ncbSNTP=1\r\nedtSNTP=127.0.0.1\r\ncbNoCkProxy=1\r\n' \
  "$CHIEN" >"$RUN_DIR/Horalux.ini"

wine_session_start
# Let the session's own processes settle so their start-up is not counted
# against any program.
sleep 2

cd "$RUN_DIR"
"$WINE" ./Horalux.exe -R >/dev/null 2>&1 &
PIDS+=($!)
for i in 1 2 3; do
  # shellcheck disable=SC2086  # an empty argument is none
  "$WINE" "./${EXES[i]}" "$((SECONDS_TO_MEASURE + 30))" ${YARDSTICK_ARGS[i]} >/dev/null 2>&1 &
  PIDS+=($!)
done
cd "$ROOT"

# The loader keeps its pid when it becomes the Windows program, whose first
# argument is then the program itself; make sure that is what gets measured.
program_of() { tr '\0' '\n' 2>/dev/null <"/proc/$1/cmdline" | head -n 1; }
all_started() {
  local i
  for i in "${!PIDS[@]}"; do
    [[ $(program_of "${PIDS[i]}") == *"${EXES[i]}" ]] || return 1
  done
}
for _ in $(seq 1 100); do
  all_started && break
  sleep 0.1
done
for i in "${!PIDS[@]}"; do
  if [[ $(program_of "${PIDS[i]}") != *"${EXES[i]}" ]]; then
    echo "process ${PIDS[i]} did not become ${EXES[i]}" >&2
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
# Private memory in KiB by mapping: a file-backed mapping under its file's
# name (each DLL, .so, the program itself), the kernel's named areas ([heap],
# [stack]) under theirs, and every other anonymous mapping as [anonymous]
# (under Wine that holds the Windows heaps and thread stacks too).
private_by_mapping() {
  awk '
    /^[0-9a-f]+-[0-9a-f]+ / {
      name = $6
      for (i = 7; i <= NF; i++) name = name " " $i
      if (name == "") name = "[anonymous]"
      else if (name !~ /^\[/) { sub(/.*\//, "", name) }
      next
    }
    /^Private_(Clean|Dirty):/ { kib[name] += $2 }
    END { for (n in kib) if (kib[n] > 0) printf "%s\t%d\n", n, kib[n] }' "/proc/$1/smaps"
}
# Every other Linux process of this Wine session (wineserver, explorer.exe,
# services...), as pid, program name and CPU ticks: the programs share them,
# so their CPU is shown apart.
shared_snapshot() {
  local p name
  for p in /proc/[0-9]*; do
    p=${p#/proc/}
    [[ " ${PIDS[*]} " == *" $p "* ]] && continue
    tr '\0' '\n' 2>/dev/null <"/proc/$p/environ" | grep -qxF "WINEPREFIX=$PREFIX" || continue
    name=$(program_of "$p")
    name=${name##*[\\/]}
    printf '%s\t%s\t%s\n' "$p" "${name:-?}" "$(cpu_ticks "$p" 2>/dev/null || echo 0)"
  done
}

SAMPLES=$BUILD/bench/resident_samples.tsv
COLUMNS_OF=(horalux floor floor_image bare)
{
  printf t
  for figure in private_kib cpu_ticks cpu_ns; do printf '\t%s' "${COLUMNS_OF[@]/%/_$figure}"; done
  echo
} >"$SAMPLES"
shared_snapshot >"$BUILD/bench/shared_start.tsv"
start=$EPOCHREALTIME
WARM_TICKS=() WARM_NS=()
for ((t = 0; t < SECONDS_TO_MEASURE; t++)); do
  # Sample on the second, whatever the previous sample cost.
  wait_s=$(awk -v s="$start" -v t="$t" -v now="$EPOCHREALTIME" 'BEGIN {d = s + t - now; print (d > 0 ? d : 0)}')
  sleep "$wait_s"
  mem=() ticks=() ns=()
  for pid in "${PIDS[@]}"; do
    if [ ! -r "/proc/$pid/smaps_rollup" ]; then
      echo "process $pid ended during the measurement" >&2
      exit 1
    fi
    mem+=("$(private_kib "$pid")")
    ticks+=("$(cpu_ticks "$pid")")
    ns+=("$(cpu_ns "$pid")")
  done
  if ((t == WARMUP)); then WARM_TICKS=("${ticks[@]}") WARM_NS=("${ns[@]}"); fi
  (IFS=$'\t'; echo "$t"$'\t'"${mem[*]}"$'\t'"${ticks[*]}"$'\t'"${ns[*]}") >>"$SAMPLES"
done
# The closing CPU reading falls at the end of the last second; the breakdown
# is taken just before it.
BREAKDOWN=$BUILD/bench/resident_mappings.tsv
: >"$BREAKDOWN"
for i in "${!PIDS[@]}"; do
  private_by_mapping "${PIDS[i]}" | awk -F '\t' -v col="$i" '{print col "\t" $0}' >>"$BREAKDOWN"
done
sleep "$(awk -v s="$start" -v t="$SECONDS_TO_MEASURE" -v now="$EPOCHREALTIME" 'BEGIN {d = s + t - now; print (d > 0 ? d : 0)}')"
END_TICKS=() END_NS=()
for pid in "${PIDS[@]}"; do
  END_TICKS+=("$(cpu_ticks "$pid")")
  END_NS+=("$(cpu_ns "$pid")")
done
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
  -v ticks="${END_TICKS[*]}" -v ns="${END_NS[*]}" -v warm_ns="${WARM_NS[*]}" \
  -v labels="$(IFS=$'\t'; echo "${LABELS[*]}")" -v shared="$shared" -v wine="$wine_version" '
  function mib(k) { return sprintf("%.2f MiB", k / 1024) }
  function ratio(a, b) { return b > 0 ? sprintf("%.2f", a / b) : (a > 0 ? "inf" : "-") }
  # One figure for the programs, then Horalux against each yardstick.
  function figure(what, v, unit, fmt,    i, line) {
    line = sprintf("%-28s", what)
    for (i = 1; i <= np; i++) line = line sprintf(" %12s", sprintf(fmt, v[i]) unit)
    for (i = 2; i <= np; i++) line = line sprintf(" %7s", ratio(v[1], v[i]))
    print line
  }
  BEGIN {
    np = split(labels, label, "\t")
    split(ticks, tk, " "); split(ns, nsv, " "); split(warm_ns, wn, " ")
  }
  NR > 1 {
    n++
    for (i = 1; i <= np; i++) {
      sum[i] += $(i + 1)
      if ($(i + 1) > peak[i]) peak[i] = $(i + 1)
    }
  }
  END {
    printf "Resident run (countdown) beside the floor, the floor sending its image and a bare Win32 window, %d s under %s, %d samples 1 s apart\n", secs, wine, n
    line = sprintf("%-28s", "")
    for (i = 1; i <= np; i++) line = line sprintf(" %12s", label[i])
    line = line sprintf(" %7s %7s %7s", "/floor", "/+image", "/bare")
    print line
    for (i = 1; i <= np; i++) { pk[i] = peak[i] / 1024; av[i] = sum[i] / n / 1024 }
    figure("private memory, peak", pk, " MiB", "%.2f")
    figure("private memory, average", av, " MiB", "%.2f")
    for (i = 1; i <= np; i++) { s[i] = tk[i] / tck; ms[i] = nsv[i] / 1e6; after[i] = (nsv[i] - wn[i]) / 1e6 }
    figure("CPU (utime+stime), whole", s, " s", "%.2f")
    figure("CPU (run time), whole run", ms, " ms", "%.1f")
    if (wn[1] != "") figure("CPU (run time), after " warmup " s", after, " ms", "%.1f")
    printf "CPU of the other processes of the session (shared, not in the ratios): %s\n", shared
  }' "$SAMPLES"

# Where the private memory goes, at the end of the measurement: the mappings
# that hold the most in any program, the rest summed.
awk -F '\t' -v labels="$(IFS=$'\t'; echo "${LABELS[*]}")" '
  function row(what, v,    c, line) {
    line = sprintf("%-26s", substr(what, 1, 26))
    for (c = 1; c <= np; c++) line = line sprintf(" %12d", v[c])
    printf "%s %+8d\n", line, v[1] - v[2]
  }
  BEGIN { np = split(labels, label, "\t") }
  { kib[$2, $1 + 1] = $3; total[$1 + 1] += $3; names[$2] = 1
    if ($3 > most[$2]) most[$2] = $3 }
  END {
    n = 0
    for (m in names) order[++n] = m
    for (i = 1; i <= n; i++)
      for (j = i + 1; j <= n; j++)
        if (most[order[j]] > most[order[i]] || (most[order[j]] == most[order[i]] && order[j] < order[i])) {
          t = order[i]; order[i] = order[j]; order[j] = t
        }
    printf "\nPrivate memory by mapping (KiB), at the end\n"
    line = sprintf("%-26s", "mapping")
    for (c = 1; c <= np; c++) line = line sprintf(" %12s", label[c])
    printf "%s %8s\n", line, "H-floor"
    shown = 0
    for (i = 1; i <= n; i++) {
      m = order[i]
      for (c = 1; c <= np; c++) v[c] = kib[m, c]
      if (shown < 24 && most[m] >= 32) {
        shown++
        row(m, v)
      } else {
        for (c = 1; c <= np; c++) rest[c] += v[c]
        others++
      }
    }
    if (others) row("(" others " other mappings)", rest)
    # Where the brk heap of the Linux side can grow varies from run to run;
    # when it cannot, the same allocations land in anonymous mappings.
    for (c = 1; c <= np; c++) both[c] = kib["[heap]", c] + kib["[anonymous]", c]
    row("([heap] + [anonymous])", both)
    row("total", total)
  }' "$BREAKDOWN"
echo "Samples: $SAMPLES; mappings: $BREAKDOWN"
