"""The template designs: letterheads, business cards, greeting cards, CD inserts and
labels. Lengths in millimetres (sheet origin top-left, y downwards); pictures come
from art.py and scenes.py. Text elements carry placeholders in their macro text; their
shown text is the macro filled with the first sample address, so a template looks
finished before the user fills in his own."""

import art
import scenes
from geom import arc, band, circle, mix, rect, wave
from writers import Barcode, Graphic, Picture, Shape, Text

# The sample address (first record of adressen.dat) and the placeholders in the order
# in which the program fills them.
SAMPLE = {
    "firma1": "Sonnenfeld Design GmbH", "firma2": "Grafik & Kommunikation",
    "zusatz1": "Atelier am Marktplatz", "zusatz2": "Geschäftsführerin",
    "strasse": "Lindenallee 12", "plz": "34567", "ort": "Musterstadt",
    "telefon": "0123 456780", "telefax": "0123 456789", "mobil": "0170 1234567",
    "email": "info@sonnenfeld-design.example", "url": "www.sonnenfeld-design.example",
    "bank1": "Musterbank Musterstadt", "blz1": "123 456 78", "konto1": "1234567890",
    "bank2": "Beispiel-Sparkasse", "blz2": "876 543 21", "konto2": "9876543210",
    "titel": "Dipl.-Des.", "vorname": "Anna", "name": "Sonnenfeld",
    "telefonprivat": "0123 998877", "telefaxprivat": "",
}
ORDER = ["t%d" % i for i in range(1, 11)] + [
    "firma1", "firma2", "zusatz1", "zusatz2", "strasse", "plz", "ort", "telefon", "telefax",
    "telefonprivat", "telefaxprivat", "mobil", "email", "url", "bank1", "blz1", "konto1",
    "bank2", "blz2", "konto2", "titel", "vorname", "name"]

PT = 0.3528  # mm per point


def fill(macro, blocks):
    text = macro
    for key in ORDER:
        value = SAMPLE[key] if key in SAMPLE else blocks.get(key, "")
        text = text.replace("<%s>" % key, value)
    return text


# "vCard des Absenders": the address placeholders as a vCard 3.0.
SENDER_VCARD = "\n".join([
    "BEGIN:VCARD", "VERSION:3.0", "N:<name>;<vorname>;;<titel>;", "FN:<titel> <vorname> <name>",
    "ORG:<firma1>;<firma2>", "ADR;TYPE=WORK:;;<strasse>;<ort>;;<plz>;",
    "TEL;TYPE=WORK,VOICE:<telefon>", "TEL;TYPE=WORK,FAX:<telefax>",
    "TEL;TYPE=HOME,VOICE:<telefonprivat>", "TEL;TYPE=HOME,FAX:<telefaxprivat>",
    "TEL;TYPE=CELL:<mobil>", "EMAIL;TYPE=INTERNET:<email>", "URL:<url>", "END:VCARD"])


def fill_vcard(macro, blocks):
    """Values escaped; properties whose value came out empty are left out."""
    def esc(v):
        v = v.replace("\\", "\\\\").replace(",", "\\,").replace(";", "\\;")
        return v.replace("\r\n", "\\n").replace("\n", "\\n").strip()
    lines = []
    for line in macro.split("\n"):
        text = line
        for key in ORDER:
            value = SAMPLE[key] if key in SAMPLE else blocks.get(key, "")
            text = text.replace("<%s>" % key, esc(value))
        if ":" not in text:
            if text.strip():
                lines.append(text)
            continue
        name, value = text.split(":", 1)
        bare = value.replace("\\;", "x").replace("\\,", "x")
        if not bare.replace(";", "").replace(",", "").strip():
            continue
        lines.append(name + ":" + " ".join(value.split()))
    return "\r\n".join(lines)


