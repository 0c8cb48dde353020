#!/usr/bin/python3
"""Builds a plausible elevation model of France on a geographic grid.

No elevation data set is available offline, so the relief is modelled from
the known massifs: each range is a crest line (with crest height and
half-width along it) or a dome, placed at its real position.  On top come a
seeded multi-scale noise (rough in the mountains, gentle in the plains),
valleys carved along the real rivers (GSHHG, dumped by GMT) and coastal
plains that fall to sea level (from GMT's land mask).  The result is smooth
and reproducible; make_map.sh hill-shades it with grdgradient.

Also writes the sea shade: 0 at the shore rising to 1 offshore, which the
map colours from light to a slightly deeper light blue.

Inputs and outputs are raw float32 grids, rows from north to south, as read
and written by "gmt grd2xyz -ZTLf" and "gmt xyz2grd -ZTLf".
"""
import argparse

import numpy as np

KM_PER_DEG = 111.2
LAT0 = 46.5

# Crest lines: (lon, lat, crest height m, half-width km) along each range.
RIDGES = [
    # Pyrenees, from the Basque coast to the Mediterranean.
    [(-1.75, 43.30, 300, 22), (-1.30, 43.10, 1100, 30), (-0.75, 42.95, 2200, 38),
     (-0.30, 42.84, 2800, 44), (0.15, 42.80, 3000, 46), (0.65, 42.74, 3100, 46),
     (1.10, 42.70, 2900, 44), (1.70, 42.58, 2700, 40), (2.20, 42.47, 2400, 32),
     (2.60, 42.45, 1900, 22), (2.95, 42.47, 900, 14), (3.15, 42.45, 300, 8)],
    # Northern front of the Pyrenees (Pic du Midi, Ariege).
    [(-0.90, 43.05, 1200, 14), (0.15, 42.95, 2500, 16), (1.20, 42.85, 1900, 16),
     (2.00, 42.80, 1500, 14)],
    # Main Alpine crest along the Italian border, Mont Blanc, Swiss Alps.
    [(7.50, 43.82, 700, 16), (7.20, 44.05, 2200, 26), (6.95, 44.30, 2800, 32),
     (6.85, 44.60, 3000, 36), (6.75, 44.90, 3200, 38), (6.95, 45.20, 3300, 38),
     (6.95, 45.50, 3200, 36), (6.87, 45.83, 4300, 28), (7.30, 46.00, 3900, 32),
     (7.90, 46.10, 3900, 36), (8.50, 46.45, 3300, 42), (9.50, 46.50, 3100, 48),
     (10.50, 46.60, 3100, 50), (12.00, 46.80, 2800, 55)],
    # Northern French Prealps: Vercors, Chartreuse, Bauges, Aravis, Chablais.
    [(5.60, 44.35, 1300, 18), (5.50, 44.80, 1500, 16), (5.70, 45.30, 1700, 13),
     (6.15, 45.75, 1800, 15), (6.55, 46.15, 2000, 17), (7.10, 46.35, 2300, 18)],
    # Belledonne.
    [(5.90, 45.05, 2300, 9), (6.15, 45.40, 2600, 10), (6.35, 45.65, 2200, 9)],
    # Jura arc.
    [(5.35, 45.95, 900, 16), (5.80, 46.35, 1500, 22), (6.10, 46.60, 1550, 24),
     (6.50, 46.90, 1300, 22), (6.90, 47.25, 1000, 18), (7.30, 47.40, 800, 14),
     (8.00, 47.50, 600, 12)],
    # Vosges and the Palatinate hills north of them.
    [(6.85, 47.75, 1350, 17), (7.05, 48.00, 1300, 19), (7.15, 48.30, 1100, 17),
     (7.25, 48.60, 850, 15), (7.50, 48.90, 500, 14), (7.80, 49.20, 450, 16)],
    # Black Forest (east of the Rhine).
    [(7.90, 47.70, 1300, 20), (8.15, 48.10, 1100, 22), (8.40, 48.70, 800, 18)],
    # Cevennes escarpment along the eastern edge of the Massif Central.
    [(3.30, 44.00, 1100, 16), (3.85, 44.20, 1400, 16), (4.25, 44.60, 1450, 17),
     (4.45, 45.05, 1200, 16), (4.50, 45.35, 1300, 12)],
    # Chaine des Puys.
    [(2.95, 45.62, 1300, 6), (2.97, 45.95, 1100, 6)],
    # Luberon.
    [(5.10, 43.80, 900, 8), (5.65, 43.85, 1100, 9)],
    # Monts d'Arree.
    [(-4.25, 48.40, 330, 12), (-3.60, 48.45, 350, 13)],
    # Montagnes Noires of Brittany.
    [(-4.00, 48.18, 300, 10), (-3.30, 48.22, 290, 12)],
    # Corsica.
    [(8.75, 41.45, 1200, 14), (9.05, 41.90, 2200, 20), (8.95, 42.30, 2500, 18),
     (9.35, 42.85, 1300, 10)],
    # Apennines, northern part (only a corner of the map).
    [(8.00, 44.20, 1200, 25), (9.50, 44.50, 1500, 30), (11.00, 44.10, 1700, 30),
     (12.50, 43.50, 1800, 35)],
]

