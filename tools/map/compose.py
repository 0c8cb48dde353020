#!/usr/bin/python3
"""Cuts the quiz map bitmap out of the high-resolution GMT rendering.

For every bitmap pixel, a grid of sub-samples is taken: bitmap -> view client
pixel (the stretch the game does), client pixel -> GMT plot cm (inverse of
the fitted affine map plus the local correction field), plot cm -> pixel of
the rendering, sampled bilinearly and averaged.  Writes a 24-bit bottom-up
BMP, and optionally a PNG preview at client size with the city markers
drawn as the game draws them (white squares with a black outline).
"""
import argparse
import csv
import json
import struct
import zlib

import numpy as np

SUB = 4   # sub-samples per bitmap pixel and axis


def read_ppm(path):
    data = open(path, "rb").read()
    tokens, i = [], 0
    while len(tokens) < 4:
        while data[i:i + 1].isspace():
            i += 1
        if data[i:i + 1] == b"#":
            while data[i:i + 1] not in (b"\n", b"\r"):
                i += 1
            continue
        j = i
        while not data[j:j + 1].isspace():
            j += 1
        tokens.append(data[i:j])
        i = j
    if tokens[0] != b"P6" or int(tokens[3]) != 255:
        raise ValueError("%s: not an 8-bit binary PPM" % path)
    w, h = int(tokens[1]), int(tokens[2])
    return np.frombuffer(data[i + 1:i + 1 + w * h * 3], np.uint8).reshape(h, w, 3)


def write_bmp(path, img):
    """24 bits per pixel, BI_RGB, bottom-up rows padded to 4 bytes."""
    h, w, _ = img.shape
    stride = (w * 3 + 3) & ~3
    rows = np.zeros((h, stride), np.uint8)
    rows[:, :w * 3] = img[::-1, :, ::-1].reshape(h, w * 3)   # BGR, last row first
    pixels = rows.tobytes()
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)
    # Read the header back: the game loads it as a 24-bit bottom-up DIB.
    with open(path, "rb") as f:
        head = f.read(54)
    magic, size, _, _, offset = struct.unpack("<2sIHHI", head[:14])
    hsize, bw, bh, planes, bpp, comp = struct.unpack("<IiiHHI", head[14:34])
    assert (magic, size, offset, hsize, bw, bh, planes, bpp, comp) == \
        (b"BM", 54 + len(pixels), 54, 40, w, h, 1, 24, 0), "bad BMP header"


def write_png(path, img):
    h, w, _ = img.shape
    raw = b"".join(b"\x00" + img[y].tobytes() for y in range(h))

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


def bilinear(img, px, py):
    h, w, _ = img.shape
    px = np.clip(px - 0.5, 0, w - 1.001)
    py = np.clip(py - 0.5, 0, h - 1.001)
    x0 = px.astype(int)
    y0 = py.astype(int)
    fx = (px - x0)[..., None]
    fy = (py - y0)[..., None]
    f = img.astype(np.float32)
    top = f[y0, x0] * (1 - fx) + f[y0, x0 + 1] * fx
    bot = f[y0 + 1, x0] * (1 - fx) + f[y0 + 1, x0 + 1] * fx
    return top * (1 - fy) + bot * fy


def client_to_hires(fit, cx, cy, hires_shape):
    t = np.array(fit["warp_centres"])
    wts = np.array(fit["warp_weights"])
    c = np.c_[cx.ravel(), cy.ravel()]
    d = np.zeros_like(c)
    for k in range(0, len(c), 200000):   # in chunks to bound memory
        part = c[k:k + 200000]
        g = np.exp(-((part[:, None, :] - t[None, :, :]) ** 2).sum(-1) / fit["warp_sigma"] ** 2)
        d[k:k + 200000] = g @ wts
    c = c - d
    inv = np.array(fit["inv"])
    cm = c @ inv.T + np.array(fit["off"])
    w_cm, h_cm = fit["page_cm"]
    h, w = hires_shape[:2]
    px = cm[:, 0] / w_cm * w
    py = (h_cm - cm[:, 1]) / h_cm * h
    return px.reshape(cx.shape), py.reshape(cx.shape)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--fit", required=True)
    ap.add_argument("--cities", required=True)
    ap.add_argument("--hires", required=True)
    ap.add_argument("--bmp", required=True)
    ap.add_argument("--preview")
    args = ap.parse_args()

    fit = json.load(open(args.fit))
    hires = read_ppm(args.hires)
    wb, hb = fit["bitmap"]
    wc, hc = fit["client"]

    # Sub-sample positions in bitmap coordinates, then in client coordinates.
    s = (np.arange(SUB) + 0.5) / SUB
    u = (np.arange(wb)[:, None] + s[None, :]).ravel()
    v = (np.arange(hb)[:, None] + s[None, :]).ravel()
    uu, vv = np.meshgrid(u, v)
    px, py = client_to_hires(fit, uu * wc / wb, vv * hc / hb, hires.shape)
    samples = bilinear(hires, px, py)
    img = samples.reshape(hb, SUB, wb, SUB, 3).mean(axis=(1, 3))
    img = np.clip(np.round(img), 0, 255).astype(np.uint8)
    write_bmp(args.bmp, img)

    if args.preview:
        # The game's stretch (nearest sample is enough to judge positions).
        xs = np.minimum((np.arange(wc) * wb / wc).astype(int), wb - 1)
        ys = np.minimum((np.arange(hc) * hb / hc).astype(int), hb - 1)
        view = img[ys][:, xs].copy()
        with open(args.cities, encoding="utf-8") as f:
            for r in csv.DictReader(f):
                x, y = int(r["x"]), int(r["y"])
                h = 5 if r["name"] in ("Bordeaux", "Lille", "Lyon", "Marseille", "Nantes",
                                       "Nice", "Paris", "Strasbourg", "Toulouse") else 4
                view[y - h:y + h, x - h:x + h] = 0
                view[y - h + 1:y + h - 1, x - h + 1:x + h - 1] = 255
        write_png(args.preview, np.repeat(np.repeat(view, 2, axis=0), 2, axis=1))


if __name__ == "__main__":
    main()
