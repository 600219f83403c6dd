#include "metafileplayer.h"

#include "emfplayer.h"
#include "gdiplayer.h"
#include "metafileformat.h"
#include "wmfplayer.h"

#include <atomic>
#include <cmath>

namespace {

std::atomic<qint64> g_maxRecords{0};
std::atomic<bool> g_fewFonts{false};

// Maps the rectangle `from` (device space of the metafile) onto `to`; either may have
// negative sizes, which mirrors.
QTransform rectToRect(const QRectF& from, const QRectF& to) {
    double sx = to.width() / from.width();
    double sy = to.height() / from.height();
    return QTransform::fromTranslate(-from.x(), -from.y()) * QTransform::fromScale(sx, sy) *
           QTransform::fromTranslate(to.x(), to.y());
}

bool usable(const QRectF& r) {
    return std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width()) &&
           std::isfinite(r.height()) && r.width() != 0 && r.height() != 0;
}

// The EMF's frame in the device units of its reference device.
QRectF emfDeviceFrame(ByteReader h, double& devPerMmX, double& devPerMmY) {
    double devX = qint32(h.peekU32(72)), devY = qint32(h.peekU32(76));
    double mmX = qint32(h.peekU32(80)), mmY = qint32(h.peekU32(84));
    devPerMmX = devX > 0 && mmX > 0 ? devX / mmX : 96 / 25.4;
    devPerMmY = devY > 0 && mmY > 0 ? devY / mmY : 96 / 25.4;
    double fl = qint32(h.peekU32(24)), ft = qint32(h.peekU32(28));
    double fr = qint32(h.peekU32(32)), fb = qint32(h.peekU32(36));
    QRectF frame(QPointF(fl * devPerMmX / 100, ft * devPerMmY / 100),
                 QPointF(fr * devPerMmX / 100, fb * devPerMmY / 100));
    double bl = qint32(h.peekU32(8)), bt = qint32(h.peekU32(12));
    double br = qint32(h.peekU32(16)), bb = qint32(h.peekU32(20));
    QRectF bounds(QPointF(bl, bt), QPointF(br + 1, bb + 1));
    if (!usable(frame))
        return bounds; // no frame: the bounds (inclusive device pixels) stand in
    // Some writers put the drawing beside the frame they declare; then the bounds of what
    // was drawn say better where the picture lies.
    QRectF f = frame.normalized(), b = bounds.normalized();
    // The frame in 0.01 mm only approximates whole pixels; where the recorded pixel bounds
    // say the same to within a pixel they are its exact form, so a picture played at its
    // own pixel size lands pixel for pixel.
    if (bl <= br && bt <= bb && std::abs(bounds.left() - frame.left()) < 1 &&
        std::abs(bounds.top() - frame.top()) < 1 && std::abs(bounds.right() - frame.right()) < 1 &&
        std::abs(bounds.bottom() - frame.bottom()) < 1)
        return bounds;
    if (bl <= br && bt <= bb && b.width() > 1 && b.height() > 1) {
        QRectF common = f.intersected(b);
        double area = common.isValid() ? common.width() * common.height() : 0;
        if (area < 0.5 * b.width() * b.height())
            return QRectF(b.topLeft(), QSizeF(f.width(), f.height()));
    }
    return frame;
}

} // namespace

void TMetafilePlayer::SetMaxRecords(qint64 records) {
    g_maxRecords.store(std::max<qint64>(0, records), std::memory_order_relaxed);
}

qint64 TMetafilePlayer::MaxRecords() {
    return g_maxRecords.load(std::memory_order_relaxed);
}

void TMetafilePlayer::SetFewFonts(bool few) {
    g_fewFonts.store(few, std::memory_order_relaxed);
}

bool TMetafilePlayer::FewFonts() {
    return g_fewFonts.load(std::memory_order_relaxed);
}

void TMetafilePlayer::Play(const TMetafile& mf, QPainter& painter, const QRectF& dest,
                           const TMetafilePlayOptions& options) {
    if (!mf.Valid() || !mf.m_layout || !usable(dest) || !painter.isActive())
        return;
    const mf::Layout& l = *mf.m_layout;
    if (!l.emf.isEmpty()) {
        ByteReader emf(l.emf);
        double pxX = 0, pxY = 0;
        QRectF frame = emfDeviceFrame(emf, pxX, pxY);
        if (!usable(frame))
            return;
        mf::GdiPlayer g(painter, rectToRect(frame, dest), options);
        g.devPerMmX = pxX;
        g.devPerMmY = pxY;
        g.minPenWidth = 1;
        mf::PlayEmfRecords(g, emf);
        return;
    }
    if (!usable(l.wmfFrame))
        return;
    mf::GdiPlayer g(painter, rectToRect(l.wmfFrame, dest), options);
    g.devPerMmX = g.devPerMmY = l.wmfUnitsPerInch / 25.4;
    // As when an application plays a WMF into a rectangle: anisotropic mapping whose
    // window the WMF sets and whose viewport is the picture's rectangle.
    g.dc.mapMode = mf::MM_ANISOTROPIC;
    g.dc.windowOrg = l.wmfWindowOrg;
    g.dc.windowExt = l.wmfWindowExt;
    g.dc.viewportOrg = l.wmfViewportOrg;
    g.dc.viewportExt = l.wmfViewportExt;
    mf::PlayWmfRecords(g, ByteReader(mf.m_bytes), l.wmfOffset);
}
