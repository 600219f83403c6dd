#pragma once
// Reads back the EMF bytes written by the recorder, independently of the player, so tests
// can check what was written field by field.

#include <QByteArray>
#include <QList>
#include <QtEndian>

struct ParsedRecord {
    quint32 type = 0;
    QByteArray bytes; // the whole record, head included

    quint32 u32(int at) const {
        return at + 4 <= bytes.size() ? qFromLittleEndian<quint32>(bytes.constData() + at) : 0xDEADBEEF;
    }
    qint32 i32(int at) const { return qint32(u32(at)); }
    quint16 u16(int at) const {
        return at + 2 <= bytes.size() ? qFromLittleEndian<quint16>(bytes.constData() + at) : 0xDEAD;
    }
};

struct ParsedEmf {
    QList<ParsedRecord> records;
    bool sizesOk = true; // every size a positive multiple of 4 and inside the bytes

    QList<ParsedRecord> ofType(quint32 type) const {
        QList<ParsedRecord> out;
        for (const ParsedRecord& r : records)
            if (r.type == type)
                out.append(r);
        return out;
    }
    const ParsedRecord& header() const { return records.first(); }
};

inline ParsedEmf ParseEmf(const QByteArray& bytes) {
    ParsedEmf out;
    qsizetype pos = 0;
    while (pos + 8 <= bytes.size()) {
        const quint32 type = qFromLittleEndian<quint32>(bytes.constData() + pos);
        const quint32 size = qFromLittleEndian<quint32>(bytes.constData() + pos + 4);
        if (size < 8 || size % 4 || pos + size > quint32(bytes.size())) {
            out.sizesOk = false;
            break;
        }
        out.records.append({type, bytes.mid(pos, size)});
        pos += size;
        if (type == 14)
            break;
    }
    if (pos != bytes.size())
        out.sizesOk = false;
    return out;
}
