# Sourced by the benchmarks that drive Horalux.exe under Wine, after
# scripts/lib.sh. bench_enter builds BENCH_TARGETS, then runs the calling
# script again inside the tests' private network namespace (only loopback;
# the public servers' names point at loopback responders) and there starts a
# Wine session of the script's own: a prefix (BENCH_WINEPREFIX, default
# build/bench/prefix-NAME), its own wineserver and Xvfb, ended on exit.
#   BENCH_TARGETS=(Horalux kill_safety); bench_enter NAME "$0" "$@"
# BENCH_NO_BUILD=1 uses the executables already in build/win.
bench_enter() {
  local name=$1 script=$2
  shift 2
  local prefix=${BENCH_WINEPREFIX:-$BUILD/bench/prefix-$name}
  prefix=$(realpath -m "$prefix")
  if [ "$prefix" = "$(realpath -m "$BUILD/win/wineprefix")" ]; then
    echo "BENCH_WINEPREFIX must not be the shared test prefix $prefix" >&2
    exit 2
  fi
  if [ "${HORALUX_NO_NETWORK:-}" != 1 ]; then
    install_packages
    mkdir -p "$BUILD/bench"
    if [ "${BENCH_NO_BUILD:-0}" != 1 ] &&
      ! bash "$ROOT/scripts/build.sh" win "${BENCH_TARGETS[@]}" >"$BUILD/bench/build-$name.log" 2>&1; then
      tail -n 30 "$BUILD/bench/build-$name.log" >&2
      exit 1
    fi
    exec bash "$ROOT/scripts/no-network.sh" env BENCH_WINEPREFIX="$prefix" bash "$script" "$@"
  fi
  local target
  for target in "${BENCH_TARGETS[@]}"; do
    [ -f "$BUILD/win/$target.exe" ] || { echo "missing $BUILD/win/$target.exe" >&2; exit 1; }
  done
  # An inherited DISPLAY would put the run on somebody else's screen.
  export WINEPREFIX=$prefix
  unset DISPLAY
  source "$ROOT/scripts/wine-session.sh"
  trap wine_session_end EXIT
  # A fatal signal would skip the ending; a reader gone away is one (PIPE).
  trap 'exit 130' INT TERM HUP PIPE
  wine_session_start
}

# The count a bench takes as its argument: `bench_count WHAT VALUE LEAST` ends the script
# unless VALUE is a whole number of LEAST or more.
bench_count() {
  if ! [[ $2 =~ ^[0-9]+$ ]] || (($2 < $3)); then
    echo "$1 must be a whole number of $3 or more" >&2
    exit 2
  fi
}
