#pragma once
// WMF interpretation: one small handler per record function, looked up in a table.

#include "gdiplayer.h"
#include "metafileformat.h"

namespace mf {

using WmfHandlerFn = void (*)(GdiPlayer&, const WmfRecord&);

struct WmfRecordType {
    quint16 function;
    const char* name;
    WmfHandlerFn handler; // null: not drawn (counted as unsupported)
    bool creates;         // takes a slot of the object table
};

const WmfRecordType* WmfType(quint16 function);
QString WmfRecordName(quint16 function);
// Whether a record function creates an object (and so takes the lowest free slot),
// including create records the player does not understand.
bool WmfCreatesObject(quint16 function);

// Plays the WMF records that follow the 18-byte header at `start`.
void PlayWmfRecords(GdiPlayer& g, ByteReader bytes, qsizetype start);

// The handlers of the text and bitmap records (in their own file).
void RegisterWmfTextAndBitmapHandlers(QVector<WmfRecordType>& table);

// A packed DIB or a BITMAP16 bitmap at the reader's position.
QImage ReadWmfBitmap16(ByteReader r);

} // namespace mf