class Sheet:
    """Collects the elements of one template, bottom first."""

    def __init__(self, width, height, blocks=None):
        self.width, self.height = width, height
        self.blocks = blocks or {}
        self.elements = []

    def pic(self, picture, left, top, width=None, height=None, side=0, kind="P"):
        self.elements.append(Graphic(picture, left, top, width, height, side, kind))

    def fit(self, picture, left, top, width=None, height=None, side=0, kind="P"):
        """Places a picture keeping its aspect, given the width or the height."""
        if width is None:
            width = height * picture.w / picture.h
        elif height is None:
            height = width * picture.h / picture.w
        self.pic(picture, left, top, width, height, side, kind)

    def fit_in(self, picture, left, top, width, height, side=0, kind="P"):
        """Places a picture as large as fits the box, keeping its aspect, centred."""
        scale = min(width / (picture.w / 100.0), height / (picture.h / 100.0))
        w, h = picture.w / 100.0 * scale, picture.h / 100.0 * scale
        self.pic(picture, left + (width - w) / 2, top + (height - h) / 2, w, h, side, kind)

    def box(self, left, top, width, height, colour, side=0):
        """A plain filled rectangle (metafile)."""
        p = Picture(int(round(width * 100)), int(round(height * 100)))
        p.add(Shape(rect(0, 0, p.w, p.h), fill=colour))
        self.pic(p, left, top, width, height, side, "W")

    def code(self, kind, macro, left, top, width, height, module=0.0, side=0, fore=(0, 0, 0)):
        """A barcode; a vCard content is filled as the program fills it."""
        sample = fill_vcard(macro, self.blocks) if macro.startswith("BEGIN:VCARD") else \
            fill(macro, self.blocks)
        self.elements.append(Barcode(kind, macro, sample, left, top, width, height, module,
                                     side, fore))

    def text(self, macro, left, top, size, width=80.0, align="L", bold=False, italic=False,
             color=(0, 0, 0), side=0, font="Arial", angle=0, height=None, shadow=None,
             underline=False):
        h = height if height is not None else round(size * PT * 1.3 + 0.5, 1)
        t = Text(macro, left, top, width, h, int(round(size * 10)), bold, italic, color,
                 align, angle, side, font, fill(macro, self.blocks), shadow)
        if underline:
            t.style |= 4
        self.elements.append(t)


def line_pic(width_mm, thickness_mm, colour):
    p = Picture(int(round(width_mm * 100)), max(1, int(round(thickness_mm * 100))))
    p.add(Shape(rect(0, 0, p.w, p.h), fill=colour))
    return p


# ------------------------------------------------------------------ letterheads

SCHEMES = [
    ("Marineblau", (20, 45, 90), (200, 160, 60)),
    ("Petrol", (0, 105, 115), (240, 140, 40)),
    ("Bordeaux", (125, 25, 45), (150, 150, 150)),
    ("Waldgrün", (35, 110, 60), (150, 200, 80)),
    ("Schiefer", (50, 60, 72), (230, 100, 30)),
    ("Königsblau", (30, 80, 170), (120, 175, 235)),
    ("Pflaume", (90, 40, 110), (205, 150, 210)),
    ("Schwarz-Rot", (30, 30, 30), (200, 30, 40)),
]
GREY_TEXT = (95, 95, 95)


def fold_marks():
    """Fold marks at 105 and 210 mm and the punch mark at 148.5 mm, left margin."""
    p = Picture(700, 29700)
    for y, length in ((10500, 500), (14850, 700), (21000, 500)):
        p.add(Shape(rect(0, 29700 - y - 10, length, 29700 - y + 10), fill=(120, 120, 120)))
    return p


