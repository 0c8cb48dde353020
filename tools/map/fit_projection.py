#!/usr/bin/python3
"""Fits the map's projection to the quiz's city table.

The quiz draws each city marker at a fixed pixel of the map view's client
area, and the map bitmap is stretched over that whole client area.  So the
map must be drawn such that, once stretched, every city sits under its
marker.  This script takes the real latitude/longitude of each city and its
marker pixel, projects the cities with GMT (Lambert conformal conic with the
usual French standard parallels 44N/49N), and fits by least squares an affine
map from GMT's plot coordinates (cm on the page) to client pixels:

    x = a*X + b*Y + c        y = d*X + e*Y + f

Six parameters allow separate x/y scales and a small rotation/shear, which
the table needs (its x scale is about 8 % larger than its y scale).  For
comparison the script also reports simpler models and other projections.

Output: a shell fragment with the GMT region/projection, the page size, the
rendering resolution and the affine coefficients, read by make_map.sh and
compose.py.  The residual report goes to stderr.
"""
import argparse
import csv
import json
import subprocess
import sys

import numpy as np

# Region and projection of the high-resolution GMT rendering.  The region is
# a rectangle given by its lower-left and upper-right corners (lon/lat); it is
# larger than the bitmap's frame, which is cut out of it after the fit.
REGION = "-8/40.5/13/52.5+r"
PROJ = "L3/46.5/44/49/20c"
# Geographic grid (lon0/lon1/lat0/lat1) on which relief and sea shades are
# computed; it must contain REGION.
GRID_REGION = "-9/14/39.5/53.5"
# Hi-res pixels per bitmap pixel (the bitmap is area-averaged from them).
SUPERSAMPLE = 4
# Local correction: the table was placed by hand, so some cities are well
# off any projection (Limoges by some 20 px).  A smooth displacement field,
# a sum of Gaussians of this radius (client px) centred on the cities,
# moves the map under the markers; SMOOTHING > 0 lets it miss by a little
# instead of bending the map hard between close cities (Paris and suburbs).
WARP_SIGMA = 45.0
WARP_SMOOTHING = 0.08


def gmt_project(lon, lat, region, proj):
    """Plot coordinates (cm) of lon/lat points with GMT's mapproject."""
    text = "".join("%.6f %.6f\n" % p for p in zip(lon, lat))
    out = subprocess.run(["gmt", "mapproject", "-R" + region, "-J" + proj],
                         input=text, capture_output=True, text=True, check=True).stdout
    xy = np.array([[float(v) for v in line.split()[:2]] for line in out.splitlines() if line.strip()])
    return xy[:, 0], xy[:, 1]


def gmt_page_size(region, proj):
    out = subprocess.run(["gmt", "mapproject", "-R" + region, "-J" + proj, "-W"],
                         capture_output=True, text=True, check=True).stdout.split()
    return float(out[0]), float(out[1])


def fit_affine(px, py, x, y):
    a = np.c_[px, py, np.ones(len(px))]
    cx = np.linalg.lstsq(a, x, rcond=None)[0]
    cy = np.linalg.lstsq(a, y, rcond=None)[0]
    return cx, cy, a @ cx, a @ cy


def fit_axis(px, py, x, y):
    """x from X only, y from Y only: scale and offset per axis, no rotation."""
    n = len(px)
    cx = np.linalg.lstsq(np.c_[px, np.ones(n)], x, rcond=None)[0]
    cy = np.linalg.lstsq(np.c_[py, np.ones(n)], y, rcond=None)[0]
    return cx[0] * px + cx[1], cy[0] * py + cy[1]


def fit_similarity(px, py, x, y):
    """Uniform scale, rotation and offset (y axis pointing down)."""
    n = len(px)
    a = np.zeros((2 * n, 4))
    a[:n, 0], a[:n, 1], a[:n, 2] = px, -py, 1
    a[n:, 0], a[n:, 1], a[n:, 3] = -py, -px, 1
    f = a @ np.linalg.lstsq(a, np.r_[x, y], rcond=None)[0]
    return f[:n], f[n:]