# Domes: (lon, lat, height m, radius km, flatness) - flatness > 1 gives a
# plateau with steep edges instead of a Gaussian hill.
DOMES = [
    (3.00, 45.20, 650, 135, 2.0),    # Massif Central plateau
    (2.81, 45.53, 1600, 13, 1.0),    # Monts Dore
    (2.75, 45.08, 1700, 17, 1.0),    # Cantal
    (3.00, 44.65, 1250, 24, 1.5),    # Aubrac
    (3.45, 44.85, 1350, 24, 1.5),    # Margeride
    (3.75, 44.42, 1600, 13, 1.0),    # Mont Lozere
    (3.85, 45.65, 1450, 15, 1.0),    # Forez
    (4.45, 45.75, 850, 17, 1.0),     # Monts du Lyonnais
    (4.50, 46.15, 900, 15, 1.0),     # Beaujolais
    (1.95, 45.65, 850, 42, 1.6),     # Limousin, Millevaches
    (2.40, 43.45, 1050, 17, 1.0),    # Montagne Noire
    (2.90, 43.62, 1050, 17, 1.0),    # Espinouse
    (3.25, 44.20, 950, 34, 2.0),     # Grands Causses
    (2.60, 44.25, 800, 30, 1.6),     # Levezou, Segala
    (1.60, 44.60, 380, 45, 1.6),     # Quercy causses
    (0.80, 45.20, 280, 60, 1.6),     # Perigord
    (0.40, 43.15, 600, 24, 1.5),     # Lannemezan plateau
    (2.60, 42.90, 700, 22, 1.0),     # Corbieres
    (2.45, 42.52, 2600, 11, 1.0),    # Canigou
    (4.05, 47.10, 850, 24, 1.0),     # Morvan
    (4.75, 47.30, 550, 40, 1.8),     # Cote-d'Or, Burgundy plateau
    (5.20, 47.85, 450, 50, 1.8),     # Langres plateau
    (6.00, 48.70, 350, 95, 2.0),     # Lorraine plateau
    (4.00, 48.90, 200, 100, 2.0),    # Champagne
    (4.75, 49.90, 480, 28, 1.2),     # French Ardennes
    (5.60, 50.15, 600, 55, 1.5),     # Ardennes, Eifel
    (2.40, 48.10, 140, 210, 2.0),    # Paris basin
    (-2.60, 48.10, 150, 120, 2.0),   # Armorican upland
    (-0.55, 48.55, 400, 38, 1.2),    # Normandy hills, Mont des Avaloirs
    (0.70, 48.40, 290, 34, 1.2),     # Perche
    (-0.80, 46.75, 270, 34, 1.2),    # Vendee bocage
    (-0.80, 44.20, 60, 70, 2.0),     # Landes
    (5.28, 44.17, 1650, 11, 1.0),    # Mont Ventoux
    (6.30, 44.00, 1400, 42, 1.6),    # Alpes-de-Haute-Provence
    (6.90, 43.88, 1500, 24, 1.2),    # Prealps of Nice
    (6.35, 44.90, 3500, 22, 1.2),    # Ecrins
    (6.80, 45.35, 3300, 19, 1.2),    # Vanoise
    (5.75, 43.33, 900, 9, 1.0),      # Sainte-Baume
    (6.35, 43.28, 600, 20, 1.0),     # Maures, Esterel
    (-4.50, 40.80, 1200, 90, 1.5),   # Meseta edge (Spain)
    (-2.50, 42.90, 900, 60, 1.5),    # Basque mountains, Cantabrian edge (Spain)
]


