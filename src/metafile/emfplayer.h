#pragma once
// EMF interpretation: one small handler per record type, looked up in a table.

#include "gdiplayer.h"
#include "metafileformat.h"

namespace mf {

using EmfHandlerFn = void (*)(GdiPlayer&, const EmfRecord&);

struct EmfRecordType {
    const char* name;
    EmfHandlerFn handler; // null: not drawn (counted as unsupported)
};

// The record type's entry; null for numbers no EMF defines.
const EmfRecordType* EmfType(quint32 type);
QString EmfRecordName(quint32 type);

// Plays the EMF records onto the player, whose device space is the EMF's reference device.
void PlayEmfRecords(GdiPlayer& g, ByteReader emf);

// Handler helpers shared by the handler files.
QPolygonF ReadPoints32(ByteReader& r, quint32 count);
QPolygonF ReadPoints16(ByteReader& r, quint32 count);
QRectF ReadRectL(ByteReader& r);

// Handler groups (each file registers its own).
void RegisterEmfDrawHandlers(EmfRecordType* table);
void RegisterEmfObjectHandlers(EmfRecordType* table);

} // namespace mf
