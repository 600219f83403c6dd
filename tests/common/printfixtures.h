#pragma once
// What the printing tests share: a black square picture, documents built from it, an A4 PDF
// printer without unprintable border, and the words of a printed PDF with their positions.

#include "document/appdocument.h"
#include "document/docelement.h"
#include "ui/globals.h"
#include "metafile/emfpaintdevice.h"
#include "printing/printeroutput.h"
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace printfix {

// A 100 x 100 picture, black all over.
inline TMetafile BlackSquare() {
    TMetafile mf;
    TEmfPaintDevice dev(mf, QSize(100, 100));
    {
        QPainter p(&dev);
        p.fillRect(0, 0, 100, 100, Qt::black);
    }
    dev.Close();
    return mf;
}

// A black picture element of the side at (left, top), size x size mm.
inline TDocElementWMF* AddSquare(TAppDocument& doc, double left, double top, int side,
                                 double size = 10) {
    auto* e = doc.AddGraphic(BlackSquare(), 0, nullptr, side);
    e->Left = left;
    e->Top = top;
    e->Width = size;
    e->Height = size;
    return e;
}

// A text element of the side across the whole sheet width, centred, filled from macro.
inline TDocElementTXT* AddCentredText(TAppDocument& doc, double top, int side,
                                      const QString& macro) {
    auto* e = doc.AddText(macro, side);
    e->MacroText = macro;
    e->Text = macro;
    e->Left = 0;
    e->Top = top;
    e->Width = doc.PageWidth;
    e->Height = 8;
    e->AlignH = 1;
    e->FontSize = 120;
    return e;
}

// An A4 PDF printer writing into a temporary folder.
struct PdfA4 {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("karte.pdf"));
    QPrinter printer{QPrinter::HighResolution};
    explicit PdfA4(bool landscape = false, int dpi = 300) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                          landscape ? QPageLayout::Landscape
                                                    : QPageLayout::Portrait,
                                          QMarginsF(0, 0, 0, 0)));
        printer.setResolution(dpi);
    }
    QString back() const { return BackSideFileName(file); }
};

// A word of a PDF page with its box in mm from the page's top left corner.
struct Word {
    int page = 0;
    QString text;
    QRectF box;
};

// Every word of the PDF, as pdftotext -bbox finds it.
inline QList<Word> Words(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    p.waitForFinished(60000);
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    QList<Word> words;
    static const QRegularExpression pageOrWord(
        QStringLiteral("<page |<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" "
                       "yMax=\"([0-9.]+)\">([^<]*)</word>"));
    int page = -1;
    constexpr double mm = 25.4 / 72;
    for (auto it = pageOrWord.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(0).startsWith(QStringLiteral("<page"))) {
            ++page;
            continue;
        }
        Word w;
        w.page = page;
        w.text = m.captured(5);
        w.box = QRectF(QPointF(m.captured(1).toDouble() * mm, m.captured(2).toDouble() * mm),
                       QPointF(m.captured(3).toDouble() * mm, m.captured(4).toDouble() * mm));
        words << w;
    }
    return words;
}

} // namespace printfix
