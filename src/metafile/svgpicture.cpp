#include "svgpicture.h"

#include "emfpaintdevice.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <cmath>
#include <zlib.h>

namespace {

// A drawing file is text of modest size; these keep a damaged or hostile one in bounds.
constexpr qint64 MaxSvgBytes = 64 * 1024 * 1024;
// A picture of at most 10 m in each direction, at least 0.01 mm.
constexpr double MaxSvgSize = 1'000'000;
// The drawing is recorded at four times the reference resolution, so curves and thin lines
// keep their shape when the picture is printed large.
constexpr double RecordDpi = 4 * 96;

TMetafileError svgError(const QString& fileName, const QString& reason) {
    if (fileName.isEmpty())
        return TMetafileError(
            QStringLiteral("Die SVG-Zeichnung kann nicht gelesen werden: %1").arg(reason));
    return TMetafileError(QStringLiteral("Die SVG-Datei „%1“ kann nicht gelesen werden: %2")
                              .arg(QDir::toNativeSeparators(fileName), reason));
}

bool isGzip(const QByteArray& b) {
    return b.size() >= 2 && uchar(b[0]) == 0x1F && uchar(b[1]) == 0x8B;
}

// Inflates gzip bytes, refusing more than MaxSvgBytes of output.
QByteArray gunzip(const QByteArray& in, const QString& fileName) {
    z_stream z{};
    if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK)
        throw svgError(fileName, QStringLiteral("Der Entpacker lässt sich nicht starten."));
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.constData()));
    z.avail_in = uInt(in.size());
    QByteArray out;
    char chunk[65536];
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        z.next_out = reinterpret_cast<Bytef*>(chunk);
        z.avail_out = sizeof chunk;
        rc = inflate(&z, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) {
            inflateEnd(&z);
            throw svgError(fileName, QStringLiteral("Die gepackten Daten sind beschädigt."));
        }
        out.append(chunk, qsizetype(sizeof chunk - z.avail_out));
        if (out.size() > MaxSvgBytes) {
            inflateEnd(&z);
            throw svgError(fileName, QStringLiteral("Die entpackte Zeichnung ist zu groß."));
        }
        if (rc == Z_OK && z.avail_in == 0 && z.avail_out != 0) {
            inflateEnd(&z);
            throw svgError(fileName, QStringLiteral("Die gepackten Daten sind unvollständig."));
        }
    }
    inflateEnd(&z);
    return out;
}

// A length in 0.01 mm; px (or no unit) counts 96 to the inch as in CSS. -1 for what has
// no physical size (%, em, ex) or does not parse.
double lengthIn001Mm(const QString& text) {
    static const QRegularExpression form(QStringLiteral(
        "^\\s*([+]?(?:\\d+\\.?\\d*|\\.\\d+)(?:[eE][+-]?\\d+)?)\\s*([a-zA-Z%]*)\\s*$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return -1;
    const double v = m.captured(1).toDouble();
    const QString unit = m.captured(2).toLower();
    if (unit.isEmpty() || unit == QLatin1String("px"))
        return v * 2540 / 96;
    if (unit == QLatin1String("in"))
        return v * 2540;
    if (unit == QLatin1String("cm"))
        return v * 1000;
    if (unit == QLatin1String("mm"))
        return v * 100;
    if (unit == QLatin1String("pt"))
        return v * 2540 / 72;
    if (unit == QLatin1String("pc"))
        return v * 2540 / 6;
    return -1;
}

bool usableSize(double w, double h) {
    return std::isfinite(w) && std::isfinite(h) && w >= 1 && h >= 1 && w <= MaxSvgSize &&
           h <= MaxSvgSize;
}

bool isDataUri(QStringView href) {
    return href.trimmed().startsWith(QLatin1String("data:"), Qt::CaseInsensitive);
}

// The drawing without pictures it would fetch from elsewhere: an <image> whose reference is
// not a data: URI would make Qt SVG read any file the drawing names (in the user's home, for
// instance) into the document. Such elements are left out with their content.
QByteArray withoutOutsidePictures(const QByteArray& svg, const QString& fileName) {
    QXmlStreamReader in(svg);
    QByteArray out;
    QXmlStreamWriter writer(&out);
    bool dropped = false;
    bool rootClosed = false;
    int depth = 0;
    while (!in.atEnd()) {
        const QXmlStreamReader::TokenType token = in.readNext();
        if (token == QXmlStreamReader::Invalid)
            break;
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            if (in.name() == QLatin1String("image")) {
                const QXmlStreamAttributes a = in.attributes();
                QStringView href = a.value(QLatin1String("http://www.w3.org/1999/xlink"),
                                           QLatin1String("href"));
                if (href.isEmpty())
                    href = a.value(QLatin1String("href"));
                if (!isDataUri(href)) {
                    in.skipCurrentElement();
                    --depth;
                    dropped = true;
                    continue;
                }
            }
        } else if (token == QXmlStreamReader::EndElement) {
            rootClosed = --depth == 0;
        }
        writer.writeCurrentToken(in);
    }
    if (in.hasError() && !rootClosed)
        throw svgError(fileName, QStringLiteral("Die Datei ist keine gültige SVG-Zeichnung "
                                                "(%1).")
                                     .arg(in.errorString()));
    // Untouched drawings go to Qt SVG as they are.
    return dropped ? out : svg;
}

} // namespace

