"""The pictures: symbols, frames and ornaments, illustrations and logos.

Every function returns a Picture (writers.py); sizes are hundredths of a millimetre,
y upwards. The same pictures serve as clipart files and inside templates.
"""

import math

from geom import (arc, band, bezier, circle, ellipse, frame, heart, leaf, mix, rect, ring,
                  rounded_rect, star, transform, wave)
from writers import Picture, Shape

BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
DARK = (45, 52, 64)
GOLD = (212, 165, 55)
RED = (200, 35, 45)
ROSE = (226, 84, 120)
GREEN = (52, 140, 70)
LEAF = (96, 170, 80)
BLUE = (35, 95, 175)
SKY = (120, 180, 230)
ORANGE = (240, 140, 40)
YELLOW = (250, 205, 50)
BROWN = (130, 85, 50)
GREY = (150, 150, 150)


def F(points, fill, stroke=None, width=0):
    return Shape(points, fill=fill, stroke=stroke, width=width)


def S(points, stroke, width, closed=False):
    return Shape(points, fill=None, stroke=stroke, width=width, closed=closed)


def R(cx, cy, r_out, r_in, fill, stroke=None, width=0, n=72):
    """A ring. The one polygon of ring() has a seam where it steps from the outer to the
    inner circle; an outline in the fill colour hides it, and a different outline is
    drawn as two circles so that the seam is not outlined."""
    seam = max(4, (r_out - r_in) // 40)
    shapes = [Shape(ring(cx, cy, r_out, r_in, n), fill=fill, stroke=fill, width=seam)]
    if stroke is not None:
        shapes.append(S(circle(cx, cy, r_out, n), stroke, width, closed=True))
        shapes.append(S(circle(cx, cy, r_in, n), stroke, width, closed=True))
    return shapes


# ------------------------------------------------------------------ symbols

def telefon(c=DARK):
    p = Picture(4000, 4000)
    # handset: two ear pieces joined by a curved grip
    grip = (bezier((700, 2900), (1500, 3700), (2500, 3700), (3300, 2900), 24) +
            bezier((3300, 2500), (2500, 3200), (1500, 3200), (700, 2500), 24))
    p.add(F(grip, c))
    p.add(F(rounded_rect(350, 2250, 1250, 3050, 200), c))
    p.add(F(rounded_rect(2750, 2250, 3650, 3050, 200), c))
    # body with dial
    body = [(900, 400), (3100, 400), (2750, 2000), (1250, 2000)]
    p.add(F(body, c))
    p.add(F(circle(2000, 1150, 560), WHITE))
    for i in range(10):
        a = math.radians(90 + i * 32)
        p.add(F(circle(2000 + 370 * math.cos(a), 1150 + 370 * math.sin(a), 85, 24), c))
    p.add(F(circle(2000, 1150, 150, 24), c))
    return p


def brief(c=BLUE, paper=WHITE):
    p = Picture(4600, 3200)
    p.add(F(rect(150, 150, 4450, 3050), paper, c, 140))
    p.add(S([(150, 3050), (2300, 1350), (4450, 3050)], c, 140))
    p.add(S([(150, 150), (1750, 1800)], c, 100))
    p.add(S([(4450, 150), (2850, 1800)], c, 100))
    return p


def email(c=BLUE):
    p = brief(c)
    p.add(F(circle(3900, 700, 560), ORANGE))
    p.add(R(3900, 700, 330, 200, WHITE))
    return p


def globus(sea=BLUE, land=GREEN):
    p = Picture(4000, 4000)
    p.add(F(circle(2000, 2000, 1850), sea, DARK, 60))
    # continents as soft blobs
    p.add(F(ellipse(1400, 2600, 650, 420, 48, rot=0.5), land))
    p.add(F(ellipse(1750, 1300, 380, 650, 48, rot=-0.3), land))
    p.add(F(ellipse(2800, 2500, 600, 350, 48, rot=-0.2), land))
    p.add(F(ellipse(2950, 1500, 300, 420, 48), land))
    # meridians and parallels
    for rx in (1850, 1200, 500):
        p.add(S(ellipse(2000, 2000, rx, 1850, 96), WHITE, 45, closed=True))
    for y, half in ((2000, 1850), (2900, 1620), (1100, 1620)):
        p.add(S([(2000 - half, y), (2000 + half, y)], WHITE, 45))
    return p


def stern(fill=YELLOW, line=ORANGE):
    p = Picture(4000, 4000)
    p.add(F(star(2000, 1950, 1900, 780), fill, line, 80))
    p.add(F(star(2000, 1950, 900, 370), mix(fill, WHITE, 0.45)))
    return p


def herz(fill=RED):
    p = Picture(4000, 3600)
    p.add(F(heart(2000, 1700, 3800), fill))
    p.add(F(ellipse(1250, 2500, 380, 220, 36, rot=0.7), mix(fill, WHITE, 0.45)))
    return p


def blume(petal=ROSE, centre=YELLOW, stem=True):
    p = Picture(4000, 5200 if stem else 4000)
    base = 1200 if stem else 0
    cy = 2000 + base
    if stem:
        p.add(F(band(bezier((1950, 0), (1900, 600), (2100, 1400), (1950, cy - 300)),
                     bezier((2100, 0), (2050, 600), (2250, 1400), (2100, cy - 300))), GREEN))
        p.add(F(leaf(2000, 900, 1300, 380, 35), LEAF))
        p.add(F(leaf(2050, 1400, 1100, 320, 150), LEAF))
    for i in range(6):
        a = 90 + i * 60
        p.add(F(leaf(2000, cy, 1800, 650, a), petal, mix(petal, BLACK, 0.25), 30))
    p.add(F(circle(2000, cy, 480), centre, ORANGE, 40))
    return p


def sonne(c=YELLOW):
    p = Picture(4000, 4000)
    rays = []
    for i in range(24):
        r = 1950 if i % 2 == 0 else 1450
        a = math.radians(i * 15)
        rays.append((2000 + r * math.cos(a), 2000 + r * math.sin(a)))
        b = math.radians(i * 15 + 7.5)
        rays.append((2000 + 1150 * math.cos(b), 2000 + 1150 * math.sin(b)))
    p.add(F(rays, ORANGE))
    p.add(F(circle(2000, 2000, 1150), c, ORANGE, 60))
    return p


def mond(c=(240, 215, 120)):
    p = Picture(4000, 4000)
    outer = arc(2000, 2000, 1850, 60, 300, 60)
    inner = arc(2750, 2000, 1500, 245, 115, 60)
    p.add(F(outer + inner, c, mix(c, BROWN, 0.5), 50))
    p.add(F(star(3300, 3200, 380, 150), YELLOW))
    p.add(F(star(3500, 1400, 260, 100), YELLOW))
    return p


def pfeil(c=BLUE):
    p = Picture(4000, 2400)
    p.add(F([(150, 800), (2400, 800), (2400, 150), (3850, 1200), (2400, 2250),
             (2400, 1600), (150, 1600)], c))
    return p


def haken(c=GREEN):
    p = Picture(4000, 4000)
    p.add(F(circle(2000, 2000, 1900), c))
    p.add(F([(900, 2100), (1300, 2500), (1750, 2000), (2950, 3200), (3350, 2800),
             (1750, 1200)], WHITE))
    return p


def haus(wall=(235, 225, 200), roof=RED):
    p = Picture(4000, 3800)
    p.add(F(rect(650, 100, 3350, 2150), wall, DARK, 60))
    p.add(F([(250, 2050), (2000, 3650), (3750, 2050)], roof, DARK, 60))
    p.add(F(rect(2700, 2700, 3100, 3500), BROWN, DARK, 40))
    p.add(F(rect(1700, 100, 2300, 1300), BROWN, DARK, 40))
    for x in (950, 2650):
        p.add(F(rect(x, 1100, x + 600, 1700), SKY, DARK, 40))
        p.add(S([(x + 300, 1100), (x + 300, 1700)], DARK, 40))
        p.add(S([(x, 1400), (x + 600, 1400)], DARK, 40))
    return p


def uhr(c=DARK):
    p = Picture(4000, 4000)
    p.add(F(circle(2000, 2000, 1900), c))
    p.add(F(circle(2000, 2000, 1650), WHITE))
    for i in range(12):
        a = math.radians(i * 30)
        r0 = 1300 if i % 3 else 1150
        p.add(S([(2000 + r0 * math.cos(a), 2000 + r0 * math.sin(a)),
                 (2000 + 1500 * math.cos(a), 2000 + 1500 * math.sin(a))], c, 120 if i % 3 else 200))
    p.add(S([(2000, 2000), (2000, 3050)], c, 160))
    p.add(S([(2000, 2000), (2750, 1550)], c, 220))
    p.add(F(circle(2000, 2000, 160, 24), RED))
    return p


def glocke(c=GOLD):
    p = Picture(4000, 4200)
    body = (bezier((500, 900), (1000, 1300), (800, 3400), (2000, 3450), 24) +
            bezier((2000, 3450), (3200, 3400), (3000, 1300), (3500, 900), 24))
    p.add(F(body, c, mix(c, BROWN, 0.6), 60))
    p.add(F(rounded_rect(350, 650, 3650, 1000, 150), c, mix(c, BROWN, 0.6), 60))
    p.add(F(circle(2000, 450, 330), mix(c, BROWN, 0.5)))
    p.add(R(2000, 3650, 300, 170, mix(c, BROWN, 0.5)))
    p.add(F(ellipse(1400, 2300, 180, 700, 36, rot=-0.15), mix(c, WHITE, 0.5)))
    return p


def kerze(wax=(250, 245, 230), flame=ORANGE):
    p = Picture(2400, 5000)
    p.add(F(rect(600, 100, 1800, 3300), wax, GREY, 40))
    p.add(F(ellipse(1200, 3300, 600, 150, 48), mix(wax, GREY, 0.2), GREY, 40))
    p.add(S([(1200, 3350), (1200, 3650)], DARK, 60))
    fl = bezier((1200, 3550), (600, 3900), (1000, 4500), (1200, 4900), 20) + \
        bezier((1200, 4900), (1400, 4500), (1800, 3900), (1200, 3550), 20)[1:]
    p.add(F(fl, flame))
    p.add(F(transform(fl, sx=0.5, cx=1200, cy=3550), YELLOW))
    return p


def geschenk(box=RED, ribbon=GOLD):
    p = Picture(4000, 4200)
    p.add(F(rect(400, 100, 3600, 2600), box, mix(box, BLACK, 0.3), 40))
    p.add(F(rect(250, 2600, 3750, 3200), mix(box, WHITE, 0.15), mix(box, BLACK, 0.3), 40))
    p.add(F(rect(1750, 100, 2250, 3200), ribbon))
    p.add(F(leaf(2000, 3200, 1500, 450, 135), ribbon, mix(ribbon, BROWN, 0.5), 30))
    p.add(F(leaf(2000, 3200, 1500, 450, 45), ribbon, mix(ribbon, BROWN, 0.5), 30))
    p.add(F(circle(2000, 3250, 220), mix(ribbon, BROWN, 0.3)))
    return p


def tanne(c=GREEN, deco=True):
    p = Picture(4000, 5000)
    p.add(F(rect(1750, 100, 2250, 800), BROWN))
    for i, (w, y0, y1) in enumerate(((1900, 700, 2200), (1500, 1700, 3300), (1100, 2800, 4850))):
        p.add(F([(2000 - w, y0), (2000 + w, y0), (2000, y1)], mix(c, BLACK, 0.1 * i)))
    if deco:
        for x, y, col in ((1300, 1000, RED), (2600, 1150, GOLD), (1700, 2000, GOLD),
                          (2450, 2300, RED), (2000, 3200, RED), (1500, 3500 - 500, SKY)):
            p.add(F(circle(x, y, 150, 24), col))
        p.add(F(star(2000, 4750, 330, 140), YELLOW))
    return p


def ballon(c=RED):
    p = Picture(2600, 5000)
    p.add(S(bezier((1300, 1800), (1000, 1300), (1600, 800), (1200, 100), 20), GREY, 30))
    p.add(F([(1150, 1750), (1450, 1750), (1300, 1950)], mix(c, BLACK, 0.2)))
    p.add(F(ellipse(1300, 3300, 1150, 1450, 72), c))
    p.add(F(ellipse(900, 3800, 220, 420, 36, rot=0.5), mix(c, WHITE, 0.5)))
    return p


def note(c=DARK):
    p = Picture(3600, 4200)
    p.add(F([(1150, 800), (1400, 800), (1400, 3600), (3300, 4100), (3300, 1300), (3050, 1300),
             (3050, 3650), (1400, 3200), (1150, 3200)], c))
    p.add(F(ellipse(850, 800, 600, 430, 48, rot=0.35), c))
    p.add(F(ellipse(2750, 1300, 600, 430, 48, rot=0.35), c))
    return p


def handy(c=DARK):
    p = Picture(2600, 4400)
    p.add(F(rounded_rect(200, 100, 2400, 4300, 320), c))
    p.add(F(rect(400, 700, 2200, 3800), SKY))
    p.add(F(circle(1300, 400, 170, 24), GREY))
    p.add(F(rounded_rect(1000, 3950, 1600, 4050, 40), GREY))
    return p


def klee(c=GREEN):
    p = Picture(4000, 4400)
    p.add(F(band(bezier((1950, 100), (1900, 800), (2200, 1500), (2000, 2000)),
                 bezier((2100, 100), (2050, 800), (2350, 1500), (2150, 2000))), mix(c, BLACK, 0.2)))
    for a in (45, 135, 225, 315):
        cx = 2000 + 720 * math.cos(math.radians(a))
        cy = 2600 + 720 * math.sin(math.radians(a))
        # the tip of each heart points to the middle
        p.add(F(transform(heart(0, 0, 1650), dx=cx, dy=cy, rot=a - 90), c,
                mix(c, BLACK, 0.25), 40))
    p.add(F(circle(2000, 2600, 220, 24), mix(c, BLACK, 0.2)))
    return p


def schneeflocke(c=SKY):
    p = Picture(4000, 4000)
    for i in range(6):
        a = i * 60
        arm = [(2000, 2000), (2000 + 1850 * math.cos(math.radians(a)),
                              2000 + 1850 * math.sin(math.radians(a)))]
        p.add(S(arm, c, 180))
        for d, l in ((1000, 550), (1450, 380)):
            bx = 2000 + d * math.cos(math.radians(a))
            by = 2000 + d * math.sin(math.radians(a))
            for s in (-45, 45):
                p.add(S([(bx, by), (bx + l * math.cos(math.radians(a + s)),
                                    by + l * math.sin(math.radians(a + s)))], c, 140))
    p.add(F(circle(2000, 2000, 260, 6, start=math.pi / 6), c))
    return p


def tropfen(c=BLUE):
    p = Picture(3000, 4200)
    d = arc(1500, 1500, 1300, 150, 390, 60) + [(1500, 4100)]
    p.add(F(d, c))
    p.add(F(ellipse(1000, 1600, 220, 450, 36, rot=0.4), mix(c, WHITE, 0.55)))
    return p


def blatt(c=LEAF):
    p = Picture(4000, 4000)
    p.add(F(leaf(300, 300, 4400, 1200, 45), c, mix(c, BLACK, 0.3), 40))
    p.add(S(bezier((300, 300), (1500, 1400), (2500, 2400), (3300, 3300), 24), mix(c, BLACK, 0.3), 60))
    for t in (0.3, 0.5, 0.7):
        x, y = 300 + 3000 * t, 300 + 3000 * t
        p.add(S([(x, y), (x - 700, y + 200)], mix(c, BLACK, 0.3), 40))
        p.add(S([(x, y), (x + 200, y - 700)], mix(c, BLACK, 0.3), 40))
    return p


def schmetterling(c1=(120, 70, 190), c2=ORANGE):
    p = Picture(4400, 3800)
    for sx in (1, -1):
        up = transform(ellipse(0, 0, 1250, 900, 60, rot=0.6), dx=2200 + sx * 1050, dy=2450,
                       sx=sx, sy=1)
        lo = transform(ellipse(0, 0, 800, 620, 60, rot=-0.5), dx=2200 + sx * 800, dy=1150,
                       sx=sx, sy=1)
        p.add(F(up, c1, DARK, 40), F(lo, mix(c1, c2, 0.5), DARK, 40))
        p.add(F(circle(2200 + sx * 1300, 2650, 300, 36), c2))
        p.add(F(circle(2200 + sx * 850, 1100, 200, 36), YELLOW))
        p.add(S(bezier((2200, 2800), (2200 + sx * 200, 3300), (2200 + sx * 500, 3500),
                       (2200 + sx * 700, 3650), 12), DARK, 50))
    p.add(F(ellipse(2200, 1900, 150, 1000, 36), DARK))
    return p


def kaffee(c=(250, 250, 250), coffee=(110, 70, 40)):
    p = Picture(4400, 4000)
    p.add(F(ellipse(2000, 450, 1900, 350, 60), mix(c, GREY, 0.3), GREY, 40))
    cup = [(700, 2600)] + bezier((700, 2600), (700, 1200), (1200, 700), (2000, 700), 20)[1:] + \
        bezier((2000, 700), (2800, 700), (3300, 1200), (3300, 2600), 20)[1:]
    p.add(R(3450, 1800, 550, 330, c, GREY, 40, 48))
    p.add(F(cup, c, GREY, 50))
    p.add(F(ellipse(2000, 2600, 1300, 220, 60), coffee))
    for x in (1500, 2000, 2500):
        p.add(S(bezier((x, 2950), (x - 250, 3250), (x + 250, 3450), (x, 3850), 16), GREY, 60))
    return p


SYMBOLS = [
    ("telefon", "Telefon", telefon),
    ("handy", "Mobiltelefon", handy),
    ("brief", "Brief", brief),
    ("email", "E-Mail", email),
    ("globus", "Globus", globus),
    ("haus", "Haus", haus),
    ("uhr", "Uhr", uhr),
    ("pfeil", "Pfeil", pfeil),
    ("haken", "Häkchen", haken),
    ("stern", "Stern", stern),
    ("herz", "Herz", herz),
    ("blume", "Blume", blume),
    ("blume_blau", "Blume blau", lambda: blume((90, 120, 220), YELLOW)),
    ("sonne", "Sonne", sonne),
    ("mond", "Mond und Sterne", mond),
    ("glocke", "Glocke", glocke),
    ("kerze", "Kerze", kerze),
    ("geschenk", "Geschenk", geschenk),
    ("tanne", "Tannenbaum", tanne),
    ("ballon", "Luftballon", ballon),
    ("note", "Musiknote", note),
    ("klee", "Kleeblatt", klee),
    ("schneeflocke", "Schneeflocke", schneeflocke),
    ("tropfen", "Tropfen", tropfen),
    ("blatt", "Blatt", blatt),
    ("schmetterling", "Schmetterling", schmetterling),
    ("kaffee", "Kaffeetasse", kaffee),
]


# ------------------------------------------------------------------ frames and ornaments

def rahmen_schlicht(c=DARK):
    p = Picture(8000, 5500)
    p.add(F(frame(100, 100, 7900, 5400, 120), c))
    p.add(F(frame(300, 300, 7700, 5200, 40), c))
    return p


def rahmen_rund(c=BLUE):
    p = Picture(8000, 5500)
    p.add(S(rounded_rect(150, 150, 7850, 5350, 700, 12), c, 160, closed=True))
    p.add(S(rounded_rect(400, 400, 7600, 5100, 500, 12), mix(c, WHITE, 0.5), 50, closed=True))
    return p


def eckornament(c=GOLD):
    p = Picture(4000, 4000)
    sw = bezier((200, 200), (200, 2800), (1200, 3800), (3800, 3800), 40)
    p.add(S(sw, c, 120))
    p.add(S(bezier((600, 200), (600, 2000), (1500, 3400), (3800, 3400), 40), c, 50))
    p.add(S(bezier((1000, 1800), (1600, 2600), (2300, 2600), (2600, 2100), 24), c, 60))
    p.add(F(leaf(1150, 2250, 900, 260, 60), c))
    p.add(F(leaf(2250, 3000, 900, 260, 10), c))
    p.add(F(circle(2650, 2050, 140, 24), c))
    p.add(F(circle(200, 200, 200, 24), c))
    return p


def rahmen_ecken(c=GOLD):
    p = Picture(10000, 7000)
    p.add(F(frame(500, 500, 9500, 6500, 40), c))
    corner = eckornament(c)
    for sx, sy, dx, dy in ((1, 1, 0, 0), (-1, 1, 10000, 0), (1, -1, 0, 7000), (-1, -1, 10000, 7000)):
        for s in corner.shapes:
            pts = [(dx + sx * x * 0.55, dy + sy * y * 0.55) for x, y in s.points]
            p.add(Shape(pts, s.fill, s.stroke, max(1, int(s.width * 0.55)), s.closed))
    return p


def trenner_raute(c=DARK):
    p = Picture(12000, 1200)
    p.add(F(rect(200, 570, 5200, 630), c), F(rect(6800, 570, 11800, 630), c))
    p.add(F([(6000, 100), (6600, 600), (6000, 1100), (5400, 600)], c))
    p.add(F([(6000, 400), (6250, 600), (6000, 800), (5750, 600)], WHITE))
    p.add(F(circle(5000, 600, 90, 16), c), F(circle(7000, 600, 90, 16), c))
    return p


def trenner_punkte(c=BLUE):
    p = Picture(12000, 800)
    for i in range(25):
        r = 80 + 220 * math.sin(math.pi * i / 24)
        p.add(F(circle(200 + i * 480, 400, r, 24), mix(c, WHITE, 0.6 * abs(i - 12) / 12)))
    return p


def welle(c=SKY):
    p = Picture(12000, 2000)
    for i, col in enumerate((c, mix(c, BLUE, 0.5), BLUE)):
        up = wave(0, 12000, 1300 - i * 350, 220, 2.5 - 0.5 * i)
        p.add(F(band(up, [(0, 0), (12000, 0)]), col))
    return p


def ranke(c=GREEN):
    p = Picture(12000, 2400)
    stem = wave(200, 11800, 1200, 500, 3, 180)
    p.add(S(stem, c, 80))
    for i in range(1, 12):
        x = 200 + 11600 * i / 12
        y = 1200 + 500 * math.sin(2 * math.pi * 3 * i / 12)
        p.add(F(leaf(x, y, 800, 230, 60 if i % 2 else -60), LEAF if i % 3 else c))
        if i % 3 == 0:
            p.add(F(circle(x + 300, y - 250 if i % 2 == 0 else y + 250, 160, 24), ROSE))
    return p


def banner(c=RED):
    p = Picture(10000, 3000)
    p.add(F([(0, 400), (1800, 400), (1800, 2000), (0, 2000), (600, 1200)], mix(c, BLACK, 0.25)))
    p.add(F([(10000, 400), (8200, 400), (8200, 2000), (10000, 2000), (9400, 1200)],
            mix(c, BLACK, 0.25)))
    p.add(F([(1200, 900)] + bezier((1200, 900), (3500, 1300), (6500, 1300), (8800, 900), 30)[1:] +
            [(8800, 2600)] + bezier((8800, 2600), (6500, 3000), (3500, 3000), (1200, 2600), 30)[1:],
            c))
    return p


def siegel(c=GOLD):
    p = Picture(4000, 5000)
    p.add(F([(1200, 100), (1700, 1900), (2100, 1600), (1700, 100)], RED))
    p.add(F([(2800, 100), (2300, 1900), (1900, 1600), (2300, 100)], RED))
    pts = []
    for i in range(48):
        r = 1800 if i % 2 == 0 else 1600
        a = math.radians(i * 7.5)
        pts.append((2000 + r * math.cos(a), 3000 + r * math.sin(a)))
    p.add(F(pts, c))
    p.add(F(circle(2000, 3000, 1300), mix(c, WHITE, 0.3), mix(c, BROWN, 0.4), 60))
    p.add(F(star(2000, 3000, 850, 350), c))
    return p


def lorbeer(c=GREEN):
    p = Picture(6000, 5000)
    dark = mix(c, BLACK, 0.3)
    for sx in (1, -1):
        # each branch climbs along a circle; leaves sit in pairs on both sides of it
        stem = [(3000 + sx * 2000 * math.cos(math.radians(-75 + t * 2.5)),
                 2500 + 2000 * math.sin(math.radians(-75 + t * 2.5))) for t in range(0, 57, 3)]
        p.add(S(stem, dark, 70))
        for i in range(8):
            a = -70 + i * 18
            x = 3000 + sx * 2000 * math.cos(math.radians(a))
            y = 2500 + 2000 * math.sin(math.radians(a))
            tangent = a + 90 if sx > 0 else 90 - a
            for side in (-38, 38):
                p.add(F(leaf(x, y, 800 - i * 35, 230, tangent + side * sx), c if side < 0 else
                        mix(c, LEAF, 0.5)))
    return p


def rahmen_oval(c=ROSE):
    p = Picture(6000, 8000)
    outer = ellipse(3000, 4000, 2900, 3900, 120)
    inner = list(reversed(ellipse(3000, 4000, 2650, 3650, 120)))
    p.add(F(outer + [outer[0], inner[-1]] + inner + [inner[0]], c))
    p.add(S(ellipse(3000, 4000, 2500, 3500, 120), mix(c, WHITE, 0.4), 40, closed=True))
    for a in (90, 270):
        x = 3000 + 2780 * math.cos(math.radians(a))
        y = 4000 + 3780 * math.sin(math.radians(a))
        p.add(F(heart(x, y, 900), mix(c, BLACK, 0.15)))
    return p


def rahmen_karte(c=BLUE):
    p = Picture(8500, 5500)
    p.add(F(frame(0, 0, 8500, 5500, 250), c))
    for x, y in ((0, 0), (8500, 0), (0, 5500), (8500, 5500)):
        p.add(F(circle(x + (400 if x == 0 else -400), y + (400 if y == 0 else -400), 250, 36),
                mix(c, WHITE, 0.4)))
    return p


ORNAMENTS = [
    ("rahmen_schlicht", "Rahmen schlicht", rahmen_schlicht),
    ("rahmen_rund", "Rahmen abgerundet", rahmen_rund),
    ("rahmen_ecken", "Rahmen mit Eckornamenten", rahmen_ecken),
    ("rahmen_oval", "Rahmen oval", rahmen_oval),
    ("rahmen_karte", "Rahmen Visitenkarte", rahmen_karte),
    ("eckornament", "Eckornament", eckornament),
    ("trenner_raute", "Trennlinie mit Raute", trenner_raute),
    ("trenner_punkte", "Trennlinie Punkte", trenner_punkte),
    ("welle", "Wellenband", welle),
    ("ranke", "Blütenranke", ranke),
    ("banner", "Spruchband", banner),
    ("siegel", "Siegel", siegel),
    ("lorbeer", "Lorbeerkranz", lorbeer),
]
