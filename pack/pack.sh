#!/usr/bin/env bash
# pack on Linux: the native pack of the build folder (`make build` makes it in
# BUILD/host/bin); no Wine is involved. For `build`, the package carries the
# shipped 32-bit setup.exe (BUILD/win/bin/setup.exe) unless --setup names another.
# Usage: pack/pack.sh build DESCRIPTION -o OUT.exe [-D Name=Value ...] [--setup SETUP.exe]
#        pack/pack.sh files DESCRIPTION [-D Name=Value ...]
#        pack/pack.sh inspect FILE.exe
#        pack/pack.sh verify PACKAGE.exe DESCRIPTION [-D Name=Value ...] [--setup SETUP.exe]
# BUILD (default: build) selects the build folder; PACK overrides the program.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-build}
case "$build" in /*) ;; *) build="$here/$build" ;; esac
exe=${PACK:-$build/host/bin/pack}
if [ ! -x "$exe" ]; then
  echo "pack: $exe is not built yet (run: make build BUILD=${BUILD:-build})" >&2
  exit 2
fi
args=("$@")
if [ "${1:-}" = build ] || [ "${1:-}" = verify ]; then
  given=0
  for arg in "$@"; do [ "$arg" = --setup ] && given=1; done
  [ "$given" = 1 ] || args+=(--setup "$build/win/bin/setup.exe")
fi
exec "$exe" "${args[@]}"
