#include "emfwriter.h"

#include <QtEndian>
#include <cstring>

namespace emf {

RecordBody& RecordBody::u32(std::uint32_t v) {
    char b[4];
    qToLittleEndian(v, b);
    m_data.append(b, 4);
    return *this;
}

RecordBody& RecordBody::u16(std::uint16_t v) {
    char b[2];
    qToLittleEndian(v, b);
    m_data.append(b, 2);
    return *this;
}

RecordBody& RecordBody::u8(std::uint8_t v) {
    m_data.append(char(v));
    return *this;
}

RecordBody& RecordBody::f32(float v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, 4);
    return u32(bits);
}

RecordBody& RecordBody::rect(const QRect& r) {
    return ltrb(r.left(), r.top(), r.right(), r.bottom());
}

RecordBody& RecordBody::ltrb(int l, int t, int r, int b) {
    return i32(l).i32(t).i32(r).i32(b);
}

RecordBody& RecordBody::bytes(const QByteArray& b) {
    m_data.append(b);
    return *this;
}

RecordBody& RecordBody::utf16(const QString& s, int fixedChars) {
    const int n = fixedChars < 0 ? int(s.size()) : fixedChars;
    for (int i = 0; i < n; ++i)
        u16(i < s.size() ? s.at(i).unicode() : 0);
    return *this;
}

RecordBody& RecordBody::pad4() {
    while (m_data.size() % 4)
        m_data.append('\0');
    return *this;
}

void EmfWriter::add(std::uint32_t type, const RecordBody& body) {
    RecordBody head;
    const qsizetype padded = (body.size() + 3) / 4 * 4;
    head.u32(type).u32(std::uint32_t(8 + padded));
    m_body.append(head.data());
    m_body.append(body.data());
    m_body.append(QByteArray(padded - body.size(), '\0'));
    ++m_records;
}

std::uint32_t EmfWriter::allocHandle() {
    for (int i = 1; i < m_used.size(); ++i) {
        if (!m_used[i]) {
            m_used[i] = true;
            return std::uint32_t(i);
        }
    }
    m_used.append(true);
    m_handleHigh = std::max(m_handleHigh, int(m_used.size()) - 1);
    return std::uint32_t(m_used.size() - 1);
}

void EmfWriter::freeHandle(std::uint32_t h) {
    if (h > 0 && h < std::uint32_t(m_used.size()))
        m_used[int(h)] = false;
}

void EmfWriter::addBounds(const QRect& r) {
    if (r.right() < r.left() || r.bottom() < r.top())
        return;
    m_bounds = m_hasBounds ? m_bounds.united(r) : r;
    m_hasBounds = true;
}

static int pixelsToMm100(qint64 px) {
    // Rounded to the nearest 0.01 mm, also for negative values.
    const qint64 num = px * 2540;
    return int(num >= 0 ? (num + kRefDpi / 2) / kRefDpi : -((-num + kRefDpi / 2) / kRefDpi));
}

QByteArray EmfWriter::finish(int frameW, int frameH, QRect* frameOut) const {
    QRect frame; // l, t, r, b in 0.01 mm (r/b exclusive edges, as the frame is stored)
    int fl = 0, ft = 0, fr = 0, fb = 0;
    if (frameW > 0 && frameH > 0) {
        fr = frameW;
        fb = frameH;
    } else if (m_hasBounds) {
        fl = pixelsToMm100(m_bounds.left());
        ft = pixelsToMm100(m_bounds.top());
        fr = pixelsToMm100(qint64(m_bounds.right()) + 1);
        fb = pixelsToMm100(qint64(m_bounds.bottom()) + 1);
    }
    if (frameOut)
        *frameOut = QRect(QPoint(fl, ft), QPoint(fr, fb));

    static const QString description = QStringLiteral("Quillmark") + QChar(0) +
                                       QStringLiteral("Bild") + QChar(0) + QChar(0);
    constexpr int kHeaderFixed = 108;
    const int descBytes = int(description.size()) * 2;
    const int headerSize = (kHeaderFixed + descBytes + 3) / 4 * 4;
    constexpr int kEofSize = 20;
    const qint64 total = headerSize + m_body.size() + kEofSize;

    RecordBody h;
    h.u32(EMR_HEADER).u32(std::uint32_t(headerSize));
    if (m_hasBounds)
        h.rect(m_bounds);
    else
        h.ltrb(0, 0, -1, -1);
    h.ltrb(fl, ft, fr, fb);
    h.u32(0x464D4520).u32(0x10000).u32(std::uint32_t(total)).u32(std::uint32_t(recordCount()));
    h.u16(std::uint16_t(handleCount())).u16(0);
    h.u32(std::uint32_t(description.size())).u32(kHeaderFixed).u32(0); // no palette
    h.i32(kRefWidthPx).i32(kRefHeightPx).i32(kRefWidthMm).i32(kRefHeightMm);
    h.u32(0).u32(0).u32(0); // no pixel format, no OpenGL
    h.i32(kRefWidthMm * 1000).i32(kRefHeightMm * 1000);
    h.utf16(description).pad4();

    QByteArray out;
    out.reserve(int(total));
    out.append(h.data());
    out.append(m_body);
    RecordBody eof;
    eof.u32(EMR_EOF).u32(kEofSize).u32(0).u32(16).u32(kEofSize);
    out.append(eof.data());
    return out;
}

} // namespace emf
