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
# BENCH_ONLY="pattern ..." takes only the figures whose name matches one of the
# shell patterns (for example "ours_a floor_a peer_wizard_*"; the names are
# those of bench_names in bench_select.sh), with what they need made untimed, and
# writes the table into the build folder instead (bench/benchmarks.md).
# Usage: tools/bench/install_bench.sh BUILD_DIR
set -euo pipefail
build=$(realpath -m "${1:-build}")
root=$(cd "$(dirname "$0")/../.." && pwd)
export BENCH_BUILD=$build BENCH_ROOT=$root
export RUNS=${RUNS:-3}
work="$build/bench"
# Times come from the build that this machine's Wine runs; sizes are always
# those of the shipped 32-bit programs.
export BENCH_ARCH=$("$root/tools/wine/wine_arch.sh" "$build" "make bench")
# The peer is timed in the same width as ours: its default 32-bit installers
# beside our 32-bit build, its 64-bit ones (Target amd64-unicode; Debian's nsis
# ships their stubs) beside our 64-bit build under wine64. Its sizes are those
# of its 32-bit installers, beside our shipped 32-bit programs.
export BENCH_PEER_TARGET=x86-ansi
[ "$BENCH_ARCH" = x86_64 ] && BENCH_PEER_TARGET=amd64-unicode
echo "make bench: timing our $BENCH_ARCH build beside the peer's $BENCH_PEER_TARGET installers" >&2
# What this machine's Wine can start, whatever build WINARCH forces.
export BENCH_MACHINE=$(WINARCH= "$root/tools/wine/wine_arch.sh" "$build")
bin="$build/win/bin"
[ "$BENCH_ARCH" = x86_64 ] && bin="$build/win64/bin"
sizes="$build/win/bin"
for f in bench_driver.exe setup.exe pack.exe uninst.exe; do
  [ -f "$bin/$f" ] || { echo "missing $bin/$f: build first" >&2; exit 1; }
done

# The peer installer's compiler is needed only here, not by the tests.
. "$root/tools/deps/apt_install.sh"
command -v makensis >/dev/null || apt_install nsis

rm -rf "$work"
mkdir -p "$work"
results="$work/results.txt"
: > "$results"

source "$root/tools/bench/bench_select.sh"
check_bench_only
# The shipped 32-bit build's full run, and the 64-bit build's where only it
# runs, each keep their own report.
report="$root/docs/benchmarks.md"
[ "$BENCH_ARCH" = x86_64 ] && report="$root/docs/benchmarks-64bit.md"
[ -z "${BENCH_ONLY:-}" ] || report="$work/benchmarks.md"

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
# 100,000 files of one byte in 100 sub-folders: the same files listed one by
# one, and found by one "**" line after the main program.
wanted pack_host_many pack_many && python3 - "$work/src_many" <<'PY'
import os, sys
for d in range(100):
    folder = os.path.join(sys.argv[1], "dir%03d" % d)
    os.makedirs(folder)
    for f in range(1000):
        with open(os.path.join(folder, "file%04d" % f), "wb") as out:
            out.write(b"x")
PY
mkdir -p "$work/src_one" && head -c 10240 /dev/urandom > "$work/src_one/one.bin"
# Compressed packages: real programs (the 110 largest 32-bit program files of
# Debian's Wine below 1.3 MB, about 96 MB, and Cartopia.exe), and a mix of
# data that is compressed already (pictures and archives found on this machine).
mkdir -p "$work/src_z" "$work/src_m"
# A machine without 32-bit Wine has (almost) no 32-bit program files: its
# 64-bit ones stand in, and the report says which were taken.
pe32=""
for folder in /usr/lib/i386-linux-gnu/wine/i386-windows /usr/lib/x86_64-linux-gnu/wine/i386-windows \
    /usr/lib/x86_64-linux-gnu/wine/x86_64-windows; do
  if [ "$(find "$folder" -maxdepth 1 -name '*.dll' 2>/dev/null | wc -l)" -ge 110 ]; then pe32=$folder; break; fi