def local_km(lon, lat):
    return (lon - 3.0) * KM_PER_DEG * np.cos(np.radians(LAT0)), (lat - LAT0) * KM_PER_DEG


def ridge_field(gx, gy, ridge):
    """Height from one crest line: Gaussian across the line, crest height and
    width interpolated along it, with rounded ends."""
    z = np.zeros_like(gx)
    pts = [(local_km(lo, la), h, w) for lo, la, h, w in ridge]
    for ((x0, y0), h0, w0), ((x1, y1), h1, w1) in zip(pts[:-1], pts[1:]):
        dx, dy = x1 - x0, y1 - y0
        t = np.clip(((gx - x0) * dx + (gy - y0) * dy) / (dx * dx + dy * dy), 0.0, 1.0)
        d = np.hypot(gx - (x0 + t * dx), gy - (y0 + t * dy))
        h = h0 + t * (h1 - h0)
        w = w0 + t * (w1 - w0)
        np.maximum(z, h * np.exp(-(d / w) ** 2), out=z)
    return z


def dome_field(gx, gy, dome):
    lo, la, h, r, p = dome
    x0, y0 = local_km(lo, la)
    d2 = ((gx - x0) ** 2 + (gy - y0) ** 2) / (r * r)
    return h * np.exp(-d2 ** p)


def smooth(a, sigma_cells):
    """Gaussian blur through the FFT (periodic edges; the grid has margins)."""
    ny, nx = a.shape
    ky = np.fft.fftfreq(ny)[:, None]
    kx = np.fft.rfftfreq(nx)[None, :]
    g = np.exp(-2.0 * (np.pi * sigma_cells) ** 2 * (kx ** 2 + ky ** 2))
    return np.fft.irfft2(np.fft.rfft2(a) * g, s=a.shape)


def noise(shape, rng, sigmas, weights):
    out = np.zeros(shape)
    for s, w in zip(sigmas, weights):
        n = smooth(rng.standard_normal(shape), s)
        out += w * n / n.std()
    return out / np.sqrt(np.sum(np.square(weights)))


