"""Raster pictures of the bitmap clipart library: backgrounds and textures, drawn
pixel by pixel. The noise is an integer hash, so the files come out the same on
every machine."""

import math

from geom import mix

W, H = 240, 160


def _hash(x, y, seed):
    h = (x * 374761393 + y * 668265263 + seed * 982451653) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    return ((h ^ (h >> 16)) & 0xFFFF) / 65535.0


def noise(x, y, scale, seed=1):
    """Smooth value noise in 0..1."""
    fx, fy = x / scale, y / scale
    ix, iy = int(math.floor(fx)), int(math.floor(fy))
    tx, ty = fx - ix, fy - iy
    tx, ty = tx * tx * (3 - 2 * tx), ty * ty * (3 - 2 * ty)
    a = _hash(ix, iy, seed) + (_hash(ix + 1, iy, seed) - _hash(ix, iy, seed)) * tx
    b = _hash(ix, iy + 1, seed) + (_hash(ix + 1, iy + 1, seed) - _hash(ix, iy + 1, seed)) * tx
    return a + (b - a) * ty


def fractal(x, y, scale, seed=1, octaves=4):
    total, amp, norm = 0.0, 1.0, 0.0
    for o in range(octaves):
        total += noise(x, y, scale / (2 ** o), seed + o) * amp
        norm += amp
        amp *= 0.5
    return total / norm


def gradient(c1, c2, vertical=True):
    def px(x, y):
        return mix(c1, c2, (y / (H - 1)) if vertical else (x / (W - 1)))
    return px


def verlauf_diagonal(x, y):
    return mix((40, 70, 160), (120, 200, 220), (x + y) / (W + H - 2))


def sonnenuntergang(x, y):
    t = y / (H - 1)
    c = mix((60, 40, 120), (240, 110, 60), min(1, t * 1.4)) if t < 0.7 else \
        mix((240, 110, 60), (250, 200, 90), (t - 0.7) / 0.3)
    d = math.hypot(x - W * 0.65, y - H * 0.8)
    if d < 26:
        c = mix((255, 235, 150), c, max(0, (d - 22) / 4))
    return c


def papier(x, y):
    n = fractal(x, y, 40, 7) * 0.6 + _hash(x, y, 3) * 0.4
    return mix((236, 228, 208), (250, 246, 236), n)


def marmor(x, y):
    v = math.sin((x + fractal(x, y, 60, 11) * 140) / 14.0)
    return mix((250, 250, 248), (150, 150, 160), (1 - abs(v)) ** 6)


def holz(x, y):
    r = math.hypot(x - W * 0.2, (y - H * 3) * 0.08)
    v = (math.sin(r / 3.0 + fractal(x, y, 30, 5) * 6) + 1) / 2
    return mix((150, 95, 50), (205, 150, 95), v)


def himmel(x, y):
    base = mix((70, 130, 210), (175, 215, 245), y / (H - 1))
    cloud = max(0.0, fractal(x, y * 1.8, 70, 21) - 0.45) * 2.6
    return mix(base, (255, 255, 255), min(1.0, cloud))


def nacht(x, y):
    c = mix((5, 10, 40), (30, 40, 90), y / (H - 1))
    h = _hash(x, y, 99)
    if h > 0.9965:
        return (255, 255, 235)
    if h > 0.993:
        return mix(c, (200, 200, 230), 0.6)
    return c


def karo(x, y):
    on = ((x // 20) + (y // 20)) % 2
    return (210, 60, 60) if on else (250, 245, 240)


def streifen(x, y):
    colours = ((30, 80, 150), (250, 250, 250), (220, 170, 50), (250, 250, 250))
    return colours[((x + y) // 12) % 4]


def punkte(x, y):
    cx, cy = (x // 24) * 24 + 12, (y // 24) * 24 + 12
    return (240, 90, 120) if math.hypot(x - cx, y - cy) < 7 else (255, 240, 244)


def aquarell(x, y):
    a = fractal(x, y, 80, 31)
    b = fractal(x, y, 60, 47)
    c = mix((250, 250, 255), (120, 170, 230), max(0, a - 0.35) * 1.8)
    return mix(c, (240, 150, 180), max(0, b - 0.5) * 1.6)


def rasen(x, y):
    v = fractal(x * 3, y, 30, 61) * 0.7 + _hash(x, y, 5) * 0.3
    return mix((40, 110, 40), (120, 190, 80), v)


BITMAPS = [
    ("verlauf_blau", "Farbverlauf Blau", gradient((20, 50, 120), (140, 190, 240))),
    ("verlauf_gruen", "Farbverlauf Grün", gradient((200, 235, 170), (40, 120, 60))),
    ("verlauf_gold", "Farbverlauf Gold", gradient((250, 235, 180), (190, 140, 40), False)),
    ("verlauf_diagonal", "Farbverlauf diagonal", verlauf_diagonal),
    ("sonnenuntergang", "Sonnenuntergang", sonnenuntergang),
    ("himmel", "Himmel mit Wolken", himmel),
    ("nacht", "Sternenhimmel", nacht),
    ("papier", "Büttenpapier", papier),
    ("marmor", "Marmor", marmor),
    ("holz", "Holz", holz),
    ("aquarell", "Aquarell", aquarell),
    ("rasen", "Rasen", rasen),
    ("karo", "Karomuster", karo),
    ("streifen", "Streifen", streifen),
    ("punkte", "Punkte", punkte),
]