def letter_common(s, c1, c2, footer_top=272.0, left=25.0):
    s.pic(fold_marks(), 0, 0, 7, 297, kind="W")
    s.text("<firma1> · <strasse> · <plz> <ort>", left, 47.5, 7, 85, color=GREY_TEXT,
           underline=True)
    info = [("Telefon", "<telefon>"), ("Telefax", "<telefax>"), ("E-Mail", "<email>"),
            ("Internet", "<url>")]
    for i, (label, macro) in enumerate(info):
        s.text(label, 128, 50 + i * 4.6, 8, 18, color=GREY_TEXT)
        s.text(macro, 146, 50 + i * 4.6, 8, 50, color=c1)
    s.text("Datum", 128, 72, 8, 18, color=GREY_TEXT)
    s.pic(line_pic(210 - 2 * left + 5, 0.3, c2), left, footer_top, 165, 0.3, kind="W")
    cols = [["<firma1>", "<strasse>", "<plz> <ort>"],
            ["Telefon <telefon>", "Telefax <telefax>", "<email>"],
            ["<bank1>", "BLZ <blz1>", "Konto <konto1>"],
            ["<bank2>", "BLZ <blz2>", "Konto <konto2>"]]
    for ci, col in enumerate(cols):
        for li, macro in enumerate(col):
            s.text(macro, left + ci * 42, footer_top + 2 + li * 3.4, 6.5, 41, color=GREY_TEXT,
                   bold=(ci == 0 and li == 0))


def letterheads():
    out = []
    blocks = {"t1": "Gestaltung mit Leidenschaft"}
    logos = scenes.LOGOS

    # 1 classic, centred
    name, c1, c2 = SCHEMES[0]
    s = Sheet(210, 297, blocks)
    s.fit(logos[6](c1, c2), 96, 10, height=18)
    s.text("<firma1>", 20, 30, 16, 170, "C", True, color=c1, font="Times New Roman")
    s.text("<firma2>", 20, 37, 9, 170, "C", color=c2)
    s.pic(line_pic(60, 0.4, c2), 75, 42.5, 60, 0.4, kind="W")
    letter_common(s, c1, c2)
    out.append(("brief_klassik", "Klassisch " + name, s))

    # 2 colour band across the top
    name, c1, c2 = SCHEMES[1]
    s = Sheet(210, 297, blocks)
    s.box(0, 0, 210, 34, c1)
    s.pic(line_pic(210, 1.2, c2), 0, 34, 210, 1.2, kind="W")
    s.fit(logos[1](mix(c1, (255, 255, 255), 0.75), c2), 25, 8, height=18)
    s.text("<firma1>", 48, 10, 18, 140, bold=True, color=(255, 255, 255))
    s.text("<t1>", 48, 19.5, 10, 140, italic=True, color=mix(c1, (255, 255, 255), 0.75))
    letter_common(s, c1, c2)
    out.append(("brief_band", "Farbband " + name, s))

    # 3 side bar
    name, c1, c2 = SCHEMES[2]
    s = Sheet(210, 297, blocks)
    s.box(0, 0, 12, 297, c1)
    s.box(12, 0, 1.5, 297, c2)
    s.fit(logos[4](c1, c2), 170, 12, height=18)
    s.text("<firma1>", 25, 14, 17, 140, bold=True, color=c1)
    s.text("<firma2>", 25, 22, 9.5, 140, color=GREY_TEXT)
    s.text("<zusatz1>", 25, 27, 8.5, 140, italic=True, color=c2)
    letter_common(s, c1, c2)
    out.append(("brief_leiste", "Seitenleiste " + name, s))

    # 4 waves at the bottom
    name, c1, c2 = SCHEMES[3]
    s = Sheet(210, 297, blocks)
    w = Picture(21000, 2600)
    w.add(Shape(band(wave(0, 21000, 1500, 450, 1.5), [(0, 0), (21000, 0)]), fill=mix(c2, (255, 255, 255), 0.4)))
    w.add(Shape(band(wave(0, 21000, 900, 350, 1.1), [(0, 0), (21000, 0)]), fill=c1))
    s.pic(w, 0, 271, 210, 26, kind="W")
    s.fit(logos[2](c1, c2), 165, 12, height=20)
    s.text("<firma1>", 25, 14, 17, 130, bold=True, color=c1)
    s.text("<firma2> · <zusatz1>", 25, 22, 9, 130, color=GREY_TEXT)
    letter_common(s, c1, c2, footer_top=258)
    out.append(("brief_welle", "Welle " + name, s))

    # 5 logo beside the name, accent rule
    name, c1, c2 = SCHEMES[4]
    s = Sheet(210, 297, blocks)
    s.fit(logos[3](c1, c2), 25, 13, height=15)
    s.text("<firma1>", 50, 13, 16, 140, bold=True, color=c1)
    s.text("<firma2>", 50, 20.5, 9, 140, color=c2)
    s.pic(line_pic(185, 0.8, c2), 25, 32, 185, 0.8, kind="W")
    letter_common(s, c1, c2)
    out.append(("brief_akzent", "Akzentlinie " + name, s))

    # 6 corner triangle
    name, c1, c2 = SCHEMES[5]
    s = Sheet(210, 297, blocks)
    tri = Picture(7000, 7000)
    tri.add(Shape([(0, 7000), (7000, 7000), (7000, 0)], fill=c2))
    tri.add(Shape([(2500, 7000), (7000, 7000), (7000, 2500)], fill=c1))
    s.pic(tri, 140, 0, 70, 70, kind="W")
    s.fit(logos[0](c1, c2), 25, 12, height=16)
    s.text("<firma1>", 25, 30, 15, 110, bold=True, color=c1)
    s.text("<firma2>", 25, 37, 8.5, 110, color=GREY_TEXT)
    letter_common(s, c1, c2)
    out.append(("brief_ecke", "Ecke " + name, s))

    # 7 elegant, ornament
    name, c1, c2 = SCHEMES[6]
    s = Sheet(210, 297, blocks)
    s.fit(art.trenner_raute(c1), 55, 33, width=100)
    s.text("<firma1>", 20, 14, 20, 170, "C", color=c1, font="Times New Roman", italic=True)
    s.text("<firma2> · <zusatz1>", 20, 25, 9, 170, "C", color=GREY_TEXT)
    letter_common(s, c1, c2)
    out.append(("brief_elegant", "Elegant " + name, s))

    # 8 minimal
    name, c1, c2 = SCHEMES[7]
    s = Sheet(210, 297, blocks)
    s.box(25, 14, 9, 9, c2)
    s.text("<firma1>", 38, 13.5, 17, 140, bold=True, color=c1)
    s.text("<t1>", 38, 21.5, 9, 140, color=GREY_TEXT)
    letter_common(s, c1, c2)
    out.append(("brief_minimal", "Minimal " + name, s))
    return out


