#pragma once
// Builders for hand-made EMF and WMF pictures, and a player wrapper that returns the
// drawing trace. Header-only so it links into the metafile tests alone.

#include "metafile/metafileplayer.h"
#include "metafile/tmetafile.h"

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <cstring>

namespace mftest {

// Little-endian byte writer.
struct Bytes {
    QByteArray b;
    Bytes& u8(quint8 v) { b.append(char(v)); return *this; }
    Bytes& u16(quint16 v) { u8(v & 0xFF); return u8(v >> 8); }
    Bytes& i16(qint16 v) { return u16(quint16(v)); }
    Bytes& u32(quint32 v) { u16(v & 0xFFFF); return u16(v >> 16); }
    Bytes& i32(qint32 v) { return u32(quint32(v)); }
    Bytes& f32(float f) {
        quint32 v;
        std::memcpy(&v, &f, 4);
        return u32(v);
    }
    Bytes& raw(const QByteArray& a) { b.append(a); return *this; }
    Bytes& rect(int l, int t, int r, int bt) { return i32(l).i32(t).i32(r).i32(bt); }
    Bytes& pad4() {
        while (b.size() % 4)
            b.append('\0');
        return *this;
    }
};

inline quint32 rgb(int r, int g, int b) { return quint32(r) | (quint32(g) << 8) | (quint32(b) << 16); }

// An EMF whose reference device has 10 pixels per millimetre and whose frame is
// 100 mm x 100 mm, so device pixels 0..1000 fill the picture.
class Emf {
public:
    void rec(quint32 type, const Bytes& payload = {}) {
        Bytes r;
        QByteArray p = payload.b;
        while (p.size() % 4)
            p.append('\0');
        r.u32(type).u32(quint32(8 + p.size())).raw(p);
        m_records.append(r.b);
        ++m_count;
    }
    // Common records.
    void mapMode(int m) { rec(17, Bytes().u32(m)); }
    void windowOrg(int x, int y) { rec(10, Bytes().i32(x).i32(y)); }
    void windowExt(int x, int y) { rec(9, Bytes().i32(x).i32(y)); }
    void viewportOrg(int x, int y) { rec(12, Bytes().i32(x).i32(y)); }
    void viewportExt(int x, int y) { rec(11, Bytes().i32(x).i32(y)); }
    void rectangle(int l, int t, int r, int b) { rec(43, Bytes().rect(l, t, r, b)); }
    void brush(quint32 index, quint32 color) {
        rec(39, Bytes().u32(index).u32(0).u32(color).u32(0));
    }
    void nullPen(quint32 index) { rec(38, Bytes().u32(index).u32(5).i32(0).i32(0).u32(0)); }
    void select(quint32 index) { rec(37, Bytes().u32(index)); }
    void textAlign(int a) { rec(22, Bytes().u32(a)); }
    void font(quint32 index, int height, int escapement = 0, const QString& face = "DejaVu Sans") {
        Bytes b;
        b.u32(index).i32(height).i32(0).i32(escapement).i32(escapement).i32(400);
        b.u8(0).u8(0).u8(0).u8(0).u8(0).u8(0).u8(0).u8(0);
        for (int i = 0; i < 32; ++i)
            b.u16(i < face.size() ? face[i].unicode() : 0);
        rec(82, b);
    }
    // A LOGFONT with everything a test may vary.
    void logFont(quint32 index, int height, int width, int weight, int charSet, const QString& face) {
        Bytes b;
        b.u32(index).i32(height).i32(width).i32(0).i32(0).i32(weight);
        b.u8(0).u8(0).u8(0).u8(quint8(charSet)).u8(0).u8(0).u8(0).u8(0);
        for (int i = 0; i < 32; ++i)
            b.u16(i < face.size() ? face[i].unicode() : 0);
        rec(82, b);
    }
    void text(int x, int y, const QString& s, quint32 options = 0, QVector<int> dx = {}) {
        const int fixed = 76;
        Bytes b;
        b.rect(0, 0, -1, -1).u32(1).f32(0).f32(0);
        b.i32(x).i32(y).u32(quint32(s.size())).u32(fixed).u32(options).rect(0, 0, 0, 0);
        quint32 offDx = dx.isEmpty() ? 0 : quint32(fixed + ((s.size() * 2 + 3) / 4) * 4);
        b.u32(offDx);
        for (QChar c : s)
            b.u16(c.unicode());
        b.pad4();
        for (int d : dx)
            b.i32(d);
        rec(84, b);
    }
    // StretchDIBits with the DIB given as header+colours and bits.
    void stretchDib(int x, int y, int w, int h, const QByteArray& bmi, const QByteArray& bits,
                    int srcW, int srcH, quint32 rop) {
        const int fixed = 8 + 72;
        Bytes b;
        b.rect(0, 0, -1, -1).i32(x).i32(y).i32(0).i32(0).i32(srcW).i32(srcH);
        b.u32(fixed).u32(bmi.size()).u32(fixed + bmi.size()).u32(bits.size());
        b.u32(0).u32(rop).i32(w).i32(h);
        b.raw(bmi).raw(bits);
        rec(81, b);
    }

