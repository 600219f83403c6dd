#pragma once
// Shared set-up of the metafile fuzz targets: a GUI application for fonts, created once before
// the first input, and a playback into small pictures. Each target includes this header once.

#include "platform/dib/dib.h"
#include "platform/metafile/metafileinfo.h"
#include "platform/metafile/metafileplayer.h"
#include "platform/metafile/tmetafile.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstddef>
#include <cstdint>

namespace mffuzz {

inline constexpr int64_t FuzzMaxPixels = int64_t(1) << 16;

inline void CreateApp() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
    // The font database is built once here, not while the first input is played.
    QImage img(8, 8, QImage::Format_RGB32);
    QPainter p(&img);
    p.drawText(QPointF(1, 7), QStringLiteral("A"));
}

inline void PlaySmall(const TMetafile& mf) {
    QImage img(48, 48, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    TMetafilePlayStats stats;
    TMetafilePlayOptions opts;
    opts.stats = &stats;
    TMetafilePlayer::Play(mf, p, QRectF(0, 0, 48, 48), opts);
    TMetafilePlayer::Play(mf, p, QRectF(48, 2, -40, 44), opts); // mirrored
    mf.Play(p, QRect(QPoint(1, 1), QPoint(3, 3)));
}

inline QByteArray Bytes(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

} // namespace mffuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    mffuzz::CreateApp();
#ifdef QM_FUZZING_ENGINE
    // A bitmap header of a few bytes can claim tens of megapixels that playing would fill
    // for every input; while fuzzing, pictures and bitmaps stay within 65,536 pixels.
    RasterLimits::SetMaxPixels(mffuzz::FuzzMaxPixels);
#endif
    return 0;
}
