#pragma once
// What the tests of label and card products share: five products of the installed glabels-data
// catalogue with their label positions as the catalogue's XML writes them (converted here, not
// by the program), a document of a label's size with corner marks, and a small catalogue
// folder written on the spot for the reader's own cases.

#include "document/appdocument.h"
#include "printing/labelproducts.h"
#include "common/printfixtures.h"
#include <QDir>
#include <QFile>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <vector>

namespace labelsheets {

constexpr double Pt = 25.4 / 72;
constexpr double In = 25.4;

struct Sheet {
    QString name;     // as the catalogue writes maker and part
    QSizeF paper;     // mm, as laid out
    int columns, rows;
    double x0, y0, dx, dy; // mm
    QSizeF label;          // mm (bounding square for round labels)

    QRectF Label(int column, int row) const {
        return QRectF(x0 + column * dx, y0 + row * dy, label.width(), label.height());
    }
};

// 2 x 5 business cards, 3 x 8 labels, two CD labels, a landscape sheet of round labels and
// US Letter labels whose horizontal pitch differs from the vertical one.
inline std::vector<Sheet> FiveSheets() {
    return {
        {QStringLiteral("Avery C32011-10"), {210, 297}, 2, 5, 15, 13.5, 95, 54, {85, 54}},
        {QStringLiteral("Herma 4614"), {210, 297}, 3, 8, 16.1575 * Pt, 36.8504 * Pt,
         187.086 * Pt, 95.811 * Pt, {187.086 * Pt, 95.811 * Pt}},
        {QStringLiteral("Zweckform 6015"), {210, 297}, 1, 2, 131.811 * Pt, 60.746 * Pt, 0,
         388.346 * Pt, {2 * 165.827 * Pt, 2 * 165.827 * Pt}},
        {QStringLiteral("JAC F-32"), {323, 222.25}, 9, 6, 6, 10, 34.375, 34.85, {32, 32}},
        {QStringLiteral("Worldlabel WL-875"), {8.5 * In, 11 * In}, 3, 10, 0.1875 * In, 0.5 * In,
         2.75 * In, 1 * In, {2.625 * In, 1 * In}},
    };
}

inline Sheet SheetNamed(const QString& name) {
    for (const Sheet& s : FiveSheets()) {
        if (s.name == name)
            return s;
    }
    return {};
}

// A document of the given size with a 2 mm black square 1 mm inside its top left and bottom
// right corners: its ink spans (1, 1) to (w - 1, h - 1).
inline void MarkCorners(TAppDocument& doc, double width, double height) {
    doc.PageWidth = width;
    doc.PageHeight = height;
    printfix::AddSquare(doc, 1, 1, 0, 2);
    printfix::AddSquare(doc, width - 3, height - 3, 0, 2);
}

inline bool Installed() {
    return !TLabelCatalogue::Installed().IsEmpty();
}

// Writes a catalogue folder: paper-sizes.xml with A4 and the given templates file.
inline QString WriteCatalogue(const QString& folder, const QByteArray& templates) {
    QDir().mkpath(folder);
    QFile papers(QDir(folder).filePath(QStringLiteral("paper-sizes.xml")));
    papers.open(QIODevice::WriteOnly);
    papers.write("<?xml version=\"1.0\"?>\n<Glabels-paper-sizes>\n"
                 "  <Paper-size id=\"A4\" _name=\"A4\" width=\"210mm\" height=\"297mm\"/>\n"
                 "  <Paper-size id=\"US-Letter\" _name=\"US Letter\" width=\"8.5in\" "
                 "height=\"11in\"/>\n</Glabels-paper-sizes>\n");
    QFile t(QDir(folder).filePath(QStringLiteral("test-templates.xml")));
    t.open(QIODevice::WriteOnly);
    t.write("<?xml version=\"1.0\"?>\n<Glabels-templates>\n" + templates +
            "\n</Glabels-templates>\n");
    return folder;
}

} // namespace labelsheets