    // frame: the picture's width and height in hundredths of a millimetre (the reference
    // device has ten pixels to the millimetre).
    QByteArray finish(int nHandles = 8, int frame = 10000) {
        rec(14, Bytes().u32(0).u32(0).u32(20));
        Bytes h;
        const int headerSize = 88;
        qsizetype total = headerSize;
        for (const QByteArray& r : m_records)
            total += r.size();
        h.u32(1).u32(headerSize).rect(0, 0, 999, 999).rect(0, 0, frame, frame);
        h.u32(0x464D4520).u32(0x10000).u32(quint32(total)).u32(quint32(m_count + 1));
        h.u16(quint16(nHandles)).u16(0).u32(0).u32(0).u32(0);
        h.i32(1000).i32(1000).i32(100).i32(100);
        QByteArray out = h.b;
        for (const QByteArray& r : m_records)
            out += r;
        return out;
    }

private:
    QList<QByteArray> m_records;
    int m_count = 0;
};

// A WMF, by default with a placeable header whose box is 0..1000 at 1000 units per inch.
class Wmf {
public:
    void rec(quint16 function, const Bytes& params = {}) {
        QByteArray p = params.b;
        if (p.size() % 2)
            p.append('\0');
        Bytes r;
        r.u32(quint32(3 + p.size() / 2)).u16(function).raw(p);
        m_records += r.b;
        m_maxWords = qMax(m_maxWords, 3 + int(p.size() / 2));
    }
    void brush(quint32 color) { rec(0x02FC, Bytes().u16(0).u32(color).u16(0)); }
    void nullPen() { rec(0x02FA, Bytes().u16(5).i16(0).i16(0).u32(0)); }
    void select(int i) { rec(0x012D, Bytes().u16(quint16(i))); }
    // No outline and a solid fill of `color`, as objects 0 and 1.
    void solidPaint(quint32 color) {
        nullPen();
        brush(color);
        select(0);
        select(1);
    }
    void remove(int i) { rec(0x01F0, Bytes().u16(quint16(i))); }
    void rectangle(int l, int t, int r, int b) {
        rec(0x041B, Bytes().i16(qint16(b)).i16(qint16(r)).i16(qint16(t)).i16(qint16(l)));
    }
    void windowOrg(int x, int y) { rec(0x020B, Bytes().i16(qint16(y)).i16(qint16(x))); }
    void windowExt(int x, int y) { rec(0x020C, Bytes().i16(qint16(y)).i16(qint16(x))); }
    void mapMode(int m) { rec(0x0103, Bytes().u16(quint16(m))); }
    // CREATEFONTINDIRECT of a face, a height in logical units and a character set.
    void font(const QByteArray& face, int height, int charSet = 0, bool italic = false) {
        rec(0x02FB, Bytes().i16(qint16(height)).i16(0).i16(0).i16(0).i16(400)
                        .u8(italic).u8(0).u8(0).u8(quint8(charSet)).u32(0).raw(face).u8(0));
    }
    void textOut(int x, int y, const QByteArray& text) {
        Bytes b;
        b.i16(qint16(text.size())).raw(text);
        if (text.size() % 2)
            b.u8(0);
        rec(0x0521, b.i16(qint16(y)).i16(qint16(x)));
    }

    QByteArray finish(bool placeable = true, int numObjects = 4, int box = 1000, int inch = 1000) {
        rec(0x0000);
        Bytes out;
        if (placeable) {
            Bytes p;
            p.u32(0x9AC6CDD7).u16(0).i16(0).i16(0).i16(qint16(box)).i16(qint16(box)).u16(quint16(inch)).u32(0);
            quint16 sum = 0;
            for (int i = 0; i < 20; i += 2)
                sum ^= quint16(quint8(p.b[i]) | (quint8(p.b[i + 1]) << 8));
            p.u16(sum);
            out.raw(p.b);
        }
        out.u16(1).u16(9).u16(0x0300).u32(quint32(9 + m_records.size() / 2));
        out.u16(quint16(numObjects)).u32(quint32(m_maxWords)).u16(0);
        out.raw(m_records);
        return out.b;
    }

private:
    QByteArray m_records;
    int m_maxWords = 3;
};

// Plays into a white picture and returns it; `trace` receives the drawing calls.
inline QImage render(const TMetafile& mf, QSize size = QSize(100, 100), QRectF dest = QRectF(),
                     QStringList* trace = nullptr, TMetafilePlayStats* stats = nullptr) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    if (dest.isNull())
        dest = QRectF(QPointF(0, 0), QSizeF(size));
    TMetafilePlayOptions opts;
    if (trace)
        opts.trace = [trace](const QString& line) { trace->append(line); };
    opts.stats = stats;
    QPainter p(&img);
    TMetafilePlayer::Play(mf, p, dest, opts);
    p.end();
    return img;
}

inline TMetafile fromBytes(const QByteArray& bytes) {
    TMetafile mf;
    mf.LoadFromBytes(bytes);
    return mf;
}

} // namespace mftest
