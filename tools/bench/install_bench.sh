#!/usr/bin/env bash
# Benchmarks of setup.exe, uninst.exe and pack beside a peer installer built
# with makensis (Debian's nsis package, compression off) and beside cp -r /
# rm -r of the same files on the same disk:
#   sizes of the bare and one-file installers,
#   install and uninstall time of three packages: (a) 1,000 files / 100 MB in
#   20 sub-folders, (b) one file of 200 MB, (c) 5,000 files of 1 KB in 20 sub-folders,
#   packaging time for (a) and (b), peak memory of setup.exe during (b).
# Every figure is the median of RUNS runs (default 3); every ratio compares
# figures of the same run of this script. Prints the table and writes
# docs/benchmarks.md.
# Usage: tools/bench/install_bench.sh BUILD_DIR
set -euo pipefail
build=$(realpath -m "${1:-build}")
root=$(cd "$(dirname "$0")/../.." && pwd)
export BENCH_BUILD=$build BENCH_ROOT=$root
export RUNS=${RUNS:-3}
work="$build/bench"
# Times come from the build that this machine's Wine runs; sizes are always
# those of the shipped 32-bit programs. The peer's installers are 32-bit only:
# its figures are taken only where Wine starts 32-bit programs.
export BENCH_ARCH=$("$root/tools/wine/wine_arch.sh" "$build" "make bench")
# What this machine's Wine can start, whatever build WINARCH forces.
export BENCH_MACHINE=$(WINARCH= "$root/tools/wine/wine_arch.sh" "$build")
bin="$build/win/bin"
[ "$BENCH_ARCH" = x86_64 ] && bin="$build/win64/bin"
sizes="$build/win/bin"
for f in bench_driver.exe setup.exe pack.exe uninst.exe; do
  [ -f "$bin/$f" ] || { echo "missing $bin/$f: build first" >&2; exit 1; }
done

# The peer installer's compiler is needed only here, not by the tests.
if [ "$BENCH_ARCH" = i686 ] && ! command -v makensis >/dev/null; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends nsis >/dev/null ||
    { $sudo apt-get update -q >/dev/null && DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends nsis >/dev/null; }
fi

rm -rf "$work"
mkdir -p "$work"
results="$work/results.txt"
: > "$results"

# Z: path of a Linux path, as Wine sees it.
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

# ---------------------------------------------------------------- the files
# Random bytes, so that nothing compresses or dedups.
make_tree() {  # folder, number of sub-folders, files per sub-folder, bytes per file
  local dir=$1 folders=$2 files=$3 bytes=$4 d f
  mkdir -p "$dir"
  for d in $(seq -w 1 "$folders"); do
    mkdir -p "$dir/dir$d"
    head -c $((files * bytes)) /dev/urandom | split -a 4 -d -b "$bytes" - "$dir/dir$d/file"
  done
}
make_tree "$work/src_a" 20 50 104858
mkdir -p "$work/src_b" && head -c 209715200 /dev/urandom > "$work/src_b/big.bin"
make_tree "$work/src_c" 20 250 1024
mkdir -p "$work/src_one" && head -c 10240 /dev/urandom > "$work/src_one/one.bin"
# Compressed packages: real programs (the 110 largest 32-bit program files of
# Debian's Wine below 1.3 MB, about 96 MB, and Cartopia.exe), and a mix of
# data that is compressed already (pictures and archives found on this machine).
mkdir -p "$work/src_z" "$work/src_m"
pe32=$(ls -d /usr/lib/i386-linux-gnu/wine/i386-windows /usr/lib/x86_64-linux-gnu/wine/i386-windows 2>/dev/null | head -1)
python3 - "$pe32" "$work/src_z" "$work/src_m" <<'PICK'
import glob, hashlib, os, shutil, sys  # the two corpora, the same files on every run
pe32, programs, mixed = sys.argv[1:4]
files = sorted(glob.glob(os.path.join(pe32, "*.dll")) + glob.glob(os.path.join(pe32, "*.exe")) if pe32 else [],
               key=lambda f: (-os.path.getsize(f), f))
for f in [f for f in files if os.path.getsize(f) <= 1300000][:110]:
    shutil.copy(f, programs)
total, seen = 0, set()
for folder, _, names in sorted(os.walk("/usr/share")):
    for name in sorted(names):
        path = os.path.join(folder, name)
        if total < 20 << 20 and name.endswith((".png", ".jpg", ".gz", ".zip", ".jar")) and os.path.isfile(path) \
                and not os.path.islink(path) and os.path.getsize(path) > 20000:
            digest = hashlib.sha1(open(path, "rb").read()).digest()  # each content once
            if digest in seen:
                continue
            seen.add(digest)
            plain = "".join(c if c.isalnum() or c in "._-" else "_" for c in path[len("/usr/share/"):])
            shutil.copy(path, os.path.join(mixed, plain))
            total += os.path.getsize(path)