done
case $pe32 in
  *i386-windows) ;;
  "") echo "make bench: no program files for the programs corpus" >&2 ;;
  *) echo "make bench: no 32-bit program files here: the programs corpus is made of $pe32" >&2
     echo "programs_corpus_64bit 1" >> "$results" ;;
esac
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
describe_setup() {  # name, with licence (0/1) [, compression] [, Windows folder] [, privileges]: [Setup] and the [Files] header
  local name=$1 licence=$2 compression=${3:-} folder=${4:-$(winpath "$work/inst_$1")} privileges=${5:-}
  echo "[Setup]"
  [ -n "$compression" ] && echo "Compression = $compression"
  [ -n "$privileges" ] && echo "Privileges = $privileges"
  echo "AppName = Bench$name"
  echo "AppVerName = Bench$name 1.0"
  echo "Folder = $folder"
  echo "SubFolder ="
  echo "NoIcons = yes"
  echo "AllowGroupChange = no"
  echo "OfferMenuIcons = no"
  echo "UninstallIcon = no"
  [ "$licence" = 1 ] && echo "License = licence.txt"
  echo "[Files]"
}
describe() {  # name, source folder, with licence (0/1) [, compression] [, Windows folder] [, privileges]
  local name=$1 src=$2 licence=$3 compression=${4:-} folder=${5:-} privileges=${6:-} ini="$work/$1.ini"
  {
    describe_setup "$name" "$licence" "$compression" "${folder:-$(winpath "$work/inst_$name")}" "$privileges"
    (cd "$work" && find "$(basename "$src")" -type f | sort) | while read -r f; do
      sub=$(dirname "${f#*/}")
      if [ "$sub" = . ]; then echo "$f"; else echo "$f = $sub"; fi
    done
  } > "$ini"
}
describe a "$work/src_a" 0
describe auser "$work/src_a" 0 "" "" user  # (a) as a per-user package
describe b "$work/src_b" 0
describe c "$work/src_c" 0
describe one "$work/src_one" 1
describe z "$work/src_z" 0
describe zbest "$work/src_z" 0 best
describe zfast "$work/src_z" 0 fast
describe mbest "$work/src_m" 0 best
describe m "$work/src_m" 0
# 100,000 files: listed one by one (written by a script: a shell loop would
# start 100,000 programs), and found by one "**" line after the main program.
{ describe_setup many 0
  python3 -c 'for d in range(100):
    for f in range(1000): print("src_many/dir%03d/file%04d = dir%03d" % (d, f, d))'; } > "$work/many_listed.ini"
{ describe_setup many 0; echo "src_many/dir000/file0000 = dir000"; echo "src_many/**"; } > "$work/many_pattern.ini"

# ---------------------------------------------------------------- peer scripts
# An installer for all users (administrator, HKLM; the default) or, with scope
# "user", for the user alone: RequestExecutionLevel user, into the user's own
# programs folder ($LOCALAPPDATA\Programs), registered under HKCU. Its pages are
# the plain ones (licence, folder, files; what the silent rows and the sizes
# use), or with ui "wizard" those a publisher ships with the peer's modern
# interface, in French as ours: licence, folder, files with their progress bar,
# and a finish page, which the installer goes on to by itself after the files.
peer_script() {  # name, source folder or "" for no file [, target (default: the timed pair's)] [, admin or user] [, plain or wizard]
  local name=$1 src=$2 target=${3:-$BENCH_PEER_TARGET} scope=${4:-admin} ui=${5:-plain} nsi="$work/peer_$1.nsi"
  local root=HKLM folder="C:\\Peer$name"
  if [ "$scope" = user ]; then root=HKCU folder="\$LOCALAPPDATA\\Programs\\Peer$name"; fi
  {
    echo "Target $target"
    [ "$scope" = user ] && echo "RequestExecutionLevel user"
    echo "Name \"Peer$name\""
    echo "OutFile \"$work/peer_$name.exe\""
    echo "InstallDir \"$folder\""
    case "$name" in
      *_lzma) echo "SetCompressor /SOLID lzma" ;;
      *_zlib) echo "SetCompressor zlib" ;;
      *) echo "SetCompress off" ;;
    esac
    if [ "$ui" = wizard ]; then
      echo "!include MUI2.nsh"
      echo "!insertmacro MUI_PAGE_LICENSE \"$work/licence.txt\""
      echo "!insertmacro MUI_PAGE_DIRECTORY"
      echo "!insertmacro MUI_PAGE_INSTFILES"
      echo "!insertmacro MUI_PAGE_FINISH"
      echo "!insertmacro MUI_UNPAGE_CONFIRM"
      echo "!insertmacro MUI_UNPAGE_INSTFILES"
      echo "!insertmacro MUI_LANGUAGE \"French\""
    else
      echo "LicenseData \"$work/licence.txt\""
      echo "Page license"
      echo "Page directory"
      echo "Page instfiles"
      echo "UninstPage uninstConfirm"
      echo "UninstPage instfiles"
    fi
    echo "Section"
    echo "  SetOutPath \"\$INSTDIR\""
    [ -n "$src" ] && echo "  File /r \"$src/*\""
    echo "  WriteUninstaller \"\$INSTDIR\\uninstall.exe\""
    echo "  WriteRegStr $root \"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Peer$name\" \"UninstallString\" \"\$INSTDIR\\uninstall.exe\""
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
    echo "  DeleteRegKey $root \"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Peer$name\""
    echo "SectionEnd"
  } > "$nsi"
}
peer_script bare "" x86-ansi
peer_script size_one "$work/src_one" x86-ansi
peer_script one "$work/src_one"
peer_script a "$work/src_a"
peer_script b "$work/src_b"
peer_script c "$work/src_c"
peer_script z "$work/src_z"
peer_script z_zlib "$work/src_z"
peer_script z_lzma "$work/src_z"
peer_script m_lzma "$work/src_m"
# The same packages through the peer's wizard: (a), (c) and the programs in
# solid LZMA.
peer_script wizard_a "$work/src_a" "" admin wizard
peer_script wizard_c "$work/src_c" "" admin wizard
peer_script wizard_z_lzma "$work/src_z" "" admin wizard
# Per-user installs of (a) beside the installs for all users (BENCH_PER_USER=0
# leaves them out): the peer's here, ours in wine_runs.sh (ours_per_user).
export BENCH_PER_USER=${BENCH_PER_USER:-1}
[ "$BENCH_PER_USER" = 0 ] || peer_script user_a "$work/src_a" "" user