# ------------------------------------------------------------------ business cards

def card_contact(s, x, y, c1, size=6.5, step=3.2, width=50, align="L", lines=None):
    lines = lines or ["<strasse>", "<plz> <ort>", "Tel. <telefon>", "Mobil <mobil>", "<email>",
                      "<url>"]
    # a right-aligned column ends at x
    left = x - width if align == "R" else x
    for i, macro in enumerate(lines):
        s.text(macro, left, y + i * step, size, width, align, color=c1)


def card_back(s, logo, c1, c2):
    s.box(0, 0, 85, 55, c1, side=1)
    s.fit(logo, 30, 9, height=22, side=1)
    s.text("<firma1>", 2, 35, 10, 81, "C", True, color=(255, 255, 255), side=1)
    s.text("<t1>", 2, 41, 7, 81, "C", italic=True, color=mix(c2, (255, 255, 255), 0.3), side=1)


def business_cards():
    out = []
    blocks = {"t1": "Gestaltung mit Leidenschaft"}
    white = (255, 255, 255)
    for i, (name, c1, c2) in enumerate(SCHEMES):
        s = Sheet(85, 55, blocks)
        logo = scenes.LOGOS[i](c1, c2)
        light_logo = scenes.LOGOS[i](mix(c1, white, 0.8), c2)
        style = i % 4
        if style == 0:
            # logo left, text right
            s.fit(logo, 6, 6, height=12)
            s.text("<firma1>", 22, 6.5, 8.5, 60, bold=True, color=c1)
            s.text("<firma2>", 22, 11, 6, 60, color=GREY_TEXT)
            s.text("<titel> <vorname> <name>", 6, 24, 9, 75, bold=True, color=(30, 30, 30))
            s.text("<zusatz2>", 6, 28.5, 6.5, 75, italic=True, color=c2)
            card_contact(s, 6, 34, GREY_TEXT, 6, 2.9, 40, lines=["<strasse>", "<plz> <ort>",
                                                              "<url>"])
            card_contact(s, 79, 34, GREY_TEXT, 6, 2.9, 40, "R", ["Tel. <telefon>",
                                                               "Mobil <mobil>", "<email>"])
        elif style == 1:
            # colour block on the left
            s.box(0, 0, 27, 55, c1)
            s.box(27, 0, 1, 55, c2)
            s.fit(light_logo, 5.5, 16, width=16)
            s.text("<vorname> <name>", 32, 7, 9.5, 50, bold=True, color=c1)
            s.text("<zusatz2>", 32, 12, 6.5, 50, italic=True, color=GREY_TEXT)
            s.text("<firma1>", 32, 19, 7, 50, bold=True, color=(40, 40, 40))
            card_contact(s, 32, 25, GREY_TEXT, 6, 3.3, 50)
        elif style == 2:
            # centred
            s.fit(logo, 36.5, 5, height=10)
            s.text("<firma1>", 2, 16.5, 9, 81, "C", True, color=c1)
            s.pic(line_pic(30, 0.3, c2), 27.5, 22.5, 30, 0.3, kind="W")
            s.text("<titel> <vorname> <name>", 2, 25, 8, 81, "C", color=(40, 40, 40))
            s.text("<strasse> · <plz> <ort>", 2, 37, 6, 81, "C", color=GREY_TEXT)
            s.text("Tel. <telefon> · Mobil <mobil>", 2, 40.5, 6, 81, "C", color=GREY_TEXT)
            s.text("<email> · <url>", 2, 44, 6, 81, "C", color=GREY_TEXT)
        else:
            # band along the top
            s.box(0, 0, 85, 14, c1)
            s.box(0, 14, 85, 0.8, c2)
            s.fit(light_logo, 6, 2.5, height=9)
            s.text("<firma1>", 20, 4.5, 8.5, 62, bold=True, color=white)
            s.text("<titel> <vorname> <name>", 6, 20, 9, 75, bold=True, color=c1)
            s.text("<zusatz2>", 6, 24.5, 6.5, 75, italic=True, color=GREY_TEXT)
            card_contact(s, 6, 31, GREY_TEXT, 6, 3.1, 40, lines=["<strasse>", "<plz> <ort>"])
            card_contact(s, 79, 31, GREY_TEXT, 6, 3.1, 40, "R", ["Tel. <telefon>",
                                                               "Mobil <mobil>", "<email>",
                                                               "<url>"])
        card_back(s, light_logo, c1, c2)
        out.append(("karte_%d" % (i + 1), "Visitenkarte " + name, s))
    return out


