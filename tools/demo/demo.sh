#!/usr/bin/env bash
# The demo: packages Cartopia with pack into BUILD/CartopiaSetup.exe and runs
# the installer under Wine. With a display ($DISPLAY) the wizard opens there
# for you to click through. Without one it runs on a private Xvfb, is clicked
# through to the end by a driver, and every page, then the installed game, is
# saved as a picture in BUILD/demo/. The command never waits for ever.
# Usage: tools/demo.sh [BUILD]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
# The build that this machine's Wine runs: 32-bit where it can, else 64-bit.
arch=$(tools/wine/wine_arch.sh "$build" "make demo")
tree=win
[ "$arch" = x86_64 ] && tree=win64
bin=$build/$tree/bin
demo=$build/demo
package=$demo/package

for program in setup.exe demo_driver.exe; do
  [ -f "$bin/$program" ] || { echo "demo: $bin/$program is missing; run make build BUILD=$build" >&2; exit 1; }
done
game=$bin/Cartopia.exe
if [ ! -f "$game" ]; then
  echo "demo: $game is not built; packaging uninst.exe in its place" >&2
  game=$bin/uninst.exe
fi

# The folder to package: the game and the description with its texts.
rm -rf "$package"
mkdir -p "$package"
cp tools/demo/cartopia.ini tools/demo/licence.rtf tools/demo/lisez-moi.txt "$package/"
cp quiz/res/cartopia.ico "$package/"
cp "$game" "$package/Cartopia.exe"
# pack runs natively; the package carries the setup.exe of the build that runs here.
BUILD=$build pack/pack.sh build "$package/cartopia.ini" -o "$build/CartopiaSetup.exe" --setup "$bin/setup.exe"
BUILD=$build pack/pack.sh inspect "$build/CartopiaSetup.exe"

winpath() { local p; p=$(realpath -m "$1"); echo "Z:${p//\//\\}"; }
# The demo installs into a Wine prefix of its own, so that the test prefix stays clean.
wine_build=$build/demo-wine
[ "$arch" = x86_64 ] && wine_build=$build/demo-wine64

if [ -n "${DISPLAY:-}" ] && [ "${DEMO_HEADLESS:-0}" != 1 ]; then
  echo "demo: starting the installer on $DISPLAY"
  USE_DISPLAY=1 tools/wine/with_wine.sh "$arch" "$wine_build" wine "$(winpath "$build/CartopiaSetup.exe")"
  exit 0
fi

echo "demo: no display; clicking through the wizard on a private Xvfb"
shots=$demo
rm -f "$shots"/*.bmp "$shots"/*.png
# A previous demo's installation goes first, so that every run starts alike.
drive_c=$wine_build/wineprefix/drive_c
rm -rf "$drive_c/Program Files (x86)/Cartopia" "$drive_c/Program Files/Cartopia"
if [ -d "$drive_c/users" ]; then
  find "$drive_c/users" -name Cartopia.lnk -delete 2>/dev/null || true
  find "$drive_c/users" -type d -path '*Start Menu*' -name Cartopia -prune -exec rm -rf {} + 2>/dev/null || true
fi
status=0
tools/wine/with_wine.sh "$arch" "$wine_build" timeout -k 5 240 \
  wine "$(winpath "$bin/demo_driver.exe")" "$(winpath "$build/CartopiaSetup.exe")" "$(winpath "$shots")" Urbiquiz \
  || status=$?
for bmp in "$shots"/*.bmp; do
  [ -e "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
ls "$shots"/*.png 2>/dev/null | sed 's/^/demo: picture /' || true
if [ "$status" != 0 ]; then
  echo "demo: the click-through did not finish (status $status)" >&2
  exit "$status"
fi
echo "demo: done; the pictures are in $shots/"
