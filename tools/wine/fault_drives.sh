#!/usr/bin/env bash
# Drives for the fault-injection tests, mapped into the Wine prefix of a build:
#   J:  a 2 MB tmpfs, so that a write really fails with a full disk;
#   K:  a read-only view (bind mount) of the folder that L: maps writable, so a
#       test can put a setup program on L: and start it from K:.
# Needs root (mount); without it the drives are missing and the tests that
# need them say so and skip.
# Usage: tools/wine/fault_drives.sh ROOT up|down   (ROOT holds the Wine prefix)
set -uo pipefail
build=$(realpath -m "$1")
action=${2:-up}
root="$build/fault-drives"
prefix="$build/wineprefix"

mounted() { mountpoint -q "$1" 2>/dev/null; }

if [ "$action" = down ]; then
  for dir in "$root/ro" "$root/full"; do mounted "$dir" && umount "$dir"; done
  # Every drive link into these folders, whatever letter an earlier version used.
  for link in "$prefix"/dosdevices/?:; do
    [ -L "$link" ] && case "$(readlink "$link")" in "$root"/*) rm -f "$link" ;; esac
  done
  exit 0
fi

mkdir -p "$root/full" "$root/ro" "$root/rw" "$prefix/dosdevices"
# A fresh full-disk drive on every run: nothing left over from the last one.
mounted "$root/full" && umount "$root/full"
if ! mount -t tmpfs -o size=2m,mode=0777 tmpfs "$root/full" 2>/dev/null; then
  echo "fault_drives: cannot mount a tmpfs (not root?); full-disk tests will skip" >&2
  exit 0
fi
if ! mounted "$root/ro"; then
  if ! { mount --bind "$root/rw" "$root/ro" && mount -o remount,bind,ro "$root/ro"; } 2>/dev/null; then
    mounted "$root/ro" && umount "$root/ro"
    echo "fault_drives: cannot make a read-only bind mount; read-only tests will skip" >&2
  fi
fi
ln -sfn "$root/full" "$prefix/dosdevices/j:"
mounted "$root/ro" && ln -sfn "$root/ro" "$prefix/dosdevices/k:"
ln -sfn "$root/rw" "$prefix/dosdevices/l:"
exit 0
