# Shared by the scripts: paths, the dropped clock right, packages.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${HORALUX_BUILD:-$ROOT/build}
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver

# Everything this project runs runs without the right to set the clock.
# CAP_SYS_TIME is bit 25 of the bounding set.
ensure_no_clock_right() {
  local bnd
  bnd=$(awk '/^CapBnd:/ {print $2}' /proc/self/status)
  if (( (16#$bnd >> 25) & 1 )); then
    exec setpriv --bounding-set -sys_time -- "$@"
  fi
}

PACKAGES=(cmake ninja-build g++ googletest libgtest-dev libgmock-dev libbenchmark-dev
  mingw-w64 wine64 wine xvfb x11-utils xdotool imagemagick
  fonts-ipafont-gothic fonts-ipafont-mincho locales clang-format tinyproxy-bin squid openssl
  liblnk-utils clang libclang-rt-14-dev ccache)

install_packages() {
  install_missing "${PACKAGES[@]}"
  ensure_locale
}

# `install_missing PACKAGE...` installs those of them not installed yet.
install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
  done
  if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" = 0 ] || sudo=sudo
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}" </dev/null
  fi
}

# Wine needs the Japanese locale for code page 932 and non-ASCII file names.
ensure_locale() {
  if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf8$'; then
    local sudo=""
    [ "$(id -u)" = 0 ] || sudo=sudo
    $sudo localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
  fi
}

# Where ccache is installed, unchanged sources are not compiled again, also
# across checkouts of the same tree.
CMAKE_LAUNCHER=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR=$ROOT CCACHE_NOHASHDIR=1
  CMAKE_LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

build_native() {
  cmake -S "$ROOT" -B "$BUILD/native" -G Ninja "${CMAKE_LAUNCHER[@]}" >/dev/null
  ninja -C "$BUILD/native"
}

# The fuzz targets: clang with libFuzzer, in a folder of their own.
build_fuzz() {
  cmake -S "$ROOT" -B "$BUILD/fuzz" -G Ninja "${CMAKE_LAUNCHER[@]}" -DHORALUX_FUZZ=ON \
    -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_C_COMPILER=clang-14 >/dev/null
  ninja -C "$BUILD/fuzz"
}

fuzz_targets() {
  local t
  for t in "$ROOT"/fuzz/*_fuzz.cpp; do basename "$t" .cpp; done
}

# Runs one fuzz target for `seconds` over a copy of its seed corpus in
# `work` (the repository's corpus never grows); findings land in
# work/findings, libFuzzer's output in work/log. Its exit status is the
# target's.
fuzz_run() {
  local target=$1 seconds=$2 work=$3
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/findings"
  cp "$ROOT/fuzz/corpus/${target%_fuzz}"/* "$work/corpus/"
  "$BUILD/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$work/findings/" "$work/corpus" >"$work/log" 2>&1 </dev/null
}

build_win() {
  cmake -S "$ROOT" -B "$BUILD/win" -G Ninja "${CMAKE_LAUNCHER[@]}" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" >/dev/null
  ninja -C "$BUILD/win" "$@"
}
