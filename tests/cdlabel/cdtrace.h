#pragma once
// Text trace of a recorded listing, read back from the EMF bytes independently of the player:
// one line per record that matters, with the coordinates and texts as written.
//   MAPMODE 2 / WORLD 0.1 0 0 0.1 0 0 / WINDOWORG 0 11000 / MOVE x y / LINE x y /
//   FONT height weight italic face / TEXT x y name

#include "platform/emfparse.h"

#include <QDir>
#include <QFile>
#include <QStringList>

inline QString TraceUtf16(const ParsedRecord& r, int at, int chars)
{
    QString s;
    for (int i = 0; i < chars; ++i) {
        const quint16 c = r.u16(at + 2 * i);
        if (c == 0 || c == 0xDEAD)
            break;
        s += QChar(c);
    }
    return s;
}

inline float TraceF32(const ParsedRecord& r, int at)
{
    const quint32 v = r.u32(at);
    float f;
    std::memcpy(&f, &v, 4);
    return f;
}

inline QStringList CdTrace(const QByteArray& emf)
{
    QStringList out;
    const ParsedEmf parsed = ParseEmf(emf);
    for (const ParsedRecord& r : parsed.records) {
        switch (r.type) {
        case 17:
            out << QStringLiteral("MAPMODE %1").arg(r.u32(8));
            break;
        case 35: {
            QStringList v;
            for (int i = 0; i < 6; ++i)
                v << QString::number(TraceF32(r, 8 + 4 * i));
            out << QStringLiteral("WORLD ") + v.join(QLatin1Char(' '));
            break;
        }
        case 10:
            out << QStringLiteral("WINDOWORG %1 %2").arg(r.i32(8)).arg(r.i32(12));
            break;
        case 27:
            out << QStringLiteral("MOVE %1 %2").arg(r.i32(8)).arg(r.i32(12));
            break;
        case 54:
            out << QStringLiteral("LINE %1 %2").arg(r.i32(8)).arg(r.i32(12));
            break;
        case 82:
            out << QStringLiteral("FONT %1 %2 %3 %4")
                       .arg(r.i32(12))
                       .arg(r.i32(28))
                       .arg(quint8(r.bytes.at(32)) ? QStringLiteral("kursiv") : QStringLiteral("normal"))
                       .arg(TraceUtf16(r, 40, 32));
            break;
        case 84:
            out << QStringLiteral("TEXT %1 %2 %3")
                       .arg(r.i32(36))
                       .arg(r.i32(40))
                       .arg(TraceUtf16(r, int(r.u32(48)), int(r.u32(44))));
            break;
        default:
            break;
        }
    }
    return out;
}

// Only the lines of the given kinds ("TEXT", "LINE MOVE", ...).
inline QStringList CdTraceOf(const QByteArray& emf, const QString& kinds)
{
    const QStringList wanted = kinds.split(QLatin1Char(' '));
    QStringList out;
    for (const QString& line : CdTrace(emf)) {
        if (wanted.contains(line.section(QLatin1Char(' '), 0, 0)))
            out << line;
    }
    return out;
}

// The names drawn, in order.
inline QStringList CdTexts(const QByteArray& emf)
{
    QStringList out;
    for (const QString& line : CdTraceOf(emf, QStringLiteral("TEXT")))
        out << line.section(QLatin1Char(' '), 3);
    return out;
}

// Makes the folders (and files, names ending in ".txt") below root.
inline void MakeTree(const QString& root, const QStringList& paths)
{
    for (const QString& p : paths) {
        if (p.endsWith(QLatin1String(".txt"))) {
            if (p.contains(QLatin1Char('/')))
                QDir(root).mkpath(p.section(QLatin1Char('/'), 0, -2));
            QFile f(root + QLatin1Char('/') + p);
            f.open(QIODevice::WriteOnly);
        } else {
            QDir(root).mkpath(p);
        }
    }
}