ms_since() { echo $(( ($(date +%s%N) - $1) / 1000000 )); }
export BENCH_HOSTPACK="$build/host/bin/pack" BENCH_WORK=$work BENCH_BIN=$bin
hostpack=$BENCH_HOSTPACK

# ---------------------------------------------------------------- native figures
# makensis for the packages whose packaging is timed (RUNS times for (a) and
# (b), once for the compressed ones), cp -r and rm -r; the other peer
# installers are made when a figure needs them (peer_made).
for name in bare size_one; do makensis -V1 "$work/peer_$name.nsi" >/dev/null; done
for name in a b; do
  wanted "makensis_$name" || continue
  for _ in $(seq "$RUNS"); do
    t0=$(date +%s%N); makensis -V1 "$work/peer_$name.nsi" >/dev/null; echo "makensis_$name $(ms_since "$t0")" >> "$results"
  done
done
for name in z z_zlib z_lzma m_lzma; do
  wanted "makensis_$name" || continue
  t0=$(date +%s%N); makensis -V1 "$work/peer_$name.nsi" >/dev/null; echo "makensis_$name $(ms_since "$t0")" >> "$results"
  echo "size_peer_$name $(stat -c %s "$work/peer_$name.exe")" >> "$results"
done
# Our compressed packages, made by the Linux pack (pack.exe does not compress).
for name in z zbest zfast m mbest; do
  wanted "pack_host_$name" || continue
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
if wanted pack_host_b; then
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
fi
if wanted pack_host_huge; then
  mkdir -p "$work/src_huge" && truncate -s 1600000000 "$work/src_huge/huge.bin"
  describe huge "$work/src_huge" 0
  /usr/bin/time -f "%e %M" -o "$work/time.txt" "$hostpack" build "$work/huge.ini" -o "$work/huge.exe" --setup "$bin/setup.exe" >/dev/null
  read -r secs kb < "$work/time.txt"
  echo "pack_host_huge_rss_kb $kb" >> "$results"
  echo "size_ours_huge $(stat -c %s "$work/huge.exe")" >> "$results"
  # inspect and verify of it: the package is mapped and compared piece by piece,
  # not read into memory.
  for subcommand in inspect verify; do
    if [ "$subcommand" = inspect ]; then set -- inspect "$work/huge.exe"
    else set -- verify "$work/huge.exe" "$work/huge.ini" --setup "$bin/setup.exe"; fi
    /usr/bin/time -f "%e %M" -o "$work/time.txt" "$hostpack" "$@" >/dev/null || echo "pack $subcommand of huge.exe failed" >&2
    read -r secs kb < <(tail -n 1 "$work/time.txt")
    echo "pack_host_huge_${subcommand}_rss_kb $kb" >> "$results"
  done
  rm -rf "$work/huge.exe" "$work/src_huge"
