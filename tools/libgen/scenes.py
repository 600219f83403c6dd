"""Larger illustrations (the metafile clipart library) and the company logos used
by the templates. Built from the symbols of art.py where that fits."""

import math

import art
from art import (BLUE, BROWN, DARK, GOLD, GREEN, GREY, LEAF, ORANGE, RED, ROSE, SKY, WHITE,
                 YELLOW, F, R, S)
from geom import (arc, band, bezier, circle, ellipse, leaf, mix, rect,
                  rounded_rect, star, transform, wave)
from writers import Picture, Shape


def place(target, pic, x, y, scale=1.0, rot=0.0):
    """Copies the shapes of pic into target: scaled, rotated about its centre, moved to
    (x, y) (its bottom-left corner)."""
    cx, cy = pic.w / 2.0, pic.h / 2.0
    for s in pic.shapes:
        pts = transform(s.points, sx=scale, rot=rot, cx=cx, cy=cy)
        pts = [(px + x - cx + cx * scale, py + y - cy + cy * scale) for px, py in pts]
        target.add(Shape(pts, s.fill, s.stroke, max(1, int(round(s.width * scale))) if s.width
                         else 0, s.closed))
    return target


def landschaft():
    p = Picture(9000, 6000)
    for i in range(12):
        p.add(F(rect(0, 6000 - (i + 1) * 500, 9000, 6000 - i * 500),
                mix((90, 150, 225), (255, 215, 150), i / 11)))
    p.add(F(circle(6500, 2700, 900), (255, 190, 70)))
    p.add(F(band(wave(0, 9000, 2300, 500, 1.2), [(0, 0), (9000, 0)]), (110, 170, 90)))
    p.add(F(band(wave(0, 9000, 1500, 350, 0.8), [(0, 0), (9000, 0)]), (70, 140, 70)))
    for x, s in ((1200, 0.45), (2100, 0.35), (7900, 0.4)):
        place(p, art.tanne(GREEN, deco=False), x - 2000 * s, 1300, s)
    return p


def torte():
    p = Picture(6000, 6000)
    p.add(F(ellipse(3000, 700, 2800, 450, 72), (230, 230, 235), GREY, 30))
    p.add(F(rect(700, 800, 5300, 2500), (250, 220, 230)))
    p.add(F(ellipse(3000, 800, 2300, 400, 72), (250, 220, 230)))
    p.add(F(band(wave(700, 5300, 2300, 150, 6), [(700, 2000), (5300, 2000)]), ROSE))
    p.add(F(ellipse(3000, 2500, 2300, 400, 72), (255, 240, 245)))
    for i, x in enumerate((1700, 2400, 3100, 3800, 4400)):
        y = 2500 + (150 if i % 2 else -100)
        p.add(F(rect(x - 90, y, x + 90, y + 1300), [SKY, YELLOW, ROSE][i % 3]))
        fl = bezier((x, y + 1350), (x - 200, y + 1550), (x - 50, y + 1800), (x, y + 1950), 12) + \
            bezier((x, y + 1950), (x + 50, y + 1800), (x + 200, y + 1550), (x, y + 1350), 12)[1:]
        p.add(F(fl, ORANGE))
    for x in range(1000, 5200, 600):
        p.add(F(circle(x, 1500, 120, 20), RED))
    return p


def christbaum():
    p = Picture(6000, 7000)
    p.add(F(rect(1200, 0, 4800, 900), (180, 40, 40)))
    p.add(F(rect(1200, 700, 4800, 900), GOLD))
    place(p, art.tanne(), 1000, 600, 1.2)
    for x, y in ((700, 5600), (5200, 6200), (600, 2400), (5400, 3600)):
        p.add(F(art.star(x, y, 250, 100), YELLOW))
    return p


def ballons():
    p = Picture(7000, 7000)
    for x, y, c, r in ((300, 1200, RED, -12), (2200, 1800, YELLOW, 0), (4200, 1100, BLUE, 10),
                       (1300, 200, GREEN, -5), (3400, 100, ROSE, 6)):
        place(p, art.ballon(c), x, y, 1.05, r)
    return p


