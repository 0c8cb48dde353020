#!/usr/bin/env bash
# Which build of the Windows programs runs under Wine on this machine: prints
# i686 when Wine starts a 32-bit program the project builds (a tiny probe),
# x86_64 otherwise. WINARCH=i686 or WINARCH=x86_64 decides instead.
# With NAME, also says on stderr, in one line starting with NAME, which build
# runs and why; with --both, a machine that starts 32-bit programs runs both
# builds (prints "i686 x86_64"), so that neither path rots.
# The probe's answer is kept in BUILD/wine-probe until the kernel or Wine changes.
# Usage: tools/wine/wine_arch.sh BUILD [NAME [--both]]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath -m "${1:-build}")
name=${2:-}
both=${3:-}

say() { [ -z "$name" ] || echo "$name: $*" >&2; }
answer() {  # arch, reason
  if [ "$1" = i686 ] && [ "$both" = --both ]; then
    say "$2: running the 32-bit build, then the 64-bit build under wine64"
    echo "i686 x86_64"
  elif [ "$1" = i686 ]; then
    say "$2: running the 32-bit build"
    echo i686
  else
    say "$2: running the 64-bit build under wine64"
    echo x86_64
  fi
  exit 0
}

case "${WINARCH:-}" in
  "") ;;
  i686|x86_64) both=""; answer "$WINARCH" "WINARCH=$WINARCH" ;;
  *) echo "WINARCH must be i686 or x86_64, not '$WINARCH'" >&2; exit 2 ;;
esac
reason() {
  if [ "$1" = i686 ]; then echo "this machine's Wine starts 32-bit programs"
  else echo "this machine's Wine cannot start 32-bit programs"; fi
}

dir="$build/wine-probe"
mkdir -p "$dir"
key="$(uname -r) $(readlink -f "$(command -v wine || echo none)") $( (wine --version 2>&1 || true) | head -1)"
if [ -f "$dir/answer" ] && [ "$(head -1 "$dir/answer")" = "$key" ]; then
  arch=$(tail -1 "$dir/answer")
  answer "$arch" "$(reason "$arch")"
fi

found=x86_64
if command -v wine >/dev/null && i686-w64-mingw32-gcc -Os -s -o "$dir/probe32.exe" "$here/probe32.c" 2>/dev/null; then
  status=0
  ( source "$here/wine_env.sh"
    wine_use i686 "$dir"
    status=0
    timeout -k 5 120 wine "$dir/probe32.exe" </dev/null >/dev/null 2>&1 || status=$?
    wineserver -k >/dev/null 2>&1 || true
    exit $status ) || status=$?
  [ "$status" = 42 ] && found=i686
fi
printf '%s\n%s\n' "$key" "$found" > "$dir/answer"
answer "$found" "$(reason "$found")"
