#!/usr/bin/env bash
# Builds one configuration: native (core + unit tests) or win (Horalux.exe + Wine tests).
source "$(dirname "$0")/lib.sh"
ensure_no_clock_right bash "$0" "$@"
case "${1:-all}" in
  native) build_native ;;
  win) shift; build_win "$@" ;;
  all) build_native; build_win ;;
  *) echo "usage: build.sh native|win [targets]|all" >&2; exit 2 ;;
esac
