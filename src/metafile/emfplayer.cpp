#include "emfplayer.h"

#include <array>

namespace mf {

namespace {

constexpr int kTypeCount = 123;

const char* const kNames[kTypeCount] = {
    nullptr, "EMR_HEADER", "EMR_POLYBEZIER", "EMR_POLYGON", "EMR_POLYLINE", "EMR_POLYBEZIERTO",
    "EMR_POLYLINETO", "EMR_POLYPOLYLINE", "EMR_POLYPOLYGON", "EMR_SETWINDOWEXTEX",
    "EMR_SETWINDOWORGEX", "EMR_SETVIEWPORTEXTEX", "EMR_SETVIEWPORTORGEX", "EMR_SETBRUSHORGEX",
    "EMR_EOF", "EMR_SETPIXELV", "EMR_SETMAPPERFLAGS", "EMR_SETMAPMODE", "EMR_SETBKMODE",
    "EMR_SETPOLYFILLMODE", "EMR_SETROP2", "EMR_SETSTRETCHBLTMODE", "EMR_SETTEXTALIGN",
    "EMR_SETCOLORADJUSTMENT", "EMR_SETTEXTCOLOR", "EMR_SETBKCOLOR", "EMR_OFFSETCLIPRGN",
    "EMR_MOVETOEX", "EMR_SETMETARGN", "EMR_EXCLUDECLIPRECT", "EMR_INTERSECTCLIPRECT",
    "EMR_SCALEVIEWPORTEXTEX", "EMR_SCALEWINDOWEXTEX", "EMR_SAVEDC", "EMR_RESTOREDC",
    "EMR_SETWORLDTRANSFORM", "EMR_MODIFYWORLDTRANSFORM", "EMR_SELECTOBJECT", "EMR_CREATEPEN",
    "EMR_CREATEBRUSHINDIRECT", "EMR_DELETEOBJECT", "EMR_ANGLEARC", "EMR_ELLIPSE",
    "EMR_RECTANGLE", "EMR_ROUNDRECT", "EMR_ARC", "EMR_CHORD", "EMR_PIE", "EMR_SELECTPALETTE",
    "EMR_CREATEPALETTE", "EMR_SETPALETTEENTRIES", "EMR_RESIZEPALETTE", "EMR_REALIZEPALETTE",
    "EMR_EXTFLOODFILL", "EMR_LINETO", "EMR_ARCTO", "EMR_POLYDRAW", "EMR_SETARCDIRECTION",
    "EMR_SETMITERLIMIT", "EMR_BEGINPATH", "EMR_ENDPATH", "EMR_CLOSEFIGURE", "EMR_FILLPATH",
    "EMR_STROKEANDFILLPATH", "EMR_STROKEPATH", "EMR_FLATTENPATH", "EMR_WIDENPATH",
    "EMR_SELECTCLIPPATH", "EMR_ABORTPATH", nullptr, "EMR_GDICOMMENT", "EMR_FILLRGN",
    "EMR_FRAMERGN", "EMR_INVERTRGN", "EMR_PAINTRGN", "EMR_EXTSELECTCLIPRGN", "EMR_BITBLT",
    "EMR_STRETCHBLT", "EMR_MASKBLT", "EMR_PLGBLT", "EMR_SETDIBITSTODEVICE", "EMR_STRETCHDIBITS",
    "EMR_EXTCREATEFONTINDIRECTW", "EMR_EXTTEXTOUTA", "EMR_EXTTEXTOUTW", "EMR_POLYBEZIER16",
    "EMR_POLYGON16", "EMR_POLYLINE16", "EMR_POLYBEZIERTO16", "EMR_POLYLINETO16",
    "EMR_POLYPOLYLINE16", "EMR_POLYPOLYGON16", "EMR_POLYDRAW16", "EMR_CREATEMONOBRUSH",
    "EMR_CREATEDIBPATTERNBRUSHPT", "EMR_EXTCREATEPEN", "EMR_POLYTEXTOUTA", "EMR_POLYTEXTOUTW",
    "EMR_SETICMMODE", "EMR_CREATECOLORSPACE", "EMR_SETCOLORSPACE", "EMR_DELETECOLORSPACE",
    "EMR_GLSRECORD", "EMR_GLSBOUNDEDRECORD", "EMR_PIXELFORMAT", "EMR_DRAWESCAPE",
    "EMR_EXTESCAPE", nullptr, "EMR_SMALLTEXTOUT", "EMR_FORCEUFIMAPPING", "EMR_NAMEDESCAPE",
    "EMR_COLORCORRECTPALETTE", "EMR_SETICMPROFILEA", "EMR_SETICMPROFILEW", "EMR_ALPHABLEND",
    "EMR_SETLAYOUT", "EMR_TRANSPARENTBLT", nullptr, "EMR_GRADIENTFILL", "EMR_SETLINKEDUFIS",
    "EMR_SETTEXTJUSTIFICATION", "EMR_COLORMATCHTOTARGETW", "EMR_CREATECOLORSPACEW"};

std::array<EmfRecordType, kTypeCount> buildTable() {
    std::array<EmfRecordType, kTypeCount> t{};
    for (int i = 0; i < kTypeCount; ++i)
        t[size_t(i)] = {kNames[i], nullptr};
    RegisterEmfDrawHandlers(t.data());
    RegisterEmfObjectHandlers(t.data());
    return t;
}

const std::array<EmfRecordType, kTypeCount>& table() {
    static const std::array<EmfRecordType, kTypeCount> t = buildTable();
    return t;
}

} // namespace

const EmfRecordType* EmfType(quint32 type) {
    if (type >= quint32(kTypeCount) || !table()[type].name)
        return nullptr;
    return &table()[type];
}

QString EmfRecordName(quint32 type) {
    const EmfRecordType* t = EmfType(type);
    return t ? QString::fromLatin1(t->name) : QStringLiteral("EMR_%1").arg(type);
}

QPolygonF ReadPoints32(ByteReader& r, quint32 count) {
    QPolygonF pts;
    if (!r.has(qint64(count) * 8)) {
        r.skip(r.remaining() + 1); // marks the reader failed
        return pts;
    }
    pts.reserve(qsizetype(count));
    for (quint32 i = 0; i < count; ++i) {
        double x = r.i32();
        double y = r.i32();
        pts << QPointF(x, y);
    }
    return pts;
}

QPolygonF ReadPoints16(ByteReader& r, quint32 count) {
    QPolygonF pts;
    if (!r.has(qint64(count) * 4)) {
        r.skip(r.remaining() + 1);
        return pts;
    }
    pts.reserve(qsizetype(count));
    for (quint32 i = 0; i < count; ++i) {
        double x = r.i16();
        double y = r.i16();
        pts << QPointF(x, y);
    }
    return pts;
}

QRectF ReadRectL(ByteReader& r) {
    double l = r.i32(), t = r.i32(), rt = r.i32(), b = r.i32();
    return QRectF(QPointF(l, t), QPointF(rt, b));
}

void PlayEmfRecords(GdiPlayer& g, ByteReader emf) {
    EmfRecordIterator it(emf);
    EmfRecord rec;
    while (!g.stopped() && it.next(rec)) {
        if (!g.countRecord())
            break;
        if (rec.type != 54 && rec.type != 27) // LINETO, MOVETOEX
            g.flushLines();
        const EmfRecordType* t = EmfType(rec.type);
        if (!t) {
            g.unsupported(EmfRecordName(rec.type));
            continue;
        }
        if (!t->handler) {
            g.unsupported(QString::fromLatin1(t->name));
            continue;
        }
        t->handler(g, rec);
    }
    g.flushLines();
    if (!it.problem().isEmpty())
        g.stop(it.problem());
}

} // namespace mf