def ringe():
    p = Picture(7000, 5000)
    p.add(R(2600, 2300, 1800, 1500, GOLD, mix(GOLD, BROWN, 0.5), 40, 96))
    p.add(R(4400, 2300, 1800, 1500, mix(GOLD, WHITE, 0.35), mix(GOLD, BROWN, 0.5), 40, 96))
    p.add(F(arc(2600, 2300, 1800, -40, 40, 16) + list(reversed(arc(2600, 2300, 1500, -40, 40, 16))),
            GOLD, mix(GOLD, BROWN, 0.5), 40))
    p.add(F(art.star(4400, 4250, 500, 200, 4, 90), (220, 240, 255), SKY, 30))
    place(p, art.herz(ROSE), 200, 3800, 0.25)
    return p


def osterei():
    p = Picture(5000, 6000)
    egg = [(2500 + 2000 * math.cos(t) * (1 - 0.12 * math.sin(t)),
            2700 + 2600 * math.sin(t)) for t in [2 * math.pi * i / 96 for i in range(96)]]
    p.add(F(egg, (250, 230, 120), ORANGE, 40))
    p.add(F(band(wave(500, 4500, 3200, 180, 5), wave(500, 4500, 2700, 180, 5)), (90, 170, 210)))
    p.add(F(band(wave(600, 4400, 1700, 150, 4), wave(600, 4400, 1300, 150, 4)), ROSE))
    for x in (1300, 2500, 3700):
        p.add(F(circle(x, 4200, 200, 24), GREEN), F(circle(x, 2200, 170, 24), WHITE))
    p.add(F(leaf(2500, 200, 1500, 300, 30), LEAF), F(leaf(2500, 200, 1500, 300, 150), LEAF))
    return p


def sektglaeser():
    p = Picture(6000, 7000)
    for sx, rot in ((1, -12), (-1, 12)):
        g = Picture(2000, 6000)
        g.add(F(ellipse(1000, 250, 800, 180, 48), (220, 230, 240), GREY, 30))
        g.add(F(rect(930, 300, 1070, 3000), (220, 230, 240), GREY, 20))
        bowl = [(500, 5800)] + bezier((500, 5800), (450, 4000), (700, 3000), (1000, 2950), 16)[1:] + \
            bezier((1000, 2950), (1300, 3000), (1550, 4000), (1500, 5800), 16)[1:]
        g.add(F(bowl, (240, 245, 250), GREY, 30))
        wine = [(560, 5000)] + bezier((560, 5000), (520, 4000), (720, 3100), (1000, 3050), 14)[1:] + \
            bezier((1000, 3050), (1280, 3100), (1480, 4000), (1440, 5000), 14)[1:]
        g.add(F(wine, (245, 205, 90)))
        for bx, by in ((900, 3900), (1100, 4300), (950, 4700)):
            g.add(F(circle(bx, by, 60, 12), WHITE))
        place(p, g, 2000 - sx * 1000, 200, 1.0, rot)
    p.add(F(art.star(3000, 6500, 350, 120, 8), YELLOW))
    return p


def strauss():
    p = Picture(6000, 7000)
    for a in (-18, -6, 6, 18):
        x = 3000 + 3500 * math.sin(math.radians(a))
        p.add(S([(3000, 300), (x, 3800)], GREEN, 90))
    p.add(F([(2300, 1600), (3700, 1600), (3300, 300), (2700, 300)], (200, 60, 90)))
    p.add(F(leaf(2800, 2500, 1500, 400, 140), LEAF), F(leaf(3200, 2500, 1500, 400, 40), LEAF))
    for x, y, c, s in ((1700, 3900, ROSE, 0.55), (3000, 4500, (250, 170, 60), 0.6),
                       (4300, 3900, (150, 110, 220), 0.55), (2400, 3300, (240, 240, 245), 0.45),
                       (3650, 3300, ROSE, 0.45)):
        place(p, art.blume(c, YELLOW, stem=False), x - 2000 * s, y - 2000 * s, s)
    return p


