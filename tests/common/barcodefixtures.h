#pragma once
// Reading printed codes back the way a phone would: zbarimg (zbar-tools) over rendered pages.

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

namespace barcodefix {

inline bool Available() {
    return !QStandardPaths::findExecutable(QStringLiteral("zbarimg")).isEmpty();
}

struct Decoded {
    QString type; // "QR-Code", "EAN-13", "CODE-128", ...
    QString data;
};

// Every code zbarimg finds in the image.
inline QList<Decoded> Decode(const QImage& image) {
    QList<Decoded> found;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("seite.png"));
    if (!image.save(file))
        return found;
    QProcess p;
    p.start(QStringLiteral("zbarimg"), {QStringLiteral("--xml"), QStringLiteral("-q"), file});
    p.waitForFinished(120000);
    const QString xml = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression symbol(
        QStringLiteral("<symbol type='([^']*)'[^>]*>.*?<data><!\\[CDATA\\[(.*?)\\]\\]></data>"),
        QRegularExpression::DotMatchesEverythingOption);
    for (auto it = symbol.globalMatch(xml); it.hasNext();) {
        const auto m = it.next();
        found << Decoded{m.captured(1), m.captured(2)};
    }
    return found;
}

} // namespace barcodefix