def read_rivers(path):
    segs, cur = [], []
    with open(path) as f:
        for line in f:
            if line.startswith(">") or not line.strip():
                if len(cur) > 1:
                    segs.append(np.array(cur))
                cur = []
                continue
            lo, la = line.split()[:2]
            cur.append((float(lo), float(la)))
    if len(cur) > 1:
        segs.append(np.array(cur))
    return segs


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--region", required=True, help="lon0/lon1/lat0/lat1 of the grid")
    ap.add_argument("--inc-min", type=float, default=1.0, help="grid step in arc minutes")
    ap.add_argument("--land", required=True, help="land mask, float32 (1 land, 0 water)")
    ap.add_argument("--rivers", required=True, help="river lines dumped by gmt coast -M")
    ap.add_argument("--relief", required=True, help="elevation grid to write")
    ap.add_argument("--sea", required=True, help="sea shade grid to write")
    ap.add_argument("--seed", type=int, default=1789)
    args = ap.parse_args()

    lon0, lon1, lat0, lat1 = (float(v) for v in args.region.split("/"))
    step = args.inc_min / 60.0
    nx = int(round((lon1 - lon0) / step)) + 1
    ny = int(round((lat1 - lat0) / step)) + 1
    lon = lon0 + step * np.arange(nx)
    lat = lat1 - step * np.arange(ny)          # north row first
    glon, glat = np.meshgrid(lon, lat)
    gx, gy = local_km(glon, glat)
    cell_km = step * KM_PER_DEG                # north-south size of a cell

    land = np.fromfile(args.land, dtype=np.float32).reshape(ny, nx).astype(float)
    rng = np.random.default_rng(args.seed)

    # Large forms.
    mountains = np.zeros((ny, nx))
    for r in RIDGES:
        np.maximum(mountains, ridge_field(gx, gy, r), out=mountains)
    domes = np.zeros((ny, nx))
    for d in DOMES:
        domes += dome_field(gx, gy, d)
    base = 60.0 + np.maximum(mountains, 0.0) + domes * np.clip(1.0 - mountains / 2500.0, 0.25, 1.0)

    # Texture: ridged noise on the mountains, gentle undulation on plains.
    rough = noise((ny, nx), rng, [1.5, 3.0, 6.0, 12.0], [0.2, 0.4, 0.6, 0.6])
    ridged = 1.0 - np.abs(rough)               # sharp crests, rounded valleys (mean ~0.2)
    gentle = noise((ny, nx), rng, [6.0, 15.0, 30.0], [0.4, 0.6, 0.5])
    hilliness = np.clip((base - 200.0) / 1800.0, 0.0, 1.0)
    z = (base * (1.0 + 0.55 * hilliness * (ridged - 0.2))
         * (1.0 + 0.12 * (1.0 - hilliness) * gentle) + 25.0 * gentle)

    # Valleys along the rivers: an indicator of river cells, blurred to a
    # valley floor a few km wide and a wider shallow trough.
    riv = np.zeros((ny, nx))
    for seg in read_rivers(args.rivers):
        # densify to about a quarter of a cell
        d = np.hypot(np.diff(seg[:, 0]) * np.cos(np.radians(LAT0)), np.diff(seg[:, 1]))
        n = np.maximum(1, np.ceil(d / (step / 4))).astype(int)
        for (a, b), k in zip(zip(seg[:-1], seg[1:]), n):
            t = np.linspace(0, 1, k + 1)
            lo = a[0] + t * (b[0] - a[0])
            la = a[1] + t * (b[1] - a[1])
            i = np.round((lat1 - la) / step).astype(int)
            j = np.round((lo - lon0) / step).astype(int)
            ok = (i >= 0) & (i < ny) & (j >= 0) & (j < nx)
            riv[i[ok], j[ok]] = 1.0
    narrow = np.clip(smooth(riv, 2.5 / cell_km) * 6.0, 0, 1)
    wide = np.clip(smooth(riv, 9.0 / cell_km) * 3.0, 0, 1)
    z = z * (1.0 - 0.45 * narrow) * (1.0 - 0.25 * wide)

    # Coastal plains: low ground falls to sea level at the shore.
    inland = np.clip(smooth(land, 6.0 / cell_km) * 2.0 - 1.0, 0.0, 1.0)
    coast_factor = 0.15 + 0.85 * np.sqrt(inland)
    z = np.where(z < 400, z * coast_factor, z * coast_factor + (z - 400) * (1 - coast_factor))
    z = np.maximum(z, 2.0)
    z.astype(np.float32).tofile(args.relief)

    # Sea shade: 0 at the shore, 1 some 60 km offshore.
    water = 1.0 - land
    off = 1.0 - np.clip(smooth(land, 25.0 / cell_km) * 2.2, 0.0, 1.0)
    sea = np.clip(off, 0.0, 1.0) * water
    sea.astype(np.float32).tofile(args.sea)


if __name__ == "__main__":
    main()
