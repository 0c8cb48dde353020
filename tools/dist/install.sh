#!/usr/bin/env bash
# Installs the Linux pack as cartopia-pack and the shipped 32-bit setup.exe
# beside it in its data folder, where the installed pack finds it; or
# removes them. `make install` / `make uninstall` run it.
# The command is named cartopia-pack, not pack: a command "pack" exists in
# other software (an old Unix compressor, a container image builder), and an
# installed one would hide it or be hidden.
# Usage: tools/dist/install.sh install|uninstall BUILD [PREFIX [DESTDIR]]
set -euo pipefail
action=$1 build=$2 prefix=${3:-/usr/local} destdir=${4:-}
bindir="$destdir$prefix/bin"
datadir="$destdir$prefix/share/cartopia-pack"
docdir="$destdir$prefix/share/doc/cartopia-pack"
here=$(cd "$(dirname "$0")" && pwd)
case "$action" in
  install)
    for f in "$build/host/bin/pack" "$build/win/bin/setup.exe"; do
      [ -f "$f" ] || { echo "install: $f is missing; run make build first" >&2; exit 1; }
    done
    install -d "$bindir" "$datadir" "$docdir"
    install -m 755 "$build/host/bin/pack" "$bindir/cartopia-pack"
    install -m 644 "$build/win/bin/setup.exe" "$datadir/setup.exe"
    install -m 644 "$here/GUIDE.txt" "$docdir/GUIDE.txt"
    echo "installed $bindir/cartopia-pack, $datadir/setup.exe and $docdir/GUIDE.txt"
    ;;
  uninstall)
    rm -f "$bindir/cartopia-pack" "$datadir/setup.exe" "$docdir/GUIDE.txt"
    rmdir "$datadir" "$docdir" 2>/dev/null || true
    echo "removed cartopia-pack from $destdir$prefix"
    ;;
  *)
    echo "usage: install.sh install|uninstall BUILD [PREFIX [DESTDIR]]" >&2
    exit 2
    ;;
esac