bool SvgPhysicalSize(const QByteArray& svg, int& mmWidth, int& mmHeight) {
    QXmlStreamReader xml(svg);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() != QLatin1String("svg"))
            return false;
        const QXmlStreamAttributes a = xml.attributes();
        double w = -1, h = -1;
        if (a.hasAttribute(QLatin1String("width")))
            w = lengthIn001Mm(a.value(QLatin1String("width")).toString());
        if (a.hasAttribute(QLatin1String("height")))
            h = lengthIn001Mm(a.value(QLatin1String("height")).toString());
        // Without a physical width or height, the viewBox counts in px; one given side
        // keeps the viewBox's proportions.
        const QStringList box =
            a.value(QLatin1String("viewBox"))
                .toString()
                .split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts);
        double bw = -1, bh = -1;
        if (box.size() == 4) {
            bool okW = false, okH = false;
            bw = box[2].toDouble(&okW);
            bh = box[3].toDouble(&okH);
            if (!okW || !okH || !(bw > 0) || !(bh > 0))
                bw = bh = -1;
        }
        if (w <= 0 && h > 0 && bw > 0)
            w = h * bw / bh;
        else if (h <= 0 && w > 0 && bw > 0)
            h = w * bh / bw;
        else if (w <= 0 && h <= 0 && bw > 0) {
            w = bw * 2540 / 96;
            h = bh * 2540 / 96;
        }
        if (!usableSize(w, h))
            return false;
        mmWidth = int(std::lround(w));
        mmHeight = int(std::lround(h));
        return true;
    }
    return false;
}

TMetafile RecordSvg(const QByteArray& bytes, const QString& fileName) {
    const QByteArray unpacked = isGzip(bytes) ? gunzip(bytes, fileName) : bytes;
    if (unpacked.trimmed().isEmpty())
        throw svgError(fileName, QStringLiteral("Die Datei ist leer."));
    const QByteArray svg = withoutOutsidePictures(unpacked, fileName);
    QSvgRenderer renderer;
    if (!renderer.load(svg) || !renderer.isValid())
        throw svgError(fileName, QStringLiteral("Die Datei ist keine gültige SVG-Zeichnung "
                                                "(oder nutzt nicht unterstützte Elemente)."));
    int mmW = 0, mmH = 0;
    if (!SvgPhysicalSize(svg, mmW, mmH)) {
        // Qt's own idea of the size, in px.
        const QSizeF px = renderer.viewBoxF().size();
        const double w = px.width() * 2540 / 96, h = px.height() * 2540 / 96;
        if (!usableSize(w, h))
            throw svgError(fileName, QStringLiteral("Die Zeichnung nennt keine brauchbare "
                                                    "Größe (höchstens 10 m je Seite)."));
        mmW = int(std::lround(w));
        mmH = int(std::lround(h));
    }
    TMetafile metafile;
    metafile.SetMMWidth(mmW);
    metafile.SetMMHeight(mmH);
    const QSize device(std::max(1, int(std::ceil(mmW * RecordDpi / 2540))),
                       std::max(1, int(std::ceil(mmH * RecordDpi / 2540))));
    {
        TEmfPaintDevice recorder(metafile, device, RecordDpi);
        QPainter painter(&recorder);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(device)));
        painter.end();
        recorder.Close();
    }
    metafile.SetEnhanced(true);
    return metafile;
}

TMetafile ImportSvgPicture(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw svgError(
            fileName,
            QStringLiteral("Die Datei lässt sich nicht öffnen (%1).").arg(file.errorString()));
    if (file.size() > MaxSvgBytes)
        throw svgError(fileName, QStringLiteral("Die Datei ist zu groß."));
    return RecordSvg(file.read(MaxSvgBytes + 1), fileName);
}
