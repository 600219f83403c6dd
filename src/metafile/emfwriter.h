#pragma once
// Builds the bytes of an EMF: records are appended one by one; finish() puts the header
// (bounds, frame, counts, reference device) in front and the end record behind.

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QString>
#include <cstdint>

namespace emf {

// Record types written by the recorder
enum RecordType : std::uint32_t {
    EMR_HEADER = 1,
    EMR_POLYLINE = 4,
    EMR_POLYGON = 3,
    EMR_POLYPOLYLINE = 7,
    EMR_POLYPOLYGON = 8,
    EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10,
    EMR_SETVIEWPORTEXTEX = 11,
    EMR_SETVIEWPORTORGEX = 12,
    EMR_EOF = 14,
    EMR_SETMAPMODE = 17,
    EMR_SETBKMODE = 18,
    EMR_SETPOLYFILLMODE = 19,
    EMR_SETTEXTALIGN = 22,
    EMR_SETTEXTCOLOR = 24,
    EMR_SETBKCOLOR = 25,
    EMR_MOVETOEX = 27,
    EMR_INTERSECTCLIPRECT = 30,
    EMR_SAVEDC = 33,
    EMR_RESTOREDC = 34,
    EMR_SETWORLDTRANSFORM = 35,
    EMR_SELECTOBJECT = 37,
    EMR_CREATEPEN = 38,
    EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40,
    EMR_ELLIPSE = 42,
    EMR_RECTANGLE = 43,
    EMR_LINETO = 54,
    EMR_BEGINPATH = 59,
    EMR_ENDPATH = 60,
    EMR_SELECTCLIPPATH = 67,
    EMR_STRETCHDIBITS = 81,
    EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTW = 84,
    EMR_EXTCREATEPEN = 95,
    EMR_ALPHABLEND = 114,
};

// Stock objects (selected by index with the high bit set)
constexpr std::uint32_t WHITE_BRUSH = 0x80000000;
constexpr std::uint32_t NULL_BRUSH = 0x80000005;
constexpr std::uint32_t BLACK_PEN = 0x80000007;
constexpr std::uint32_t NULL_PEN = 0x80000008;

// The 96-dpi reference device: 1920 x 1440 pixels = 508 x 381 mm exactly.
constexpr int kRefDpi = 96;
constexpr int kRefWidthPx = 1920;
constexpr int kRefHeightPx = 1440;
constexpr int kRefWidthMm = 508;
constexpr int kRefHeightMm = 381;

// Little-endian field builder for one record's body.
class RecordBody {
public:
    RecordBody& u32(std::uint32_t v);
    RecordBody& i32(std::int32_t v) { return u32(std::uint32_t(v)); }
    RecordBody& u16(std::uint16_t v);
    RecordBody& u8(std::uint8_t v);
    RecordBody& f32(float v);
    RecordBody& rect(const QRect& r); // left, top, right, bottom as given (right() + 1 etc. by caller)
    RecordBody& ltrb(int l, int t, int r, int b);
    RecordBody& bytes(const QByteArray& b);
    RecordBody& utf16(const QString& s, int fixedChars = -1); // fixed: padded/cut with zeros
    RecordBody& pad4();
    qsizetype size() const { return m_data.size(); }
    const QByteArray& data() const { return m_data; }

private:
    QByteArray m_data;
};

class EmfWriter {
public:
    // Appends a record; the body is everything after the type and size fields.
    void add(std::uint32_t type, const RecordBody& body);
    void add(std::uint32_t type) { add(type, RecordBody()); }

    // Object table: the lowest free index (index 0 belongs to the metafile itself).
    std::uint32_t allocHandle();
    void freeHandle(std::uint32_t h);
    int handleCount() const { return m_handleHigh + 1; }

    // Drawn area in reference-device pixels, inclusive on all sides.
    void addBounds(const QRect& deviceInclusive);
    QRect bounds() const { return m_bounds; }
    bool hasBounds() const { return m_hasBounds; }

    int recordCount() const { return m_records + 2; } // with header and end record
    // The complete EMF. frameW/frameH: the frame in 0.01 mm from (0, 0); when not positive
    // the frame follows the bounds. The frame used is returned through frameOut.
    QByteArray finish(int frameW, int frameH, QRect* frameOut = nullptr) const;

private:
    QByteArray m_body;
    int m_records = 0;
    QList<bool> m_used{true}; // slot 0 reserved
    int m_handleHigh = 0;
    QRect m_bounds;
    bool m_hasBounds = false;
};

} // namespace emf
