#!/usr/bin/env bash
# Drives for the fault-injection tests, mapped into the Wine prefix of a build:
#   Q:  a 2 MB tmpfs, so that a write really fails with a full disk;
#   R:  a read-only view (bind mount) of the folder that S: maps writable, so a
#       test can put a setup program on S: and start it from R:.
# Needs root (mount); without it the drives are missing and the tests that
# need them say so and skip.
# Usage: tools/fault_drives.sh BUILD up|down
set -uo pipefail
build=$(realpath -m "$1")
action=${2:-up}
root="$build/fault-drives"
prefix="$build/wineprefix"

mounted() { mountpoint -q "$1" 2>/dev/null; }

if [ "$action" = down ]; then
  for dir in "$root/ro" "$root/full"; do mounted "$dir" && umount "$dir"; done
  rm -f "$prefix/dosdevices/q:" "$prefix/dosdevices/r:" "$prefix/dosdevices/s:"
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
ln -sfn "$root/full" "$prefix/dosdevices/q:"
mounted "$root/ro" && ln -sfn "$root/ro" "$prefix/dosdevices/r:"
ln -sfn "$root/rw" "$prefix/dosdevices/s:"
exit 0