PICK
cp "$sizes/Cartopia.exe" "$work/src_z/" 2>/dev/null || true
# A licence text for the size comparison (both installers show a licence page).
for _ in $(seq 40); do echo "Licence d'utilisation : ce logiciel est fourni tel quel, sans garantie."; done > "$work/licence.txt"

# ---------------------------------------------------------------- pack descriptions
describe() {  # name, source folder, with licence (0/1) [, compression [, privileges]]
  local name=$1 src=$2 licence=$3 compression=${4:-} privileges=${5:-} ini="$work/$1.ini"
  {
    echo "[Setup]"
    [ -n "$compression" ] && echo "Compression = $compression"
    [ -n "$privileges" ] && echo "Privileges = $privileges"
    echo "AppName = Bench$name"
    echo "AppVerName = Bench$name 1.0"
    echo "Folder = $(winpath "$work/inst_$name")"
    echo "SubFolder ="
    echo "NoIcons = yes"
    echo "AllowGroupChange = no"
    echo "OfferMenuIcons = no"
    echo "UninstallIcon = no"
    [ "$licence" = 1 ] && echo "License = licence.txt"
    echo "[Files]"
    (cd "$work" && find "$(basename "$src")" -type f | sort) | while read -r f; do
      sub=$(dirname "${f#*/}")
      if [ "$sub" = . ]; then echo "$f"; else echo "$f = $sub"; fi
    done
  } > "$ini"
}
describe a "$work/src_a" 0
describe auser "$work/src_a" 0 "" user  # (a) as a per-user package
describe b "$work/src_b" 0
describe c "$work/src_c" 0
describe one "$work/src_one" 1
describe z "$work/src_z" 0
describe zbest "$work/src_z" 0 best
describe zfast "$work/src_z" 0 fast
describe mbest "$work/src_m" 0 best
describe m "$work/src_m" 0

# ---------------------------------------------------------------- peer scripts
peer_script() {  # name, source folder or "" for no file
  local name=$1 src=$2 nsi="$work/peer_$1.nsi"
  {
    echo "Name \"Peer$name\""
    echo "OutFile \"$work/peer_$name.exe\""
    echo "InstallDir \"C:\\Peer$name\""
    case "$name" in
      *_lzma) echo "SetCompressor /SOLID lzma" ;;
      *_zlib) echo "SetCompressor zlib" ;;
      *) echo "SetCompress off" ;;
    esac
    echo "LicenseData \"$work/licence.txt\""
    echo "Page license"
    echo "Page directory"
    echo "Page instfiles"
    echo "UninstPage uninstConfirm"
    echo "UninstPage instfiles"
    echo "Section"
    echo "  SetOutPath \"\$INSTDIR\""
    [ -n "$src" ] && echo "  File /r \"$src/*\""
    echo "  WriteUninstaller \"\$INSTDIR\\uninstall.exe\""
    echo "  WriteRegStr HKLM \"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Peer$name\" \"UninstallString\" \"\$INSTDIR\\uninstall.exe\""
    echo "SectionEnd"
    echo "Section \"Uninstall\""
    if [ -n "$src" ]; then
      (cd "$src" && find . -type f | sort) | while read -r f; do
        f=${f#./}; echo "  Delete \"\$INSTDIR\\${f//\//\\}\""
      done
      (cd "$src" && find . -mindepth 1 -type d | sort -r) | while read -r d; do
        d=${d#./}; echo "  RMDir \"\$INSTDIR\\${d//\//\\}\""
      done
    fi
    echo "  Delete \"\$INSTDIR\\uninstall.exe\""
    echo "  RMDir \"\$INSTDIR\""
    echo "  DeleteRegKey HKLM \"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Peer$name\""
    echo "SectionEnd"
  } > "$nsi"
}
peer_script bare ""
peer_script one "$work/src_one"
peer_script a "$work/src_a"
peer_script b "$work/src_b"
peer_script c "$work/src_c"
peer_script z "$work/src_z"
peer_script z_zlib "$work/src_z"
peer_script z_lzma "$work/src_z"
peer_script m_lzma "$work/src_m"

ms_since() { echo $(( ($(date +%s%N) - $1) / 1000000 )); }

# ---------------------------------------------------------------- native figures
# makensis for every package (the timed ones RUNS times), cp -r and rm -r.
peer_runs=$RUNS
[ "$BENCH_ARCH" = i686 ] || peer_runs=0
for name in bare one c; do [ "$peer_runs" = 0 ] || makensis -V1 "$work/peer_$name.nsi" >/dev/null; done
for name in a b; do
  for _ in $(seq "$peer_runs"); do
    t0=$(date +%s%N); makensis -V1 "$work/peer_$name.nsi" >/dev/null; echo "makensis_$name $(ms_since "$t0")" >> "$results"
  done