def schneemann():
    p = Picture(5000, 7000)
    p.add(F(ellipse(2500, 300, 2400, 300, 60), (230, 240, 250)))
    for cy, r in ((1700, 1500), (3900, 1100), (5500, 750)):
        p.add(F(circle(2500, cy, r), WHITE, (160, 180, 200), 40))
    for cy in (3500, 4000, 4500):
        p.add(F(circle(2500, cy - 300, 100, 20), DARK))
    p.add(F(circle(2250, 5650, 90, 20), DARK), F(circle(2750, 5650, 90, 20), DARK))
    p.add(F([(2500, 5450), (3400, 5300), (2500, 5300)], ORANGE))
    p.add(F(rect(1850, 6050, 3150, 6150), DARK), F(rect(2050, 6150, 2950, 6950), DARK))
    p.add(F(rect(1700, 4550, 3300, 4850), RED))
    p.add(S([(1500, 3900), (400, 4700)], BROWN, 100), S([(3500, 3900), (4600, 4800)], BROWN, 100))
    return p


def segelboot():
    p = Picture(7000, 6000)
    p.add(F(band(wave(0, 7000, 1200, 150, 3), [(0, 0), (7000, 0)]), (70, 140, 200)))
    p.add(F([(1200, 1600), (5800, 1600), (5000, 800), (1900, 800)], (150, 80, 50)))
    p.add(F(rect(3380, 1600, 3520, 5600), BROWN))
    p.add(F([(3300, 1900), (3300, 5500), (1200, 1900)], WHITE, GREY, 30))
    p.add(F([(3600, 2100), (3600, 5300), (5600, 2100)], (230, 80, 60), GREY, 30))
    p.add(F([(3520, 5600), (4300, 5400), (3520, 5200)], RED))
    p.add(F(band(wave(0, 7000, 700, 120, 4), [(0, 0), (7000, 0)]), (50, 110, 180)))
    return p


def regenbogen():
    p = Picture(8000, 4600)
    colours = [(228, 50, 50), (245, 140, 40), (250, 210, 60), (80, 180, 80), (60, 130, 220),
               (120, 80, 190)]
    for i, c in enumerate(colours):
        r0, r1 = 3900 - i * 380, 3900 - (i + 1) * 380
        p.add(F(arc(4000, 300, r0, 0, 180, 60) + arc(4000, 300, r1, 180, 0, 60), c))
    for x in (1000, 7000):
        for dx, dy, r in ((0, 0, 600), (500, 200, 650), (-500, 150, 500), (200, 500, 500)):
            p.add(F(circle(x + dx, 700 + dy, r, 48), WHITE, (210, 220, 230), 30))
    return p


def buch():
    p = Picture(7000, 5000)
    p.add(F([(300, 600), (3500, 300), (6700, 600), (6700, 4600), (3500, 4300), (300, 4600)],
            (130, 40, 50)))
    p.add(F([(500, 800), (3500, 600), (3500, 4500), (500, 4700)], (252, 248, 235), GREY, 20))
    p.add(F([(6500, 800), (3500, 600), (3500, 4500), (6500, 4700)], (252, 248, 235), GREY, 20))
    for i in range(8):
        y = 3900 - i * 380
        p.add(S([(900, y + 60), (3100, y - 40)], GREY, 30), S([(3900, y - 40), (6100, y + 60)], GREY, 30))
    return p


def schallplatte():
    p = Picture(6000, 6000)
    p.add(F(circle(3000, 3000, 2900, 120), (25, 25, 30)))
    for r in (2600, 2300, 2000, 1700):
        p.add(S(circle(3000, 3000, r, 120), (70, 70, 80), 25, closed=True))
    p.add(F(circle(3000, 3000, 1100, 72), RED))
    p.add(F(circle(3000, 3000, 120, 24), WHITE))
    p.add(F(arc(3000, 3000, 2750, 100, 140, 20) + arc(3000, 3000, 2400, 140, 100, 20),
            (90, 90, 100)))
    return p


def cd():
    p = Picture(6000, 6000)
    p.add(R(3000, 3000, 2900, 750, (205, 210, 220), GREY, 30, 120))
    for i, c in enumerate(((200, 170, 240), (160, 220, 240), (240, 230, 160))):
        a0 = 20 + i * 40
        p.add(F(arc(3000, 3000, 2800, a0, a0 + 30, 16) + arc(3000, 3000, 1000, a0 + 30, a0, 16), c))
    p.add(R(3000, 3000, 750, 380, (235, 235, 240), GREY, 20, 72))
    return p