def code_templates():
    """A business card whose QR code is its owner's vCard, and an address label with one."""
    name, c1, c2 = SCHEMES[1]
    blocks = {"t1": "Gestaltung mit Leidenschaft"}
    s = Sheet(85, 55, blocks)
    s.box(0, 0, 85, 3, c1)
    s.text("<titel> <vorname> <name>", 6, 8, 9.5, 48, bold=True, color=c1)
    s.text("<zusatz2>", 6, 13, 6.5, 48, italic=True, color=GREY_TEXT)
    s.text("<firma1>", 6, 20, 7, 48, bold=True, color=(40, 40, 40))
    card_contact(s, 6, 27, GREY_TEXT, 6, 3.3, 46)
    s.code("QR", SENDER_VCARD, 53, 14, 28, 28)
    s.text("Kontakt scannen", 53, 43, 5.5, 28, "C", italic=True, color=GREY_TEXT)
    s.box(0, 52, 85, 3, c2)
    card = ("karte_qr", "Visitenkarte mit QR-Code (vCard)", s)

    label = Sheet(70, 36, blocks)
    label.box(0, 0, 2.5, 36, c1)
    label.text("<firma1>", 6, 4, 8, 37, bold=True, color=c1)
    label.text("<vorname> <name>", 6, 9, 7, 37)
    label.text("<strasse>", 6, 14, 7, 37)
    label.text("<plz> <ort>", 6, 19, 7, 37)
    label.text("<url>", 6, 27, 5.5, 37, italic=True, color=GREY_TEXT)
    label.code("QR", SENDER_VCARD, 44, 5, 23, 23)
    return [card, ("etikett_qr", "Adressetikett mit QR-Code (vCard)", label)]


