#pragma once
// Recognition of the metafile byte forms and the record iterators shared by the
// reader, the player and the info view.

#include "bytereader.h"
#include "tmetafile.h"

#include <QByteArray>
#include <QRectF>
#include <QString>

namespace mf {

constexpr quint32 kPlaceableKey = 0x9AC6CDD7;
constexpr quint32 kEmfSignature = 0x464D4520; // " EMF"
constexpr quint32 kWmfCommentId = 0x43464D57; // "WMFC"
constexpr int kPlaceableSize = 22;
constexpr int kWmfHeaderSize = 18;
// No file we accept has more records than this; beyond it the rest is ignored.
constexpr int kMaxRecords = 2'000'000;
// Sizes at the 96-dpi reference device.
constexpr int kReferenceDpi = 96;

// What the bytes are and where their parts lie.
struct Layout {
    TMetafile::Form form = TMetafile::Form::None;
    int mmWidth = 0;
    int mmHeight = 0;
    QString problem;
    qsizetype wmfOffset = 0; // start of the WMF header (after a placeable header)
    QByteArray emf;          // the EMF to play (Emf: all bytes; EmfInWmf: reassembled)
    bool hasPlaceable = false;
    // WMF playback setup, in the WMF's device units (placeable: the units of its bounding
    // box; otherwise pixels of the 96-dpi reference): the picture's rectangle and the
    // window and viewport a player starts with.
    QRectF wmfFrame;
    QPointF wmfWindowOrg, wmfViewportOrg;
    QSizeF wmfWindowExt{1, 1}, wmfViewportExt{1, 1};
    double wmfUnitsPerInch = 96;
    int placeableLeft = 0, placeableTop = 0, placeableRight = 0, placeableBottom = 0;
    int placeableInch = 0;
};

Layout InspectBytes(const QByteArray& bytes);

// EMF frame (rclFrame) of an EMF header record; false when the bytes are no EMF.
bool ReadEmfFrame(const QByteArray& emf, int& mmWidth, int& mmHeight);
bool LooksLikeEmf(ByteReader r);
bool LooksLikeWmfHeader(ByteReader r, qsizetype at);

struct WmfRecord {
    quint16 function = 0;
    qsizetype offset = 0; // of the record in the stream
    ByteReader params;    // the parameters after the 6-byte record head
};

// Walks WMF records after the 18-byte header at `start`. Each record's declared size is
// checked against what is left; iteration ends at META_EOF, at a bad size or the cap.
class WmfRecordIterator {
public:
    WmfRecordIterator(ByteReader r, qsizetype start);
    bool next(WmfRecord& rec);
    // Why iteration stopped early, empty for a clean end.
    QString problem() const { return m_problem; }
    int count() const { return m_count; }

private:
    ByteReader m_r;
    qsizetype m_pos;
    qsizetype m_end;
    int m_count = 0;
    bool m_done = false;
    QString m_problem;
};

struct EmfRecord {
    quint32 type = 0;
    qsizetype offset = 0;
    ByteReader data; // the record after its 8-byte head (type and size)
    ByteReader whole; // the whole record, for offsets counted from its start
};

class EmfRecordIterator {
public:
    explicit EmfRecordIterator(ByteReader r);
    bool next(EmfRecord& rec);
    QString problem() const { return m_problem; }
    int count() const { return m_count; }

private:
    ByteReader m_r;
    qsizetype m_pos = 0;
    qsizetype m_end;
    qint64 m_declaredRecords = 0;
    int m_count = 0;
    bool m_done = false;
    QString m_problem;
};

inline int MmToPixels(int mm100) {
    return int((qint64(mm100) * kReferenceDpi + (mm100 >= 0 ? 1270 : -1270)) / 2540);
}
inline int PixelsToMm(int px) {
    return int((qint64(px) * 2540 + (px >= 0 ? kReferenceDpi / 2 : -kReferenceDpi / 2)) /
               kReferenceDpi);
}

} // namespace mf