done
for name in z z_zlib z_lzma m_lzma; do
  [ "$peer_runs" = 0 ] && break
  t0=$(date +%s%N); makensis -V1 "$work/peer_$name.nsi" >/dev/null; echo "makensis_$name $(ms_since "$t0")" >> "$results"
  echo "size_peer_$name $(stat -c %s "$work/peer_$name.exe")" >> "$results"
done
# Our compressed packages, made by the Linux pack (pack.exe does not compress).
hostpack="$build/host/bin/pack"
for name in z zbest zfast m mbest; do
  t0=$(date +%s%N)
  "$hostpack" build "$work/$name.ini" -o "$work/$name.exe" --setup "$bin/setup.exe" >/dev/null
  echo "pack_host_$name $(ms_since "$t0")" >> "$results"
  echo "size_ours_$name $(stat -c %s "$work/$name.exe")" >> "$results"
done
echo "payload_z $(du -b -s "$work/src_z" | cut -f1)" >> "$results"
echo "payload_m $(du -b -s "$work/src_m" | cut -f1)" >> "$results"
# The Linux pack's own time and memory against cp for (b), one 200 MB file
# (the output written anew each time, as cp's), and its memory for a package
# of 1.5 GB (a sparse file: the bytes read are zeros, the package is written).
for _ in $(seq "$RUNS"); do
  rm -f "$work/b_host.exe" "$work/cp_b.bin"; sync
  /usr/bin/time -f "%e %M" -o "$work/time.txt" "$hostpack" build "$work/b.ini" -o "$work/b_host.exe" --setup "$bin/setup.exe" >/dev/null
  read -r secs kb < "$work/time.txt"
  echo "pack_host_b $(python3 -c "print(round($secs * 1000))")" >> "$results"
  echo "pack_host_b_rss_kb $kb" >> "$results"
  sync
  t0=$(date +%s%N); cp "$work/src_b/big.bin" "$work/cp_b.bin"; echo "cp_b_file $(ms_since "$t0")" >> "$results"
done
rm -f "$work/b_host.exe" "$work/cp_b.bin"
mkdir -p "$work/src_huge" && truncate -s 1600000000 "$work/src_huge/huge.bin"
describe huge "$work/src_huge" 0
/usr/bin/time -f "%e %M" -o "$work/time.txt" "$hostpack" build "$work/huge.ini" -o "$work/huge.exe" --setup "$bin/setup.exe" >/dev/null
read -r secs kb < "$work/time.txt"
echo "pack_host_huge_rss_kb $kb" >> "$results"
echo "size_ours_huge $(stat -c %s "$work/huge.exe")" >> "$results"
rm -rf "$work/huge.exe" "$work/src_huge"
for name in a b c; do
  for _ in $(seq "$RUNS"); do
    rm -rf "$work/cp_dst"; sync
    t0=$(date +%s%N); cp -r "$work/src_$name" "$work/cp_dst"; echo "cp_$name $(ms_since "$t0")" >> "$results"
    sync
    t0=$(date +%s%N); rm -r "$work/cp_dst"; echo "rm_$name $(ms_since "$t0")" >> "$results"
  done
done

# ---------------------------------------------------------------- under Wine
export BENCH_WORK=$work BENCH_BIN=$bin BENCH_RESULTS=$results
"$root/tools/wine/with_wine.sh" "$BENCH_ARCH" "$build/bench-wine-$BENCH_ARCH" bash "$root/tools/bench/wine_runs.sh"

# ---------------------------------------------------------------- the table
export BENCH_SIZE_SETUP=$(stat -c %s "$sizes/setup.exe")
export BENCH_SIZE_UNINST=$(stat -c %s "$sizes/uninst.exe")
export BENCH_SIZE_CARTOPIA=$(stat -c %s "$sizes/Cartopia.exe" 2>/dev/null || echo 0)
export BENCH_SIZE_ONE=$(stat -c %s "$work/one.exe")
export BENCH_SIZE_PEER_BARE=$(stat -c %s "$work/peer_bare.exe" 2>/dev/null || echo 0)
export BENCH_SIZE_PEER_ONE=$(stat -c %s "$work/peer_one.exe" 2>/dev/null || echo 0)
export BENCH_PAYLOAD_ONE=$(stat -c %s "$work/src_one/one.bin")
python3 "$root/tools/bench/report.py" "$results" "$root/docs/benchmarks.md"
rm -rf "$work"/src_* "$work"/inst_* "$work"/peer_[abcz] "$work"/*.exe
