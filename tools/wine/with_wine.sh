#!/usr/bin/env bash
# Runs a command with a Wine prefix of the build folder, a running wineserver
# and a display: the caller's $DISPLAY if USE_DISPLAY=1, else a private Xvfb.
# Usage: tools/with_wine.sh BUILD_DIR command...
set -euo pipefail
build=$(realpath -m "$1"); shift
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
mkdir -p "$build"
drives="$(dirname "$0")/fault_drives.sh"

xvfb_pid=""
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  "$drives" "$build" down >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true
}
trap cleanup EXIT

if [ "${USE_DISPLAY:-0}" != 1 ] || [ -z "${DISPLAY:-}" ]; then
  # A free display number: no lock file and no socket.
  n=$(( 90 + RANDOM % 400 ))
  while [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; do n=$((n + 1)); done
  Xvfb :$n -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
  xvfb_pid=$!
  export DISPLAY=:$n
  for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
fi

# A persistent wineserver whose helpers do not hold the caller's output open.
wineserver -p >/dev/null 2>&1 </dev/null &
if [ ! -f "$WINEPREFIX/.initialised" ]; then
  wine wineboot -i >/dev/null 2>&1 </dev/null || true
  touch "$WINEPREFIX/.initialised"
else
  wine wineboot >/dev/null 2>&1 </dev/null || true
fi
# There is no window manager on the display: Wine manages its windows itself,
# instead of waiting for a manager's answers each time a window is shown or hidden.
if [ ! -f "$WINEPREFIX/.unmanaged" ]; then
  for value in Managed UseTakeFocus; do
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v $value /d N /f >/dev/null 2>&1 </dev/null || true
  done
  touch "$WINEPREFIX/.unmanaged"
fi
# Drives that really fail (a full disk, a read-only folder) for the fault tests.
"$drives" "$build" up
"$@"
