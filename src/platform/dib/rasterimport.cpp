#include "platform/dib/rasterimport.h"

#include "platform/dib/decoders.h"
#include "platform/metafile/tmetafilecanvas.h"

#include <QFileInfo>
#include <QImage>
#include <QPainter>

TRasterKind RasterKindOfName(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("bmp"))
        return TRasterKind::Bmp;
    if (suffix == QLatin1String("gif"))
        return TRasterKind::Gif;
    if (suffix == QLatin1String("tif") || suffix == QLatin1String("tiff"))
        return TRasterKind::Tiff;
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        return TRasterKind::Jpeg;
    return TRasterKind::Unknown;
}

TRasterKind RasterKindOfBytes(const uint8_t* d, size_t size) {
    if (size >= 2 && d[0] == 'B' && d[1] == 'M')
        return TRasterKind::Bmp;
    if (size >= 4 && d[0] == 'G' && d[1] == 'I' && d[2] == 'F' && d[3] == '8')
        return TRasterKind::Gif;
    // Classic and big TIFF in both byte orders.
    if (size >= 4 && ((d[0] == 'I' && d[1] == 'I' && (d[2] == 42 || d[2] == 43) && d[3] == 0) ||
                      (d[0] == 'M' && d[1] == 'M' && d[2] == 0 && (d[3] == 42 || d[3] == 43))))
        return TRasterKind::Tiff;
    if (size >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF)
        return TRasterKind::Jpeg;
    return TRasterKind::Unknown;
}

HDIB DecodeRasterBytes(const uint8_t* data, size_t size, TRasterKind hint,
                       const QString& fileName) {
    TRasterKind kind = RasterKindOfBytes(data, size);
    if (kind == TRasterKind::Unknown)
        kind = hint;
    switch (kind) {
    case TRasterKind::Bmp:
        return DecodeBmp(data, size, fileName);
    case TRasterKind::Gif:
        return DecodeGif(data, size, fileName);
    case TRasterKind::Tiff:
        return DecodeTiff(data, size, fileName);
    case TRasterKind::Jpeg:
        return DecodeJpeg(data, size, fileName);
    case TRasterKind::Unknown:
        break;
    }
    throw TRasterError(fileName, QStringLiteral("Das Bildformat ist unbekannt (erwartet werden "
                                                "BMP, GIF, TIFF oder JPEG)."));
}

HDIB LoadRasterPicture(const QString& fileName) {
    TRasterFileData file(fileName);
    return DecodeRasterBytes(file.data(), file.size(), RasterKindOfName(fileName), fileName);
}

TMetafile RecordDib(const HDIB& dib) {
    TMetafile metafile;
    const int w = GetDIBWidth(dib);
    const int h = GetDIBHeight(dib);
    if (w <= 0 || h <= 0)
        return metafile;
    metafile.SetWidth(w);
    metafile.SetHeight(h);
    TMetafileCanvas canvas(metafile);
    if (dib->BitCount() == 24) {
        canvas.StretchDIBits(0, 0, w, h, 0, 0, w, h, dib->Packed());
    } else {
        // Palette pictures are drawn into a 24-bit bitmap first, which is then recorded.
        QImage bitmap(w, h, QImage::Format_RGB888);
        if (bitmap.isNull())
            throw TRasterError(QString(), QStringLiteral("Nicht genug Speicher für das Bild."));
        bitmap.fill(Qt::white);
        {
            QPainter painter(&bitmap);
            DrawDIB(painter, dib, CreateDIBPalette(dib), 0, 0);
        }
        canvas.Draw(0, 0, bitmap);
    }
    canvas.Close();
    return metafile;
}

TMetafile ImportRasterPicture(const QString& fileName) {
    return RecordDib(LoadRasterPicture(fileName));
}
