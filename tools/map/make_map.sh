#!/bin/sh
# Rebuilds the quiz map, quiz/res/map.bmp (397 x 380, 24 bits, bottom-up).
#
#   tools/map/make_map.sh [output.bmp]
#
# Coastlines, lakes, rivers and national borders come from GSHHG, the outline
# of France from DCW, both drawn by GMT.  The relief is modelled (relief.py)
# and hill-shaded by GMT.  fit_projection.py fits the projection to the city
# table of the game so that, once the bitmap is stretched over the map view,
# every city lies under its marker; compose.py cuts the bitmap out of a
# high-resolution rendering and writes a preview with the markers.
#
# Needs: gmt gmt-gshhg-high gmt-dcw ghostscript (Debian) and numpy.
# Environment: MAP_WORK=dir keeps the intermediate files there (default: a
# temporary folder, removed at the end); MAP_CLIENT=WxH is the view's client
# size the table is meant for (default 540x492).
set -eu

HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
OUT=${1:-$ROOT/quiz/res/map.bmp}
case $OUT in /*) ;; *) OUT=$(pwd)/$OUT ;; esac
PY=/usr/bin/python3
CLIENT=${MAP_CLIENT:-540x492}

for tool in gmt gs; do
    command -v $tool >/dev/null 2>&1 || {
        echo "make_map.sh: '$tool' is missing; apt-get install gmt gmt-gshhg-high gmt-dcw ghostscript" >&2
        exit 1
    }
done
$PY -c "import numpy" 2>/dev/null || { echo "make_map.sh: numpy is missing for $PY (apt-get install python3-numpy)" >&2; exit 1; }

if [ -n "${MAP_WORK:-}" ]; then
    WORK=$MAP_WORK
    mkdir -p "$WORK"
else
    WORK=$(mktemp -d)
    trap 'rm -rf "$WORK"' EXIT
fi
cd "$WORK"
export GMT_SESSION_NAME=cartopia_map_$$

# 1. Projection fit -> REGION, PROJ, GRID_REGION, MAPW, MAPH, DPI, ...
$PY "$HERE/fit_projection.py" --cities "$HERE/cities.csv" --client "$CLIENT" --bitmap 397x380 \
    --out fit.sh --json fit.json
. ./fit.sh

# 2. Relief and sea shade on a geographic grid.
gmt grdlandmask -R$GRID_REGION -I1m -Dh -N0/1/0/1/0 -Gland.nc
gmt grd2xyz land.nc -ZTLf > land.bin
gmt pscoast -R$GRID_REGION -Dh -Ir -M > rivers.txt
$PY "$HERE/relief.py" --region=$GRID_REGION --land land.bin --rivers rivers.txt \
    --relief relief.bin --sea sea.bin
gmt xyz2grd relief.bin -ZTLf -R$GRID_REGION -I1m -fg -Grelief.nc
gmt xyz2grd sea.bin -ZTLf -R$GRID_REGION -I1m -fg -Gsea.nc
gmt grdgradient relief.nc -A315 -Ne0.6 -Gshade.nc

cat > relief.cpt <<'EOF'
0     112/166/94    120   148/188/108
120   148/188/108   300   194/208/128
300   194/208/128   550   224/212/150
550   224/212/150   900   212/182/122
900   212/182/122   1400  186/148/102
1400  186/148/102   2100  160/124/92
2100  160/124/92    2900  150/128/112
2900  150/128/112   3600  205/198/192
3600  205/198/192   5000  250/250/250
B 112/166/94
F 250/250/250
EOF
cat > sea.cpt <<'EOF'
0     204/229/246   1   166/207/237
B 204/229/246
F 166/207/237
EOF

# 3. High-resolution rendering of the whole region, page = map.
J="-J$PROJ"
R="-R$REGION"
PAGE="--PS_MEDIA=${MAPW}cx${MAPH}c --PS_PAGE_ORIENTATION=portrait --GMT_VERBOSE=e"
PS=map.ps
gmt grdimage sea.nc -Csea.cpt $R $J -X0 -Y0 -Ve -K $PAGE > $PS
gmt pscoast $R $J -Dh -G198/198/198 -O -K $PAGE >> $PS                 # all land grey
gmt pscoast $R $J -Dh -Gc -O -K $PAGE >> $PS                           # clip: land ...
gmt pscoast $R $J -EFR+c -O -K $PAGE >> $PS                            # ... and France
gmt grdimage relief.nc -Crelief.cpt -Ishade.nc $R $J -O -K $PAGE >> $PS
gmt pscoast $R $J -Dh -I1/0.75p,70/125/205 -I2/0.55p,70/125/205 -I3/0.4p,80/135/210 -O -K $PAGE >> $PS
gmt psclip -C2 -O -K $PAGE >> $PS
gmt pscoast $R $J -Dh -C190/222/243 -W2/0.3p,80/125/170 -O -K $PAGE >> $PS   # lakes
gmt pscoast $R $J -Dh -W1/0.4p,70/110/150 -O -K $PAGE >> $PS                 # shoreline
gmt pscoast $R $J -Dh -N1/1.1p,255/128/0 -O $PAGE >> $PS                     # borders
gmt psconvert $PS -Tm -E$DPI -Fmap_hires --GMT_VERBOSE=e

# 4. Bitmap and preview.
$PY "$HERE/compose.py" --fit fit.json --cities "$HERE/cities.csv" --hires map_hires.ppm \
    --bmp "$OUT" --preview "${MAP_PREVIEW:-$WORK/preview.png}"
echo "make_map.sh: wrote $OUT"
