#pragma once
// Looking at printed PDF pages the way a user would: render them with pdftoppm (poppler) and
// measure where the ink is, in millimetres of the page.

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRectF>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>

namespace pdfink {

// 254 dpi makes one pixel a tenth of a millimetre.
constexpr int PixelsPerMm = 10;

inline bool Available() {
    return !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

// All pages of the PDF as RGB images, by default at 10 pixels per mm.
inline QList<QImage> Pages(const QString& pdf, int dpi = PixelsPerMm * 254 / 10) {
    QList<QImage> pages;
    QTemporaryDir dir;
    if (!dir.isValid())
        return pages;
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"), pdf,
             dir.filePath(QStringLiteral("p"))});
    p.waitForFinished(120000);
    QStringList files = QDir(dir.path()).entryList({QStringLiteral("p-*.png")}, QDir::Files);
    // p-1.png ... p-10.png: sort by the number, not the text.
    std::sort(files.begin(), files.end(), [](const QString& a, const QString& b) {
        return a.section('-', 1).section('.', 0, 0).toInt() <
               b.section('-', 1).section('.', 0, 0).toInt();
    });
    for (const QString& f : files)
        pages << QImage(dir.filePath(f)).convertToFormat(QImage::Format_RGB32);
    return pages;
}

inline int PageCount(const QString& pdf) {
    return int(Pages(pdf).size());
}

inline QString Text(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Bounding box, in mm, of the pixels inside regionMm for which isInk holds; empty when none.
inline QRectF InkMm(const QImage& page, const QRectF& regionMm,
                    const std::function<bool(QRgb)>& isInk) {
    const int x0 = std::max(0, int(regionMm.left() * PixelsPerMm));
    const int y0 = std::max(0, int(regionMm.top() * PixelsPerMm));
    const int x1 = std::min(page.width(), int(regionMm.right() * PixelsPerMm));
    const int y1 = std::min(page.height(), int(regionMm.bottom() * PixelsPerMm));
    int l = x1, t = y1, r = -1, b = -1;
    for (int y = y0; y < y1; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        for (int x = x0; x < x1; ++x) {
            if (isInk(row[x])) {
                l = std::min(l, x);
                r = std::max(r, x);
                t = std::min(t, y);
                b = std::max(b, y);
            }
        }
    }
    if (r < 0)
        return {};
    return QRectF(double(l) / PixelsPerMm, double(t) / PixelsPerMm, double(r + 1 - l) / PixelsPerMm,
                  double(b + 1 - t) / PixelsPerMm);
}

inline bool Dark(QRgb c) {
    return qGray(c) < 128;
}

inline QRectF DarkInkMm(const QImage& page, const QRectF& regionMm) {
    return InkMm(page, regionMm, Dark);
}

inline QRectF WholePage(const QImage& page) {
    return QRectF(0, 0, double(page.width()) / PixelsPerMm, double(page.height()) / PixelsPerMm);
}

} // namespace pdfink
