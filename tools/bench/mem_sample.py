#!/usr/bin/env python3
"""Samples the memory of the Wine processes whose command line contains a
text, every few milliseconds, while a flag file exists. Writes, per process
(one per run),
its peak anonymous (private) resident memory, its peak file-backed resident
memory and the kernel's own peak resident size (VmHWM), in KB, as
"label value" lines."""
import os
import sys
import time

needle, flag, out = sys.argv[1].encode(), sys.argv[2], sys.argv[3]
prefix = sys.argv[4] if len(sys.argv) > 4 else "mem_b"  # the labels' start
peaks = {}  # pid -> [rss_anon, rss_file, hwm]
known = {}  # pid -> bool: command line matches

def status(pid):
    fields = {}
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            key, _, value = line.partition(":")
            if key in ("RssAnon", "RssFile", "VmHWM"):
                fields[key] = int(value.split()[0])
    return fields

# Wait a moment for the flag, then sample while it exists.
for _ in range(200):
    if os.path.exists(flag):
        break
    time.sleep(0.01)
while os.path.exists(flag):
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        pid = int(entry)
        try:
            if pid not in known:
                with open(f"/proc/{pid}/cmdline", "rb") as f:
                    known[pid] = needle in f.read()
            if not known[pid]:
                continue
            s = status(pid)
        except OSError:
            continue
        p = peaks.setdefault(pid, [0, 0, 0])
        p[0] = max(p[0], s.get("RssAnon", 0))
        p[1] = max(p[1], s.get("RssFile", 0))
        p[2] = max(p[2], s.get("VmHWM", 0))
    time.sleep(0.005)

# Only the setup processes themselves: Wine's short-lived helpers started
# with the same command line stay far below them.
top = max((p[2] for p in peaks.values()), default=0)
with open(out, "w") as f:
    for pid, (anon, filed, hwm) in sorted(peaks.items()):
        if hwm < top / 2:
            continue
        f.write(f"{prefix}_rss_anon_kb {anon}\n{prefix}_rss_file_kb {filed}\n{prefix}_hwm_kb {hwm}\n")
