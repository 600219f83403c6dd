"""Byte writers for the bundled libraries: path lists (QMG), placeable Windows
metafiles, 24-bit BMP files and Quillmark documents (.qmk).

Pictures are described once as a list of Shape objects in hundredths of a
millimetre with the origin at the bottom-left corner and y growing upwards (the
coordinate system of path lists); both the path list and the metafile are made
from that description, so they show the same picture.
"""

import struct


class Shape:
    """One path: its points, fill and outline colour (None = none), pen width."""

    def __init__(self, points, fill=None, stroke=None, width=0, closed=True):
        self.points = [(int(round(x)), int(round(y))) for x, y in points]
        self.fill = fill
        self.stroke = stroke
        self.width = int(width)
        self.closed = closed


class Picture:
    """A picture of size w x h (0.01 mm) made of shapes painted in order."""

    def __init__(self, w, h, shapes=None):
        self.w = int(w)
        self.h = int(h)
        self.shapes = list(shapes or [])

    def add(self, *shapes):
        for s in shapes:
            if isinstance(s, (list, tuple)):
                self.add(*s)
            else:
                self.shapes.append(s)
        return self


MAX_PATH_POINTS = 10000


# ---------------------------------------------------------------- path lists

def qmg_lines(pic, lead="G"):
    """The path list of a picture. The renderer keeps fill and outline state from
    path to path, so colours and styles are written only when they change."""
    lines = ["%s%db%dh" % (lead, pic.w, pic.h)]
    fill_on, fill = True, (255, 255, 255)
    line_on, line = True, (0, 0, 0)
    width = 1
    for s in pic.shapes:
        pts = s.points
        if not s.closed or s.fill is None:
            # Outline only: an open polyline; a closed outline repeats its first point.
            if s.stroke is None:
                continue
            if s.closed:
                pts = pts + [pts[0]]
        assert 0 < len(pts) <= MAX_PATH_POINTS
        want_line = s.stroke is not None
        if want_line and (not line_on or line != s.stroke):
            lines.append("K%dr%dg%db" % s.stroke)
            line_on, line = True, s.stroke
        if want_line and width != max(1, s.width):
            width = max(1, s.width)
            lines.append("w%d#" % width)
        if s.closed and s.fill is not None and (not fill_on or fill != s.fill):
            lines.append("k%dr%dg%db" % s.fill)
            fill_on, fill = True, s.fill
        for i, (x, y) in enumerate(pts):
            lines.append("%s%dx%dy" % ("M" if i == 0 else "L", x, y))
        if s.closed and s.fill is not None:
            if want_line:
                lines.append("B")
            else:
                lines.append("F")
                line_on = False
        else:
            lines.append("S")
            fill_on = False
    return lines


def text_bytes(lines):
    """Lines in Windows-1252, each ended by CR LF."""
    return b"".join(l.encode("cp1252") + b"\r\n" for l in lines)


# ---------------------------------------------------------------- metafiles

def _rec(function, params):
    """A WMF record: size in 16-bit words, function number, parameters."""
    body = b"".join(struct.pack("<h" if p < 0 else "<H", p) for p in params)
    size = 3 + len(params)
    return struct.pack("<IH", size, function) + body, size


def _colorref(rgb):
    r, g, b = rgb
    return r | (g << 8) | (b << 16)


