# Sourced by the whole-program benchmarks: the project's paths and packages,
# no right to set the clock, the programs built, then the rest of the script
# inside the tests' private network with a Wine session of its own.
#   bench_session DEFAULT_PREFIX TARGET... -- "$0" "$@"
# BENCH_WINEPREFIX   Wine prefix of its own instead of DEFAULT_PREFIX; never
#                    the shared test prefix, whose wineserver it would end
# BENCH_NO_BUILD=1   use the executables already in build/win
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"

bench_session() {
  local default_prefix=$1 targets=()
  shift
  while [ "$1" != -- ]; do targets+=("$1"); shift; done
  shift
  # The script again, by a path that holds from any folder.
  local script
  script=$(realpath "$1")
  shift
  set -- "$script" "$@"
  ensure_no_clock_right bash "$@"
  cd "$ROOT"
  PREFIX=$(realpath -m "${BENCH_WINEPREFIX:-$default_prefix}")
  if [ "$PREFIX" = "$(realpath -m "$BUILD/win/wineprefix")" ]; then
    echo "BENCH_WINEPREFIX must not be the shared test prefix $PREFIX" >&2
    exit 2
  fi
  if [ "${HORALUX_NO_NETWORK:-}" != 1 ]; then
    install_packages
    mkdir -p "$BUILD/bench"
    if [ "${BENCH_NO_BUILD:-0}" != 1 ] &&
      ! bash "$ROOT/scripts/build.sh" win "${targets[@]}" >"$BUILD/bench/build.log" 2>&1; then
      tail -n 30 "$BUILD/bench/build.log" >&2
      exit 1
    fi
    local target
    for target in "${targets[@]}"; do
      [ -f "$BUILD/win/$target.exe" ] || { echo "missing $BUILD/win/$target.exe" >&2; exit 1; }
    done
    # The rest runs where the tests run: only loopback, and the public time
    # servers' names pointing at it.
    exec bash "$ROOT/scripts/no-network.sh" bash "$@"
  fi
  # An inherited WINEPREFIX or DISPLAY would put the run into somebody
  # else's session; this one gets its own prefix, wineserver and Xvfb.
  export WINEPREFIX=$PREFIX
  unset DISPLAY
  source "$ROOT/scripts/wine-session.sh"
}

# The session's end on exit, as the programs started in it would otherwise
# outlive the script; a fatal signal would skip it, and a reader gone away
# is one (PIPE).
bench_session_start() {
  trap wine_session_end EXIT
  trap 'exit 130' INT TERM HUP PIPE
  wine_session_start
}

# The count a bench takes as its argument: `bench_count WHAT VALUE LEAST` ends
# the script unless VALUE is a whole number of LEAST or more.
bench_count() {
  if ! [[ $2 =~ ^[0-9]+$ ]] || (($2 < $3)); then
    echo "$1 must be a whole number of $3 or more" >&2
    exit 2
  fi
}