# ------------------------------------------------------------------ greeting cards

CARDS = [
    ("geburtstag", "Geburtstag", scenes.ballons, "Herzlichen", "Glückwunsch!",
     "Alles Liebe und Gute zum Geburtstag!", (200, 40, 60), (250, 240, 230)),
    ("weihnachten", "Weihnachten", scenes.christbaum, "Frohe", "Weihnachten",
     "Besinnliche Feiertage und ein gutes neues Jahr!", (150, 25, 35), (245, 238, 225)),
    ("hochzeit", "Hochzeit", scenes.ringe, "Zur", "Hochzeit",
     "Alles Glück dieser Welt für euren gemeinsamen Weg!", (160, 120, 40), (252, 248, 240)),
    ("danke", "Dankeschön", scenes.strauss, "Vielen", "Dank!",
     "Von Herzen danke für alles!", (190, 60, 110), (253, 244, 248)),
    ("ostern", "Ostern", scenes.osterei, "Frohe", "Ostern",
     "Sonnige Ostertage wünschen wir euch!", (60, 130, 60), (245, 250, 235)),
    ("neujahr", "Neujahr", scenes.sektglaeser, "Prosit", "Neujahr!",
     "Auf ein glückliches und gesundes neues Jahr!", (25, 40, 90), (240, 242, 250)),
    ("einladung", "Einladung", scenes.torte, "Herzliche", "Einladung",
     "Wir freuen uns, mit euch zu feiern!", (30, 110, 140), (238, 248, 250)),
    ("besserung", "Gute Besserung", scenes.landschaft, "Gute", "Besserung!",
     "Werde schnell wieder gesund!", (40, 110, 170), (240, 246, 252)),
]


def greeting_cards():
    out = []
    for key, title, scene, line1, line2, message, c1, paper in CARDS:
        s = Sheet(210, 148, {"t1": "Wir denken an dich."})
        # outside: right half is the cover, left half the back of the card
        s.box(105, 0, 105, 148, paper)
        frame_pic = art.rahmen_schlicht(c1)
        s.pic(frame_pic, 110, 5, 95, 138, kind="P")
        s.fit_in(scene(), 117.5, 16, 80, 76)
        s.text(line1, 110, 98, 22, 95, "C", True, color=c1, font="Times New Roman",
               italic=True)
        s.text(line2, 110, 109, 26, 95, "C", True, color=c1, font="Times New Roman",
               italic=True, shadow=(0.4, 0.4, mix(c1, (255, 255, 255), 0.6)))
        s.fit(art.herz(c1), 48.5, 128, width=8)
        # inside: a quiet ornament on the left, the message on the right
        s.fit(art.eckornament(mix(c1, (255, 255, 255), 0.3)), 8, 8, width=30, side=1)
        s.fit(art.ranke(mix(c1, (255, 255, 255), 0.2)), 10, 125, width=85, side=1)
        s.fit(art.trenner_raute(c1), 125, 40, width=65, side=1)
        s.text(message, 110, 52, 12, 95, "C", color=c1, side=1, font="Times New Roman",
               italic=True)
        s.text("<t1>", 110, 62, 10, 95, "C", color=GREY_TEXT, side=1)
        s.text("Herzliche Grüße", 110, 90, 10, 95, "C", color=GREY_TEXT, side=1)
        s.text("<vorname> <name>", 110, 97, 14, 95, "C", color=c1, side=1,
               font="Times New Roman", italic=True)
        out.append(("gruss_" + key, title, s))
    return out