def wmf_bytes(pic):
    """A placeable Windows metafile of the picture: 0.01 mm units (2540 per inch),
    y flipped so that the picture's bottom-left corner is its origin."""
    records = []
    max_rec = 0

    def add(function, params):
        nonlocal max_rec
        data, size = _rec(function, params)
        records.append(data)
        max_rec = max(max_rec, size)

    slots = []  # WMF object table: the lowest free slot is taken

    def create(function, params):
        idx = slots.index(None) if None in slots else len(slots)
        if idx == len(slots):
            slots.append(True)
        else:
            slots[idx] = True
        add(function, params)
        return idx

    def delete(idx):
        add(0x01F0, [idx])
        slots[idx] = None

    def words(value):
        return [value & 0xFFFF, (value >> 16) & 0xFFFF]

    add(0x0103, [8])                   # SETMAPMODE MM_ANISOTROPIC
    add(0x020B, [0, 0])                # SETWINDOWORG (y, x)
    add(0x020C, [pic.h, pic.w])        # SETWINDOWEXT (y, x)
    add(0x0102, [1])                   # SETBKMODE TRANSPARENT
    pen = brush = None
    for s in pic.shapes:
        pts = s.points
        closed_fill = s.closed and s.fill is not None
        if not closed_fill:
            if s.stroke is None:
                continue
            if s.closed:
                pts = pts + [pts[0]]
        if s.stroke is None:
            pen_params = [5, 0, 0] + words(0)            # PS_NULL
        else:
            pen_params = [0, max(1, s.width), 0] + words(_colorref(s.stroke))
        new_pen = create(0x02FA, pen_params)             # CREATEPENINDIRECT
        add(0x012D, [new_pen])                           # SELECTOBJECT
        if pen is not None:
            delete(pen)
        pen = new_pen
        if closed_fill:
            brush_params = [0] + words(_colorref(s.fill)) + [0]
        else:
            brush_params = [1] + words(0) + [0]          # BS_NULL
        new_brush = create(0x02FC, brush_params)         # CREATEBRUSHINDIRECT
        add(0x012D, [new_brush])
        if brush is not None:
            delete(brush)
        brush = new_brush
        params = [len(pts)]
        for x, y in pts:
            params += [x & 0xFFFF, (pic.h - y) & 0xFFFF]
        add(0x0324 if closed_fill else 0x0325, params)   # POLYGON / POLYLINE
    add(0x0000, [])                                      # EOF
    body = b"".join(records)
    total_words = 9 + len(body) // 2
    header = struct.pack("<HHHIHIH", 1, 9, 0x0300, total_words, max(1, len(slots)),
                         max_rec, 0)
    assert pic.w <= 32767 and pic.h <= 32767
    place = struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, 0, 0, pic.w, pic.h, 2540, 0)
    checksum = 0
    for (word,) in struct.iter_unpack("<H", place):
        checksum ^= word
    return place + struct.pack("<H", checksum) + header + body


# ---------------------------------------------------------------- raster pictures

def bmp_bytes(width, height, pixel):
    """A 24-bit bottom-up BMP; pixel(x, y) gives (r, g, b) with y = 0 the top row."""
    row_size = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (row_size - len(row))
        rows.append(bytes(row))
    data = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 3780, 3780,
                       0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
    return head + info + data


# ---------------------------------------------------------------- documents

def real(v):
    """A real as the document format writes it: " 2.10000000000000E+0002"."""
    s = "%.14E" % abs(v)
    mant, exp = s.split("E")
    e = int(exp)
    return "%s%sE%s%04d" % ("-" if v < 0 else " ", mant, "-" if e < 0 else "+", abs(e))


def letter_pairs(data):
    """Bytes as "## " lines of up to 40 bytes, two letters per byte."""
    out = []
    for i in range(0, len(data), 40):
        chunk = data[i:i + 40]
        out.append("## " + "".join(chr(65 + (b >> 4)) + chr(65 + (b & 15)) for b in chunk))
    return out


def colour(rgb):
    return _colorref(rgb)


class Graphic:
    """A graphic element: a picture placed in a box (mm). kind "P" keeps the path list."""

    def __init__(self, pic, left, top, width=None, height=None, side=0, kind="P"):
        self.pic = pic
        self.left, self.top = left, top
        self.width = pic.w / 100.0 if width is None else width
        self.height = pic.h / 100.0 if height is None else height
        self.side = side
        self.kind = kind

    def lines(self):
        out = ["#WMF", "## CL=" + real(self.left), "## CT=" + real(self.top),
               "## CW=" + real(self.width), "## CH=" + real(self.height),
               "## B=%d" % self.side, "## PT=" + self.kind, "##"]
        out += letter_pairs(wmf_bytes(self.pic))
        out.append("##")
        if self.kind == "P":
            out += letter_pairs(text_bytes(qmg_lines(self.pic)))
            out.append("##")
        return out