def stats(fx, fy, x, y):
    r = np.hypot(fx - x, fy - y)
    return float(np.sqrt(np.mean(r ** 2))), float(r.max()), r


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--cities", required=True, help="CSV with name,lat,lon,x,y")
    ap.add_argument("--client", default="540x492", help="view client size WxH in pixels")
    ap.add_argument("--bitmap", default="397x380", help="bitmap size WxH in pixels")
    ap.add_argument("--out", required=True, help="shell fragment to write")
    ap.add_argument("--json", required=True, help="full fit (with the correction field) to write")
    ap.add_argument("--no-warp", action="store_true", help="projection and affine fit only")
    args = ap.parse_args()

    wc, hc = (int(v) for v in args.client.split("x"))
    wb, hb = (int(v) for v in args.bitmap.split("x"))
    with open(args.cities, encoding="utf-8") as f:
        rows = list(csv.DictReader(f))
    names = [r["name"] for r in rows]
    lat = np.array([float(r["lat"]) for r in rows])
    lon = np.array([float(r["lon"]) for r in rows])
    x = np.array([float(r["x"]) for r in rows])
    y = np.array([float(r["y"]) for r in rows])

    log = sys.stderr
    # Alternatives, for the record: the chosen model is the last one.
    for label, proj in (("Mercator", "M3/20c"), ("plate carree", "Q3/46.5/20c"), ("Lambert", PROJ)):
        px, py = gmt_project(lon, lat, REGION, proj)
        for model, fn in (("similarity", fit_similarity), ("x/y scales", fit_axis)):
            rms, mx, _ = stats(*fn(px, py, x, y), x, y)
            print("  %-12s %-10s rms %5.2f px  max %5.2f px" % (label, model, rms, mx), file=log)
        rms, mx, _ = stats(*fit_affine(px, py, x, y)[2:], x, y)
        print("  %-12s %-10s rms %5.2f px  max %5.2f px" % (label, "affine", rms, mx), file=log)

    px, py = gmt_project(lon, lat, REGION, PROJ)
    cx, cy, fx, fy = fit_affine(px, py, x, y)
    rms, mx, r = stats(fx, fy, x, y)
    print("chosen: Lambert conformal conic + affine, client %dx%d" % (wc, hc), file=log)
    print("  rms %.2f px, max %.2f px, median %.2f px, %d of %d cities within 4 px"
          % (rms, mx, float(np.median(r)), int(np.sum(r <= 4)), len(r)), file=log)
    print("  worst:", file=log)
    for i in np.argsort(-r)[:8]:
        print("    %-18s table (%3d,%3d)  real place at (%6.1f,%6.1f)  off %5.1f px"
              % (names[i], x[i], y[i], fx[i], fy[i], r[i]), file=log)

    # Correction field D (client px): D(t_i) ~ t_i - f_i.
    t = np.c_[x, y]
    resid = t - np.c_[fx, fy]
    if args.no_warp:
        weights = np.zeros_like(resid)
    else:
        k = np.exp(-((t[:, None, :] - t[None, :, :]) ** 2).sum(-1) / WARP_SIGMA ** 2)
        weights = np.linalg.solve(k + WARP_SMOOTHING * np.eye(len(t)), resid)

    def field(c):
        g = np.exp(-((c[:, None, :] - t[None, :, :]) ** 2).sum(-1) / WARP_SIGMA ** 2)
        return g @ weights

    if not args.no_warp:
        # Where each city really appears: solve c - D(c) = f by iteration.
        c = np.c_[fx, fy]
        for _ in range(200):
            c = np.c_[fx, fy] + field(c)
        left = np.hypot(*(t - c).T)
        # The map is pulled along by D: check that c - D(c) never folds.
        gx, gy = np.meshgrid(np.arange(0, wc + 1, 2.0), np.arange(0, hc + 1, 2.0))
        c = np.c_[gx.ravel(), gy.ravel()]
        e = 0.5
        jxx = 1 - (field(c + [e, 0]) - field(c - [e, 0]))[:, 0] / (2 * e)
        jyx = -(field(c + [e, 0]) - field(c - [e, 0]))[:, 1] / (2 * e)
        jxy = -(field(c + [0, e]) - field(c - [0, e]))[:, 0] / (2 * e)
        jyy = 1 - (field(c + [0, e]) - field(c - [0, e]))[:, 1] / (2 * e)
        det = jxx * jyy - jxy * jyx
        print("with the correction field (sigma %.0f px): rms %.2f px, max %.2f px; "
              "local area scale %.2f..%.2f, largest shift %.1f px"
              % (WARP_SIGMA, np.sqrt(np.mean(left ** 2)), left.max(), det.min(), det.max(),
                 np.hypot(*field(c).T).max()), file=log)
        for i in np.argsort(-left)[:5]:
            print("    %-18s off %4.1f px" % (names[i], left[i]), file=log)
        if det.min() <= 0.2:
            sys.exit("correction field folds or squeezes the map too much")

    # Client pixel -> plot cm: invert the 2x2 part.
    m = np.array([[cx[0], cx[1]], [cy[0], cy[1]]])
    minv = np.linalg.inv(m)
    off = -minv @ np.array([cx[2], cy[2]])
    mapw, maph = gmt_page_size(REGION, PROJ)
    # The bitmap frame (client 0..wc, 0..hc) must lie inside the rendered page.
    for cxp, cyp in ((0, 0), (wc, 0), (0, hc), (wc, hc)):
        X, Y = minv @ np.array([cxp, cyp]) + off
        if not (0 <= X <= mapw and 0 <= Y <= maph):
            sys.exit("frame corner (%d,%d) falls outside the rendered region" % (cxp, cyp))
    # Resolution: SUPERSAMPLE hi-res pixels per bitmap pixel.
    client_px_per_cm = np.sqrt(abs(np.linalg.det(m)))
    bitmap_px_per_cm = client_px_per_cm * np.sqrt((wb / wc) * (hb / hc))
    dpi = int(round(bitmap_px_per_cm * 2.54 * SUPERSAMPLE))

    with open(args.out, "w") as f:
        f.write("# written by fit_projection.py\n")
        f.write("REGION='%s'\nPROJ='%s'\nGRID_REGION='%s'\n" % (REGION, PROJ, GRID_REGION))
        f.write("MAPW=%.10f\nMAPH=%.10f\nDPI=%d\n" % (mapw, maph, dpi))
        f.write("CLIENT_W=%d\nCLIENT_H=%d\nBITMAP_W=%d\nBITMAP_H=%d\n" % (wc, hc, wb, hb))
        # plot cm = INV * client px + OFF
        f.write("INV='%.12g %.12g %.12g %.12g'\nOFF='%.12g %.12g'\n"
                % (minv[0, 0], minv[0, 1], minv[1, 0], minv[1, 1], off[0], off[1]))
        f.write("FIT_RMS=%.2f\nFIT_MAX=%.2f\n" % (rms, mx))
    with open(args.json, "w") as f:
        json.dump({"region": REGION, "proj": PROJ, "page_cm": [mapw, maph], "dpi": dpi,
                   "client": [wc, hc], "bitmap": [wb, hb],
                   "inv": minv.tolist(), "off": off.tolist(),
                   "warp_sigma": WARP_SIGMA, "warp_centres": t.tolist(),
                   "warp_weights": weights.tolist()}, f, indent=1)


if __name__ == "__main__":
    main()