fi
# inspect of a crafted file of 32 MB: about 4 million resources, each
# directory listed from the largest id down (not a package: exit code 1).
if wanted pack_host_crafted; then
  python3 "$root/tests/support/crafted_tree.py" 0 "$work/crafted.exe"
  /usr/bin/time -f "%e %U %S %M" -o "$work/time.txt" "$hostpack" inspect "$work/crafted.exe" >/dev/null 2>&1 || true
  read -r secs user system kb < <(tail -n 1 "$work/time.txt")
  echo "pack_host_crafted_ms $(python3 -c "print(round($secs * 1000))")" >> "$results"
  echo "pack_host_crafted_cpu_ms $(python3 -c "print(round(($user + $system) * 1000))")" >> "$results"
  echo "pack_host_crafted_rss_kb $kb" >> "$results"
  echo "size_crafted $(stat -c %s "$work/crafted.exe")" >> "$results"
  rm -f "$work/crafted.exe"
fi
# inspect of a crafted file of 1 MB whose 28,000 named entries name strings of
# up to 65,535 characters, all different (not a package: exit code 1).
if wanted pack_host_names; then
  python3 "$root/tests/support/crafted_tree.py" --long-names nested 1048576 "$work/names.exe"
  /usr/bin/time -f "%e %U %S %M" -o "$work/time.txt" "$hostpack" inspect "$work/names.exe" >/dev/null 2>&1 || true
  read -r secs user system kb < <(tail -n 1 "$work/time.txt")
  echo "pack_host_names_cpu_ms $(python3 -c "print(round(($user + $system) * 1000))")" >> "$results"
  echo "pack_host_names_rss_kb $kb" >> "$results"
  echo "size_names $(stat -c %s "$work/names.exe")" >> "$results"
  rm -f "$work/names.exe"
fi
# 100,000 files listed, then found by one pattern line: one run each, the
# same package both ways.
if wanted pack_host_many; then
  for name in many_listed many_pattern; do
    /usr/bin/time -f "%e %M" -o "$work/time.txt" "$hostpack" build "$work/$name.ini" -o "$work/${name}_host.exe" --setup "$bin/setup.exe" >/dev/null
    read -r secs kb < "$work/time.txt"
    echo "pack_host_$name $(python3 -c "print(round($secs * 1000))")" >> "$results"
    echo "pack_host_${name}_rss_kb $kb" >> "$results"
  done
  cmp -s "$work/many_listed_host.exe" "$work/many_pattern_host.exe" || { echo "the pattern and the list packaged differently" >&2; exit 1; }
