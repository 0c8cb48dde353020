#!/usr/bin/env bash
# pack on Linux: runs the built pack.exe under Wine, with a Wine prefix of its
# own and a wineserver that does not hold the caller's output open.
# Usage: tools/pack.sh build DESCRIPTION -o OUT.exe | tools/pack.sh inspect FILE.exe
# BUILD (default: build) selects the build folder; PACK_EXE overrides the program.
# The pack.exe of the build this machine's Wine runs is used (WINARCH forces one).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-build}
case "$build" in /*) ;; *) build="$here/$build" ;; esac
arch=$("$here/tools/wine/wine_arch.sh" "$build" pack)
tree=win
[ "$arch" = x86_64 ] && tree=win64
exe=${PACK_EXE:-$build/$tree/bin/pack.exe}
if [ ! -f "$exe" ]; then
  echo "pack: $exe is not built yet (run: make build BUILD=${BUILD:-build})" >&2
  exit 2
fi

source "$here/tools/wine/wine_env.sh"
wine_use "$arch" "$build/pack-wine-$arch"
unset DISPLAY  # a console tool: no window, no display needed

# Absolute Linux paths become Z: paths (Wine maps Z: to /); relative paths are
# passed as they are, since Wine starts the program in the caller's folder.
args=()
for arg in "$@"; do
  case "$arg" in
    /*) args+=("Z:${arg//\//\\}") ;;
    *) args+=("$arg") ;;
  esac
done

# The server stays up a little after the last program, so that calls in a row
# start quickly. It and Wine's helper services are started with their output
# going nowhere, so that they never hold the caller's output open.
(wineserver -p30 >/dev/null 2>&1 </dev/null &)
wine_prefix_ready
exec wine "$exe" "${args[@]}"