class Text:
    """A text element; 'macro' holds placeholders, 'text' is the filled sample."""

    def __init__(self, macro, left, top, width, height, size=100, bold=False, italic=False,
                 color=(0, 0, 0), align="L", angle=0, side=0, font="Arial", text=None,
                 shadow=None):
        self.macro, self.text = macro, text
        self.left, self.top, self.width, self.height = left, top, width, height
        self.size, self.color, self.align, self.angle, self.side = size, color, align, angle, side
        self.style = (1 if bold else 0) | (2 if italic else 0)
        self.font = font
        self.shadow = shadow  # (dx, dy, rgb) or None

    def lines(self):
        out = ["#TXT", "## CL=" + real(self.left), "## CT=" + real(self.top),
               "## CW=" + real(self.width), "## CH=" + real(self.height),
               "## B=%d" % self.side]
        if self.shadow:
            dx, dy, rgb = self.shadow
            out += ["## S?=T", "## SX=" + real(dx), "## SY=" + real(dy),
                    "## SC=%d" % colour(rgb)]
        else:
            out.append("## S?=F")
        out += ["## L=0", "## T=" + self.text, "## M=" + self.macro, "## FN=" + self.font,
                "## FE=%d" % self.angle, "## FS=%d" % self.size, "## FY=%d" % self.style,
                "## FC=%d" % colour(self.color), "## AH=" + self.align, "## AV=T", "##"]
        return out


def barcode_line(value):
    """A barcode content on one line of the file: backslash and line breaks escaped, and
    characters the code page lacks as \\uXXXX;."""
    out = []
    for ch in value:
        if ch == "\\":
            out.append("\\\\")
        elif ch == "\n":
            out.append("\\n")
        elif ch == "\r":
            out.append("\\r")
        else:
            try:
                ch.encode("cp1252")
                ok = ord(ch) >= 0x20
            except UnicodeEncodeError:
                ok = False
            out.append(ch if ok else "\\u%04x;" % ord(ch))
    return "".join(out)


class Barcode:
    """A barcode element (zint symbology key such as "QR"); 'macro' holds placeholders,
    'text' is the filled sample. module 0 fits the code into the box."""

    def __init__(self, kind, macro, text, left, top, width, height, module=0.0, side=0,
                 fore=(0, 0, 0), back=(255, 255, 255), level=0):
        self.kind, self.macro, self.text = kind, macro, text
        self.left, self.top, self.width, self.height = left, top, width, height
        self.module, self.side, self.fore, self.back, self.level = module, side, fore, back, level

    def lines(self):
        return ["#BAR", "## CL=" + real(self.left), "## CT=" + real(self.top),
                "## CW=" + real(self.width), "## CH=" + real(self.height),
                "## B=%d" % self.side, "## SY=" + self.kind, "## T=" + barcode_line(self.text),
                "## M=" + barcode_line(self.macro), "## MS=" + real(self.module),
                "## EC=%d" % self.level, "## FC=%d" % colour(self.fore),
                "## BC=%d" % colour(self.back), "## QZ=T", "## HR=T", "## R=0", "##"]


def document_bytes(width, height, elements, notes="", skip_empty=True, sheet=None):
    """A document file. 'elements' are listed bottom first; the file starts with the
    topmost element, as the stack is stored. The templates leave out empty fields
    ("# LFA=T"), so a card without a fax number shows no bare "Fax". 'sheet' names the
    label product the document is printed on and its margins and distances:
    (product, (ML, MT, MR, MB, DH, DV))."""
    lines = ["Quillmark 10000", "# W=" + real(width), "# H=" + real(height)]
    layout = sheet[1] if sheet else (0, 0, 0, 0, 0, 0)
    for key, value in zip(("ML", "MT", "MR", "MB", "DH", "DV"), layout):
        lines.append("# %s=%s" % (key, real(value)))
    lines += ["# CC=1", "# PM=F", "# POP"]
    if skip_empty:
        lines.append("# LFA=T")
    if sheet:
        lines.append("# BOG=" + sheet[0])
    lines += ["# NTZ=" + notes, ""]
    for e in reversed(elements):
        lines += e.lines()
    return text_bytes(lines)