# ------------------------------------------------------------------ CD inserts and labels

TRACKS = {"t1": "Sommerkonzert 2026", "t2": "Kammerchor Musterstadt", "t3": "Juli 2026",
          "t4": "1. Morgenlied", "t5": "2. Am Brunnen vor dem Tore", "t6": "3. Sommerabend",
          "t7": "4. Die Gedanken sind frei", "t8": "5. Kein schöner Land",
          "t9": "6. Abendruhe", "t10": "7. Zugabe: Heimweg"}


def cd_booklet(variant, c1, c2):
    s = Sheet(120, 120, TRACKS)
    white = (255, 255, 255)
    if variant == 0:
        s.box(0, 0, 120, 120, c1)
        s.fit(scenes.schallplatte(), 25, 12, width=70)
        s.text("<t1>", 4, 88, 16, 112, "C", True, color=white)
        s.text("<t2>", 4, 97, 10, 112, "C", color=c2)
        s.text("<t3>", 4, 104, 8, 112, "C", color=mix(c1, white, 0.6))
    else:
        s.box(0, 0, 120, 120, (250, 248, 242))
        s.box(0, 0, 120, 42, c1)
        s.fit(art.note(white), 50, 8, height=26)
        s.text("<t1>", 8, 52, 16, 104, bold=True, color=c1)
        s.text("<t2>", 8, 61, 10, 104, color=GREY_TEXT)
        s.pic(line_pic(40, 0.6, c2), 8, 69, 40, 0.6, kind="W")
        s.fit(art.welle(mix(c1, white, 0.6)), 0, 100, width=120, height=20, kind="W")
        s.text("<t3>", 8, 92, 8, 104, color=GREY_TEXT)
    # back page of the booklet: the tracks
    s.box(0, 0, 120, 120, mix(c1, white, 0.92), side=1)
    s.text("<t1>", 10, 12, 12, 100, bold=True, color=c1, side=1)
    for i in range(4, 11):
        s.text("<t%d>" % i, 14, 26 + (i - 4) * 7, 9, 96, color=(40, 40, 40), side=1)
    s.text("<firma1> · <url>", 10, 108, 6, 100, color=GREY_TEXT, side=1)
    return s


def cd_inlay(variant, c1, c2):
    s = Sheet(151, 118, TRACKS)
    white = (255, 255, 255)
    s.box(0, 0, 151, 118, mix(c1, white, 0.9 if variant else 0.0))
    s.box(0, 0, 6.5, 118, c2)
    s.box(144.5, 0, 6.5, 118, c2)
    txt = (40, 40, 40) if variant else white
    s.text("<t1> · <t2>", 1, 2, 9, 5, angle=900, height=114, color=c1 if variant else white,
           bold=True)
    s.text("<t1> · <t2>", 145.5, 2, 9, 5, angle=900, height=114, color=c1 if variant else white,
           bold=True)
    s.text("<t1>", 14, 10, 14, 124, bold=True, color=c1 if variant else c2)
    s.text("<t2> · <t3>", 14, 17.5, 9, 124, color=txt)
    for i in range(4, 11):
        s.text("<t%d>" % i, 20, 30 + (i - 4) * 8, 10, 118, color=txt)
    s.fit(art.note(c2 if variant else mix(c2, white, 0.3)), 120, 92, height=16)
    s.text("<firma1>", 14, 104, 6.5, 100, color=txt)
    return s