fi
# Our decoder beside libzstd on the same streams (the programs corpora of
# 32-bit and 64-bit program files, and a frame of long matches), in processor
# time, built 64-bit (the host build) and 32-bit (with the host compiler's
# -m32 against Debian's i386 libzstd, where this machine runs i386 programs;
# elsewhere their instructions are counted under emulation).
if wanted decoder; then
  decoder_cache="$work/decoder-streams"
  mkdir -p "$decoder_cache"
  pe64=$(ls -d /usr/lib/x86_64-linux-gnu/wine/x86_64-windows 2>/dev/null | head -1)
  corpora=("matches=matches")
  [[ $pe32 == *i386-windows ]] && corpora+=("programs32=$pe32")
  [ -n "$pe64" ] && corpora+=("programs64=$pe64")
  "$build/host/bin/decoder_bench" --runs 7 --cache "$decoder_cache" "${corpora[@]}" |
    sed 's/^decoder_/decoder64_/' >> "$results"
  if bench32=$("$root/tools/bench/decoder_bench32.sh" "$work"); then
    "$bench32" --runs 7 --cache "$decoder_cache" "${corpora[@]}" | sed 's/^decoder_/decoder32_/' >> "$results"
  else
    # No i386 programs here: the instructions both decoders execute, counted under emulation.
    "$root/tools/bench/decoder_count.sh" "$build/host/bin/decoder_bench" "$work" "$decoder_cache" "${corpora[@]}" \
      >> "$results" || true
  fi
fi
for name in a b c; do
  wanted "cp_$name" || continue
  for _ in $(seq "$RUNS"); do
    rm -rf "$work/cp_dst"; sync
    t0=$(date +%s%N); cp -r "$work/src_$name" "$work/cp_dst"; echo "cp_$name $(ms_since "$t0")" >> "$results"
    sync
    t0=$(date +%s%N); rm -r "$work/cp_dst"; echo "rm_$name $(ms_since "$t0")" >> "$results"
  done
done

# ---------------------------------------------------------------- under Wine
export BENCH_RESULTS=$results
"$root/tools/wine/with_wine.sh" "$BENCH_ARCH" "$build/bench-wine-$BENCH_ARCH" bash "$root/tools/bench/wine_runs.sh"

# ---------------------------------------------------------------- the table
for name in wizard_a wizard_c wizard_z_lzma; do
  [ ! -f "$work/peer_$name.exe" ] || echo "size_peer_$name $(stat -c %s "$work/peer_$name.exe")" >> "$results"
done
export BENCH_SIZE_SETUP=$(stat -c %s "$sizes/setup.exe")
export BENCH_SIZE_UNINST=$(stat -c %s "$sizes/uninst.exe")
export BENCH_SIZE_CARTOPIA=$(stat -c %s "$sizes/Cartopia.exe" 2>/dev/null || echo 0)
export BENCH_SIZE_ONE=$(stat -c %s "$work/one.exe" 2>/dev/null || echo 0)
export BENCH_SIZE_PEER_BARE=$(stat -c %s "$work/peer_bare.exe" 2>/dev/null || echo 0)
export BENCH_SIZE_PEER_ONE=$(stat -c %s "$work/peer_size_one.exe" 2>/dev/null || echo 0)
export BENCH_PAYLOAD_ONE=$(stat -c %s "$work/src_one/one.bin")
# What the report needs besides the figures, kept beside them: the table can
# be written again from this run with "set -a; . report.env; report.py ...".
env | grep -E '^(BENCH_(SIZE_[A-Z_]+|PAYLOAD_ONE|ARCH|MACHINE|PEER_TARGET|PER_USER)|RUNS)=' > "$work/report.env"
python3 "$root/tools/bench/report.py" "$results" "$report"
rm -rf "$work"/src_* "$work"/inst_* "$work"/peer_[abcz] "$work"/*.exe
