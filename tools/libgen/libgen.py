#!/usr/bin/env python3
"""Writes the bundled libraries of Quillmark: templates (.qmk) and their list files
under Template/, cliparts (.qmg path lists, .wmf metafiles, .bmp pictures) and their
list files under Clipart/, and the sample address file adressen.dat.

    python3 tools/libgen/libgen.py [OUTPUT_DIR]        default: data/ of the repository
    python3 tools/libgen/libgen.py --catalogue         prints the catalogue sections
    python3 tools/libgen/libgen.py --preview DIR       SVG previews of every template side

The output depends on nothing but this program, so running it again gives the same
bytes; the repository keeps the output in data/ and a test checks that it is current.
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import art  # noqa: E402
import bitmaps  # noqa: E402
import scenes  # noqa: E402
import templates  # noqa: E402
from writers import bmp_bytes, document_bytes, qmg_lines, text_bytes, wmf_bytes  # noqa: E402

# (title, list file, folder, type, [(heading, [(name, label, make)])])
CLIPART_LIBRARIES = [
    ("Symbole", "Symbole.lst", "Symbole", "qmg",
     [("Kommunikation", [e for e in art.SYMBOLS if e[0] in
                         ("telefon", "handy", "brief", "email", "globus", "haus", "uhr", "pfeil",
                          "haken")]),
      ("Natur und Feste", [e for e in art.SYMBOLS if e[0] not in
                           ("telefon", "handy", "brief", "email", "globus", "haus", "uhr",
                            "pfeil", "haken")])]),
    ("Rahmen und Ornamente", "Ornamente.lst", "Ornamente", "qmg",
     [("Rahmen", [e for e in art.ORNAMENTS if e[0].startswith("rahmen")]),
      ("Ornamente und Linien", [e for e in art.ORNAMENTS if not e[0].startswith("rahmen")])]),
    ("Illustrationen", "Illustrationen.lst", "Illustrationen", "wmf",
     [("Anlässe", scenes.ILLUSTRATIONS[1:8]),
      ("Motive", scenes.ILLUSTRATIONS[0:1] + scenes.ILLUSTRATIONS[8:])]),
    ("Hintergründe", "Hintergruende.lst", "Hintergruende", "bmp",
     [("Farbverläufe", bitmaps.BITMAPS[0:7]), ("Strukturen", bitmaps.BITMAPS[7:12]),
      ("Muster", bitmaps.BITMAPS[12:])]),
]

ADDRESS_HEADER = ["Set", "Firma 1", "Firma 2", "Zusatz 1", "Zusatz 2", "Straße", "PLZ", "Ort",
                  "Tel", "Fax", "Tel privat", "Fax privat", "Mobil", "EMail", "URL", "Bank 1",
                  "BLZ 1", "Konto 1", "Bank 2", "BLZ 2", "Konto 2", "Titel", "Vorname", "Name"]
ADDRESSES = [
    ["Sonnenfeld Design", "Sonnenfeld Design GmbH", "Grafik & Kommunikation",
     "Atelier am Marktplatz", "Geschäftsführerin", "Lindenallee 12", "34567", "Musterstadt",
     "0123 456780", "0123 456789", "0123 998877", "", "0170 1234567",
     "info@sonnenfeld-design.example", "www.sonnenfeld-design.example",
     "Musterbank Musterstadt", "123 456 78", "1234567890", "Beispiel-Sparkasse", "876 543 21",
     "9876543210", "Dipl.-Des.", "Anna", "Sonnenfeld"],
    ["Privat", "", "", "", "", "Am Birkenhang 5", "98765", "Beispielhausen", "", "",
     "0987 654321", "0987 654322", "0151 7654321", "peter.beispiel@post.example", "",
     "Beispielbank", "111 222 33", "5550001111", "", "", "", "", "Peter", "Beispiel"],
    ["Verein", "Gesangverein Harmonie e. V.", "seit 1921", "Chor und Kammerchor",
     "Vorsitzender", "Schulstraße 3", "12345", "Liederbach", "01234 5678", "01234 5679", "",
     "", "0160 5551234", "vorstand@harmonie-liederbach.example",
     "www.harmonie-liederbach.example", "Volksbank Liederbach", "500 600 70", "4711000815",
     "", "", "", "Dr.", "Klaus", "Mustermann"],
]


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def clipart_bytes(kind, make):
    if kind == "qmg":
        return text_bytes(qmg_lines(make()))
    if kind == "wmf":
        return wmf_bytes(make())
    return bmp_bytes(bitmaps.W, bitmaps.H, make)


def generate(out):
    for title, listfile, folder, groups in templates.libraries():
        lines = []
        for heading, entries in groups:
            lines.append(heading)
            for name, label, sheet in entries:
                lines.append("#%s:%s" % (name, label))
                write(os.path.join(out, "Template", folder, name + ".qmk"),
                      document_bytes(sheet.width, sheet.height, sheet.elements,
                                     sheet=templates.PRODUCT_SHEETS.get(name)))
        write(os.path.join(out, "Template", listfile), text_bytes(lines))
    for title, listfile, folder, kind, groups in CLIPART_LIBRARIES:
        lines = []
        for heading, entries in groups:
            lines.append(heading)
            for name, label, make in entries:
                lines.append("#%s:%s" % (name, label))
                write(os.path.join(out, "Clipart", folder, name + "." + kind),
                      clipart_bytes(kind, make))
        write(os.path.join(out, "Clipart", listfile), text_bytes(lines))
    write(os.path.join(out, "adressen.dat"),
          text_bytes(["\t".join(ADDRESS_HEADER)] + ["\t".join(r) for r in ADDRESSES]))


def catalogue():
    lines = ["templates"]
    for title, listfile, folder, groups in templates.libraries():
        lines += ["#Title:" + title, "#Bib:" + listfile, "#Dir:" + folder, "#Type:qmk"]
    lines += ["#", "cliparts"]
    for title, listfile, folder, kind, groups in CLIPART_LIBRARIES:
        lines += ["#Title:" + title, "#Bib:" + listfile, "#Dir:" + folder, "#Type:" + kind]
    lines.append("#")
    return lines


def previews(out):
    import preview
    os.makedirs(out, exist_ok=True)
    for title, listfile, folder, groups in templates.libraries():
        for heading, entries in groups:
            for name, label, sheet in entries:
                for side in (0, 1):
                    if any(e.side == side for e in sheet.elements):
                        with open(os.path.join(out, "%s_%d.svg" % (name, side)), "w") as f:
                            f.write(preview.document_svg(sheet.width, sheet.height,
                                                         sheet.elements, side))


def main(argv):
    if len(argv) > 1 and argv[1] == "--catalogue":
        sys.stdout.write("\n".join(catalogue()) + "\n")
    elif len(argv) > 2 and argv[1] == "--preview":
        previews(argv[2])
    else:
        here = os.path.dirname(os.path.abspath(__file__))
        generate(argv[1] if len(argv) > 1 else os.path.join(here, "..", "..", "data"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
