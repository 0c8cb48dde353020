#!/usr/bin/env bash
# Runs a command with a Wine prefix in ROOT for programs of ARCH (i686 or
# x86_64), a running wineserver and a display: the caller's $DISPLAY if
# USE_DISPLAY=1, else a private Xvfb.
# Usage: tools/wine/with_wine.sh ARCH ROOT command...
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
arch=$1 root=$(realpath -m "$2"); shift 2
source "$here/wine_env.sh"
wine_use "$arch" "$root"
drives="$here/fault_drives.sh"

xvfb_pid=""
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  "$drives" "$root" down >/dev/null 2>&1 || true
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
wine_prefix_ready
if [ "${WINE_PREFIX_MADE:-0}" = 1 ]; then
  # Making a prefix leaves two sets of Wine's system processes (services and
  # their devices) running side by side, and programs then start ever more
  # slowly. Begin again from one server and one start of the prefix, as with
  # a prefix made by an earlier run.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  wineserver -p >/dev/null 2>&1 </dev/null &
  wine wineboot >/dev/null 2>&1 </dev/null || true
fi
# Drives that really fail (a full disk, a read-only folder) for the fault tests.
"$drives" "$root" up
# Wine needs fixed addresses of a process to be free when it starts, the
# shared user data page at 0x7ffe0000 among them. When something already lies
# there, Wine ends the program at once: exit code 1, no output, and only
# "err:virtual:virtual_alloc_first_teb wine: failed to map the shared user
# data: c0000018" (a heap moved over that page gives exactly this). With the
# kernel's address-space randomization the loader's mappings lie elsewhere at
# each start (the 32-bit loader's heap anywhere in the 32 MB above it), so it
# happened only now and then: seen once in three runs of the suite, in a
# program a test started. Without randomization every start gets the same
# layout, the one that works; the programs these start inherit the setting.
setarch "$(uname -m)" -R "$@"
