#!/usr/bin/env bash
# Runs a command as a client of a private, headless weston (Wayland) compositor, with Qt's
# wayland platform, and stops the compositor afterwards; exits with the command's status.
#   scripts/with_weston.sh [--screenshots] COMMAND [ARGS...]
# --screenshots starts weston with its debug protocol, which weston-screenshooter needs.
# Headless weston renders (and so releases buffers the way a desktop does) only with pixman.
set -euo pipefail

debug=()
if [[ "${1:-}" == "--screenshots" ]]; then
  debug=(--debug)
  shift
fi
[[ $# -gt 0 ]] || { echo "usage: $0 [--screenshots] COMMAND [ARGS...]" >&2; exit 2; }

runtime=$(mktemp -d "${TMPDIR:-/tmp}/vornlace-weston.XXXXXX")
chmod 0700 "$runtime"
socket="wayland-vornlace-$$"
export XDG_RUNTIME_DIR="$runtime"
weston --backend=headless-backend.so --use-pixman --width=1280 --height=800 --idle-time=0 \
  --socket="$socket" "${debug[@]}" >"$runtime/weston.log" 2>&1 &
weston_pid=$!
cleanup() {
  kill "$weston_pid" 2>/dev/null || true
  wait "$weston_pid" 2>/dev/null || true
  rm -rf "$runtime"
}
trap cleanup EXIT

for _ in $(seq 1 100); do
  [[ -S "$runtime/$socket" ]] && break
  if ! kill -0 "$weston_pid" 2>/dev/null; then
    echo "weston did not start:" >&2
    cat "$runtime/weston.log" >&2
    exit 1
  fi
  sleep 0.1
done
[[ -S "$runtime/$socket" ]] || { echo "weston's socket never appeared" >&2; exit 1; }

unset DISPLAY
export WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland
status=0
"$@" || status=$?
exit "$status"