ILLUSTRATIONS = [
    ("landschaft", "Landschaft", landschaft),
    ("torte", "Geburtstagstorte", torte),
    ("christbaum", "Weihnachtsbaum", christbaum),
    ("ballons", "Luftballons", ballons),
    ("ringe", "Eheringe", ringe),
    ("osterei", "Osterei", osterei),
    ("sektglaeser", "Sektgläser", sektglaeser),
    ("strauss", "Blumenstrauß", strauss),
    ("schneemann", "Schneemann", schneemann),
    ("segelboot", "Segelboot", segelboot),
    ("regenbogen", "Regenbogen", regenbogen),
    ("buch", "Buch", buch),
    ("schallplatte", "Schallplatte", schallplatte),
    ("cd", "CD", cd),
]


# ------------------------------------------------------------------ logos

def logo_kreise(c1, c2):
    p = Picture(3000, 3000)
    p.add(F(circle(1150, 1500, 1050), c1))
    p.add(F(circle(1850, 1500, 1050), c2))
    lens = arc(1150, 1500, 1050, -48, 48, 24) + arc(1850, 1500, 1050, 132, 228, 24)
    p.add(F(lens, mix(c1, c2, 0.5)))
    return p


def logo_sechseck(c1, c2):
    p = Picture(3000, 3000)
    hexa = [(1500 + 1450 * math.cos(math.radians(90 + 60 * i)),
             1500 + 1450 * math.sin(math.radians(90 + 60 * i))) for i in range(6)]
    p.add(F(hexa, c1))
    inner = [(1500 + 800 * math.cos(math.radians(90 + 60 * i)),
              1500 + 800 * math.sin(math.radians(90 + 60 * i))) for i in range(6)]
    p.add(F(inner, c2))
    p.add(F([(1500, 1500)] + inner[0:3], mix(c2, WHITE, 0.35)))
    return p


def logo_blatt(c1, c2):
    p = Picture(3000, 3000)
    p.add(F(leaf(300, 300, 3400, 1000, 50), c1))
    p.add(F(leaf(1300, 300, 2000, 550, 80), c2))
    p.add(S(bezier((300, 300), (1000, 1100), (1700, 1800), (2300, 2500), 16), WHITE, 50))
    return p


def logo_berge(c1, c2):
    p = Picture(3600, 2600)
    p.add(F([(0, 200), (1300, 2300), (2000, 1200), (2500, 1800), (3600, 200)], c1))
    p.add(F([(1300, 2300), (1000, 1820), (1250, 1900), (1450, 1700), (1580, 1960)], WHITE))
    p.add(F(circle(2900, 2150, 350, 36), c2))
    p.add(F(rect(0, 0, 3600, 200), c1))
    return p


def logo_raute(c1, c2):
    p = Picture(3000, 3000)
    for i, (dx, dy, c) in enumerate(((0, 700, c1), (700, 0, c2), (-700, 0, mix(c1, c2, 0.5)),
                                     (0, -700, c1))):
        cx, cy = 1500 + dx, 1500 + dy
        p.add(F([(cx, cy - 600), (cx + 600, cy), (cx, cy + 600), (cx - 600, cy)], c))
    return p


def logo_welle(c1, c2):
    p = Picture(3400, 2400)
    p.add(F(band(wave(0, 3400, 1700, 350, 1), wave(0, 3400, 1200, 350, 1)), c1))
    p.add(F(band(wave(0, 3400, 1000, 350, 1), wave(0, 3400, 500, 350, 1)), c2))
    return p


def logo_stern(c1, c2):
    p = Picture(3000, 3000)
    p.add(F(circle(1500, 1500, 1450, 96), c1))
    p.add(F(star(1500, 1450, 1050, 420), c2))
    return p


def logo_sonne(c1, c2):
    p = Picture(3600, 2400)
    for i in range(9):
        a = math.radians(10 + i * 20)
        p.add(F([(1800 + 1100 * math.cos(a - 0.09), 300 + 1100 * math.sin(a - 0.09)),
                 (1800 + 1750 * math.cos(a), 300 + 1750 * math.sin(a)),
                 (1800 + 1100 * math.cos(a + 0.09), 300 + 1100 * math.sin(a + 0.09))], c2))
    p.add(F(arc(1800, 300, 950, 0, 180, 48), c1))
    p.add(F(rect(200, 100, 3400, 300), c1))
    return p


LOGOS = [logo_kreise, logo_sechseck, logo_blatt, logo_berge, logo_raute, logo_welle,
         logo_stern, logo_sonne]
