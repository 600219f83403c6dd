#include "metafileformat.h"

#include <QtMath>
#include <algorithm>
#include <cstdlib>

namespace mf {

namespace {

constexpr quint16 kMetaEof = 0x0000;
constexpr quint16 kMetaEscape = 0x0626;
constexpr quint16 kMetaSetMapMode = 0x0103;
constexpr quint16 kMetaSetWindowExt = 0x020C;
constexpr quint16 kMetaSetViewportExt = 0x020E;
[[maybe_unused]] constexpr quint16 kMetaSetWindowOrg = 0x020B;
constexpr quint16 kMfComment = 0x000F;
constexpr int kMaxEmbeddedEmf = 256 * 1024 * 1024;

// num / den rounded half away from zero and held to +-2^30. Long double, because header
// fields of 32 bits multiplied together exceed 64 bits; sizes that large are cut anyway.
int roundDiv(long double num, long double den) {
    if (den == 0)
        return 0;
    constexpr long double limit = 1 << 30;
    return int(std::clamp(std::round(num / den), -limit, limit));
}

// The EMF carried in MFCOMMENT escapes ("WMFC" chunks) of a WMF, reassembled in order.
// Returns an empty array when there is none or the chunks do not fit together.
QByteArray collectEmbeddedEmf(ByteReader whole, qsizetype wmfStart) {
    WmfRecordIterator it(whole, wmfStart);
    WmfRecord rec;
    QByteArray out;
    qint64 expected = -1;
    while (it.next(rec)) {
        if (rec.function != kMetaEscape)
            continue;
        ByteReader p = rec.params;
        quint16 escape = p.u16();
        quint16 byteCount = p.u16();
        if (escape != kMfComment || p.failed())
            continue;
        ByteReader c = p.sub(p.pos(), byteCount);
        if (c.peekU32(0) != kWmfCommentId)
            continue;
        c.skip(4);
        quint32 commentType = c.u32();
        c.u32();                     // version
        c.u16();                     // checksum
        c.u32();                     // flags
        c.u32();                     // comment record count
        quint32 chunkSize = c.u32(); // this chunk
        c.u32();                     // remaining bytes
        quint32 total = c.u32();     // size of the whole EMF
        if (c.failed() || commentType != 1)
            continue;
        if (expected < 0) {
            if (total == 0 || total > quint32(kMaxEmbeddedEmf))
                return {};
            expected = total;
            out.reserve(qsizetype(total));
        } else if (qint64(total) != expected) {
            return {};
        }
        if (!c.has(chunkSize) || qint64(out.size()) + chunkSize > expected)
            return {};
        out.append(c.data() + c.pos(), qsizetype(chunkSize));
        if (out.size() == expected)
            break;
    }
    if (expected < 0 || out.size() != expected)
        return {};
    return out;
}

// A WMF without a placeable header carries no physical size. Take its window (or, in
// the free mapping modes, its viewport) in the units of its mapping mode, else the bounds
// of what it draws; logical units of MM_TEXT count as pixels of the 96-dpi reference.
void wmfSetupWithoutHeader(ByteReader whole, qsizetype wmfStart, Layout& l) {
    WmfRecordIterator it(whole, wmfStart);
    WmfRecord rec;
    int mapMode = 8;
    bool haveWinOrg = false, haveWinExt = false, haveVpExt = false, haveVpOrg = false;
    double winOrgX = 0, winOrgY = 0, winExtX = 0, winExtY = 0;
    double vpOrgX = 0, vpOrgY = 0, vpExtX = 0, vpExtY = 0;
    double minX = 1e18, minY = 1e18, maxX = -1e18, maxY = -1e18;
    auto grow = [&](double x, double y) {
        minX = qMin(minX, x), maxX = qMax(maxX, x);
        minY = qMin(minY, y), maxY = qMax(maxY, y);
    };
    // Text counts with the box of its characters: the last font's height, and an average
    // character width of six tenths of it, turned by the font's escapement.
    double fontHeight = 12, escapement = 0, charExtra = 0;
    auto growText = [&](double x, double y, int chars) {
        const double h = fontHeight, w = qMax(1, chars) * (h * 0.6 + charExtra);
        const double a = qDegreesToRadians(escapement / 10.0);
        const double c = std::cos(a), sn = -std::sin(a);
        for (QPointF corner : {QPointF(0, 0), QPointF(w, 0), QPointF(0, h), QPointF(w, h)})
            grow(x + corner.x() * c - corner.y() * sn, y + corner.x() * sn + corner.y() * c);
    };
    // A rectangle given as height, width, y, x.
    auto growHwyx = [&](ByteReader q) {
        double h = q.i16(), w = q.i16(), y = q.i16(), x = q.i16();
        if (!q.failed())
            grow(x, y), grow(x + w, y + h);
    };
    while (it.next(rec)) {
        ByteReader p = rec.params;
        switch (rec.function) {
        case kMetaSetMapMode: mapMode = p.u16(); break;
        case 0x020B: { // SETWINDOWORG
            double y = p.i16(), x = p.i16();
            if (!haveWinOrg && !p.failed())
                winOrgX = x, winOrgY = y, haveWinOrg = true;
            break;
        }
        case kMetaSetWindowExt: {
            double y = p.i16(), x = p.i16();
            if (!haveWinExt && !p.failed() && x != 0 && y != 0)
                winExtX = x, winExtY = y, haveWinExt = true;
            break;
        }
        case 0x020D: { // SETVIEWPORTORG
            double y = p.i16(), x = p.i16();
            if (!haveVpOrg && !p.failed())
                vpOrgX = x, vpOrgY = y, haveVpOrg = true;
            break;
        }
        case kMetaSetViewportExt: {
            double y = p.i16(), x = p.i16();
            if (!haveVpExt && !p.failed() && x != 0 && y != 0)
                vpExtX = x, vpExtY = y, haveVpExt = true;
            break;
        }
        case 0x0213: case 0x0214: case 0x041F: { // LINETO, MOVETO, SETPIXEL (y, x last)
            ByteReader q = p.sub(p.size() - 4, 4);
            double y = q.i16(), x = q.i16();
            if (!q.failed())
                grow(x, y);
            break;
        }
        case 0x041B: case 0x0418: case 0x061C: case 0x0817: case 0x081A: case 0x0830: {
            // RECTANGLE, ELLIPSE, ROUNDRECT, ARC, PIE, CHORD: the box is the last 4 values
            ByteReader q = p.sub(p.size() - 8, 8);
            double b = q.i16(), r = q.i16(), t = q.i16(), le = q.i16();
            if (!q.failed())
                grow(le, t), grow(r, b);
            break;
        }
        case 0x02FB: { // CREATEFONTINDIRECT
            double h = p.i16(), w = p.i16(), esc = p.i16();
            Q_UNUSED(w);
            if (!p.failed() && h != 0)
                fontHeight = std::abs(h), escapement = esc;
            break;
        }
        case 0x0108: { // SETTEXTCHAREXTRA
            const double extra = p.i16();
            if (!p.failed())
                charExtra = qMax(0.0, extra);
            break;
        }
        case 0x0521: { // TEXTOUT: count, string (even length), y, x
            int n = p.i16();
            if (n > 0) {
                p.skip((n + 1) / 2 * 2);
                double y = p.i16(), x = p.i16();
                if (!p.failed())
                    growText(x, y, n);
            }
            break;
        }
        case 0x0A32: { // EXTTEXTOUT: y, x, count, options
            double y = p.i16(), x = p.i16();
            int n = p.i16();
            if (!p.failed() && n > 0)
                growText(x, y, n);
            break;
        }
        case 0x061D: // PATBLT: rop, height, width, y, x
            growHwyx(p.sub(4, 8));
            break;
        case 0x0940: // DIBBITBLT: the destination is the 4 values after the source
            growHwyx(p.sub(p.size() == 18 ? 10 : 8, 8)); // without a bitmap: a reserved word
            break;
        case 0x0B41: // DIBSTRETCHBLT: rop, source box, then the destination
            growHwyx(p.sub(p.size() == 22 ? 14 : 12, 8));
            break;
        case 0x0F43: // STRETCHDIB: rop, usage, source box, then the destination
            growHwyx(p.sub(14, 8));
            break;
        case 0x0538: { // POLYPOLYGON: counts, then all points
            int polys = p.i16();
            qint64 total = 0;
            for (int i = 0; i < polys && p.has(2); ++i)
                total += quint16(p.u16());
            for (qint64 i = 0; i < total && p.has(4); ++i) {
                double x = p.i16(), y = p.i16();
                grow(x, y);
            }
            break;
        }
        case 0x0324: case 0x0325: { // POLYGON, POLYLINE
            int n = p.i16();
            for (int i = 0; i < n && p.has(4); ++i) {
                double x = p.i16(), y = p.i16();
                grow(x, y);
            }
            break;
        }
        default: break;
        }
    }
    double mmPerUnit = 0;
    switch (mapMode) {
    case 2: mmPerUnit = 0.1; break;
    case 3: mmPerUnit = 0.01; break;
    case 4: mmPerUnit = 0.254; break;
    case 5: mmPerUnit = 0.0254; break;
    case 6: mmPerUnit = 25.4 / 1440; break;
    default: break;
    }
    QRectF frame;
    if (mmPerUnit > 0) {
        // Fixed units, y upwards: the drawing's own bounds, measured from the window origin.
        double s = kReferenceDpi / 25.4 * mmPerUnit;
        if (maxX >= minX)
            frame = QRectF(QPointF((minX - winOrgX) * s, -(maxY - winOrgY) * s),
                           QPointF((maxX - winOrgX) * s, -(minY - winOrgY) * s));
        l.wmfWindowOrg = QPointF(winOrgX, winOrgY);
        l.wmfViewportOrg = QPointF(0, 0);
    } else {
        if (haveVpExt && (mapMode == 7 || mapMode == 8))
            frame = QRectF(vpOrgX, vpOrgY, vpExtX, vpExtY);
        else if (haveWinExt)
            frame = QRectF(winOrgX, winOrgY, winExtX, winExtY);
        else if (maxX >= minX)
            frame = QRectF(QPointF(minX, minY), QPointF(maxX, maxY));
        l.wmfWindowOrg = frame.topLeft();
        l.wmfViewportOrg = frame.topLeft();
    }
    if (frame.width() == 0 || frame.height() == 0)
        frame = QRectF(frame.x(), frame.y(), frame.width() == 0 ? 1000 : frame.width(),
                       frame.height() == 0 ? 1000 : frame.height());
    l.wmfFrame = frame;
    l.wmfWindowExt = frame.size();
    l.wmfViewportExt = frame.size();
    l.wmfUnitsPerInch = kReferenceDpi;
    l.mmWidth = roundDiv((long double)std::abs(frame.width()) * 2540, kReferenceDpi);
    l.mmHeight = roundDiv((long double)std::abs(frame.height()) * 2540, kReferenceDpi);
}

} // namespace

bool LooksLikeEmf(ByteReader r) {
    return r.size() >= 88 && r.peekU32(0) == 1 && r.peekU32(40) == kEmfSignature &&
           r.peekU32(4) >= 88;
}

bool LooksLikeWmfHeader(ByteReader r, qsizetype at) {
    if (r.size() - at < kWmfHeaderSize)
        return false;
    quint16 type = r.peekU16(at);
    quint16 headerWords = r.peekU16(at + 2);
    quint16 version = r.peekU16(at + 4);
    return (type == 1 || type == 2) && headerWords == 9 &&
           (version == 0x0100 || version == 0x0300 || version == 0x0200);
}

bool ReadEmfFrame(const QByteArray& emf, int& mmWidth, int& mmHeight) {
    ByteReader r(emf);
    if (!LooksLikeEmf(r))
        return false;
    r.seek(8);
    qint32 bl = r.i32(), bt = r.i32(), br = r.i32(), bb = r.i32();
    qint32 fl = r.i32(), ft = r.i32(), fr = r.i32(), fb = r.i32();
    qint64 w = std::llabs(qint64(fr) - fl);
    qint64 h = std::llabs(qint64(fb) - ft);
    if (w == 0 || h == 0 || w > (1 << 30) || h > (1 << 30)) {
        // No usable frame: derive it from the bounds in device pixels.
        qint32 devX = qint32(r.peekU32(72)), devY = qint32(r.peekU32(76));
        qint32 mmX = qint32(r.peekU32(80)), mmY = qint32(r.peekU32(84));
        qint64 bw = std::llabs(qint64(br) - bl) + 1, bh = std::llabs(qint64(bb) - bt) + 1;
        if (devX > 0 && devY > 0 && mmX > 0 && mmY > 0) {
            w = roundDiv((long double)bw * mmX * 100, devX);
            h = roundDiv((long double)bh * mmY * 100, devY);
        } else {
            w = roundDiv((long double)bw * 2540, kReferenceDpi);
            h = roundDiv((long double)bh * 2540, kReferenceDpi);
        }
    }
    mmWidth = int(qMin<qint64>(w, 1 << 30));
    mmHeight = int(qMin<qint64>(h, 1 << 30));
    return true;
}

Layout InspectBytes(const QByteArray& bytes) {
    Layout l;
    ByteReader r(bytes);
    if (bytes.isEmpty()) {
        l.form = TMetafile::Form::None;
        return l;
    }
    if (LooksLikeEmf(r)) {
        l.form = TMetafile::Form::Emf;
        l.emf = bytes;
        ReadEmfFrame(bytes, l.mmWidth, l.mmHeight);
        return l;
    }
    if (r.peekU32(0) == kPlaceableKey) {
        if (!LooksLikeWmfHeader(r, kPlaceableSize)) {
            l.form = TMetafile::Form::Unknown;
            l.problem = QStringLiteral("Der Kopf der WMF-Metadatei ist unvollständig oder beschädigt.");
            return l;
        }
        l.hasPlaceable = true;
        l.wmfOffset = kPlaceableSize;
        l.placeableLeft = qint16(r.peekU16(6));
        l.placeableTop = qint16(r.peekU16(8));
        l.placeableRight = qint16(r.peekU16(10));
        l.placeableBottom = qint16(r.peekU16(12));
        l.placeableInch = r.peekU16(14);
        // An inch of 0 would divide by zero; 1440 (twips) is what most writers use.
        int inch = l.placeableInch > 0 ? l.placeableInch : 1440;
        l.mmWidth = roundDiv((long double)std::abs(l.placeableRight - l.placeableLeft) * 2540, inch);
        l.mmHeight = roundDiv((long double)std::abs(l.placeableBottom - l.placeableTop) * 2540, inch);
        // The bounding box is the window the picture is played through.
        l.wmfFrame = QRectF(QPointF(l.placeableLeft, l.placeableTop),
                            QPointF(l.placeableRight, l.placeableBottom));
        l.wmfWindowOrg = l.wmfViewportOrg = l.wmfFrame.topLeft();
        l.wmfWindowExt = l.wmfViewportExt = l.wmfFrame.size();
        l.wmfUnitsPerInch = inch;
        l.form = TMetafile::Form::PlaceableWmf;
    } else if (LooksLikeWmfHeader(r, 0)) {
        l.form = TMetafile::Form::Wmf;
        l.wmfOffset = 0;
    } else {
        l.form = TMetafile::Form::Unknown;
        l.problem = QStringLiteral("Die Daten sind keine Windows-Metadatei (weder WMF noch EMF).");
        return l;
    }

    QByteArray emf = collectEmbeddedEmf(r, l.wmfOffset);
    if (!emf.isEmpty() && LooksLikeEmf(ByteReader(emf))) {
        l.emf = emf;
        l.form = TMetafile::Form::EmfInWmf;
        if (!l.hasPlaceable)
            ReadEmfFrame(emf, l.mmWidth, l.mmHeight);
    }
    if (!l.hasPlaceable) {
        int mmW = l.mmWidth, mmH = l.mmHeight;
        wmfSetupWithoutHeader(r, l.wmfOffset, l);
        if (l.form == TMetafile::Form::EmfInWmf)
            l.mmWidth = mmW, l.mmHeight = mmH;
    } else if (l.wmfFrame.width() == 0 || l.wmfFrame.height() == 0) {
        // An empty bounding box says nothing; fall back to what the records tell.
        Layout probe;
        wmfSetupWithoutHeader(r, l.wmfOffset, probe);
        l.wmfFrame = probe.wmfFrame;
        l.wmfWindowOrg = probe.wmfWindowOrg;
        l.wmfViewportOrg = probe.wmfViewportOrg;
        l.wmfWindowExt = probe.wmfWindowExt;
        l.wmfViewportExt = probe.wmfViewportExt;
        l.wmfUnitsPerInch = probe.wmfUnitsPerInch;
        if (l.mmWidth == 0 || l.mmHeight == 0)
            l.mmWidth = probe.mmWidth, l.mmHeight = probe.mmHeight;
    }
    return l;
}

WmfRecordIterator::WmfRecordIterator(ByteReader r, qsizetype start)
    : m_r(r), m_pos(start + kWmfHeaderSize), m_end(r.size()) {
    // The header's total size (in 16-bit words) may be smaller than the bytes present;
    // never trust it to be larger.
    qint64 words = r.peekU32(start + 6);
    qint64 declared = 0;
    if (words > 0 && checked::mul(words, 2, declared) && checked::add(declared, start, declared) &&
        declared < m_end && declared >= m_pos)
        m_end = declared;
}

bool WmfRecordIterator::next(WmfRecord& rec) {
    if (m_done)
        return false;
    if (m_count >= kMaxRecords) {
        m_problem = QStringLiteral("Zu viele Datensätze; der Rest wird übergangen.");
        m_done = true;
        return false;
    }
    if (m_end - m_pos < 6) {
        // A missing META_EOF is common; only stray bytes count as a problem.
        if (m_end - m_pos > 0 && m_end - m_pos != 2)
            m_problem = QStringLiteral("Die Metadatei endet mitten in einem Datensatz.");
        m_done = true;
        return false;
    }
    quint32 words = m_r.peekU32(m_pos);
    quint16 function = m_r.peekU16(m_pos + 4);
    qint64 bytes = qint64(words) * 2;
    if (words < 3 || bytes > m_end - m_pos) {
        m_problem = QStringLiteral("Ein Datensatz hat eine ungültige Größe (an Stelle %1).").arg(m_pos);
        m_done = true;
        return false;
    }
    rec.function = function;
    rec.offset = m_pos;
    rec.params = m_r.sub(m_pos + 6, bytes - 6);
    m_pos += bytes;
    ++m_count;
    if (function == kMetaEof)
        m_done = true;
    return true;
}

EmfRecordIterator::EmfRecordIterator(ByteReader r) : m_r(r), m_end(r.size()) {
    qint64 declared = r.peekU32(48);
    if (declared >= 88 && declared < m_end)
        m_end = declared;
    m_declaredRecords = r.peekU32(52);
}

bool EmfRecordIterator::next(EmfRecord& rec) {
    if (m_done)
        return false;
    if (m_count >= kMaxRecords) {
        m_problem = QStringLiteral("Zu viele Datensätze; der Rest wird übergangen.");
        m_done = true;
        return false;
    }
    if (m_end - m_pos < 8) {
        if (m_end - m_pos > 0)
            m_problem = QStringLiteral("Die Metadatei endet mitten in einem Datensatz.");
        m_done = true;
        return false;
    }
    quint32 type = m_r.peekU32(m_pos);
    qint64 size = m_r.peekU32(m_pos + 4);
    if (size < 8 || size > m_end - m_pos) {
        m_problem = QStringLiteral("Ein Datensatz hat eine ungültige Größe (an Stelle %1).").arg(m_pos);
        m_done = true;
        return false;
    }
    rec.type = type;
    rec.offset = m_pos;
    rec.whole = m_r.sub(m_pos, size);
    rec.data = m_r.sub(m_pos + 8, size - 8);
    m_pos += size;
    ++m_count;
    if (type == 14) // EMR_EOF
        m_done = true;
    return true;
}

} // namespace mf