def cd_label(variant, c1, c2):
    s = Sheet(117, 117, TRACKS)
    white = (255, 255, 255)
    disc = Picture(11700, 11700)
    disc.add(art.R(5850, 5850, 5850, 2050, c1, n=144))
    if variant == 0:
        disc.add(art.R(5850, 5850, 5400, 5250, c2, n=144))
    else:
        for i in range(3):
            a0 = 200 + i * 50
            disc.add(Shape(arc(5850, 5850, 5700, a0, a0 + 30, 24) +
                           arc(5850, 5850, 4200, a0 + 30, a0, 24), fill=mix(c1, c2, 0.5)))
    disc.add(Shape(circle(5850, 5850, 5850, 144), stroke=(160, 160, 160), width=10))
    disc.add(Shape(circle(5850, 5850, 2050, 96), stroke=(160, 160, 160), width=10))
    s.pic(disc, 0, 0, 117, 117, kind="W")
    s.text("<t1>", 10, 20, 14, 97, "C", True, color=white)
    s.text("<t2>", 10, 28, 9, 97, "C", color=c2 if variant == 0 else white)
    s.text("<t3>", 10, 82, 8, 97, "C", color=white)
    s.fit(art.note(white), 52, 88, height=11)
    return s


def cd_templates():
    return [
        ("cd_booklet_nacht", "CD-Booklet Nachtblau", cd_booklet(0, (20, 30, 70), (230, 190, 80))),
        ("cd_booklet_hell", "CD-Booklet Hell", cd_booklet(1, (150, 40, 50), (220, 170, 60))),
        ("cd_inlay_dunkel", "CD-Rückseite Dunkel", cd_inlay(0, (25, 25, 35), (220, 60, 70))),
        ("cd_inlay_hell", "CD-Rückseite Hell", cd_inlay(1, (20, 90, 140), (40, 150, 200))),
        ("cd_etikett_blau", "CD-Etikett Blau", cd_label(0, (20, 60, 130), (240, 200, 90))),
        ("cd_etikett_rot", "CD-Etikett Rot", cd_label(1, (170, 30, 45), (250, 170, 60))),
    ]


# ------------------------------------------------------------------ the libraries

def libraries():
    """(title, list file, folder, [(group heading or None, [(name, label, sheet)])])"""
    letters = letterheads()
    cards = business_cards()
    coded = code_templates()
    greetings = greeting_cards()
    cds = cd_templates()
    return [
        ("Briefbogen", "Briefbogen.lst", "Briefbogen",
         [("Klassisch", letters[0:1] + letters[6:7]),
          ("Modern", letters[1:6] + letters[7:8])]),
        ("Visitenkarten", "Visitenkarten.lst", "Visitenkarten",
         [("Visitenkarten (Vorder- und Rückseite)", cards),
          ("Mit QR-Code", coded)]),
        ("Grußkarten", "Grusskarten.lst", "Grusskarten",
         [("Feste und Anlässe", greetings[0:3] + greetings[4:7]),
          ("Persönliche Grüße", greetings[3:4] + greetings[7:8])]),
        ("CD-Einleger und Etiketten", "CD.lst", "CD",
         [("CD-Booklets", cds[0:2]), ("CD-Rückseiten", cds[2:4]),
          ("CD-Etiketten", cds[4:6])]),
    ]


# The label products the bundled cards and CD labels are printed on, with the margins and
# distances that put each cell on its label (as "Drucken" sets them for the product).
_CARD_SHEET = ("Hama 50400", (13.5, 10.5, 16.5, 11.5, 10.0, 0.0))
_CD_SHEET = ("Avery L7676", (46.500072, 22.000079, 46.499928, 21.000082, 0.0, 19.999839))
PRODUCT_SHEETS = {name: _CARD_SHEET for name in ["karte_%d" % i for i in range(1, 9)] + ["karte_qr"]}
PRODUCT_SHEETS.update({"cd_etikett_blau": _CD_SHEET, "cd_etikett_rot": _CD_SHEET})
