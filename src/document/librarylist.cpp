#include "document/librarylist.h"

#include "document/appdocument.h"
#include "platform/fileerror.h"
#include <QFile>
#include <cerrno>
#include <QStringDecoder>

QList<TLibraryNode> ParseTemplateList(const QStringList& lines) {
    QList<TLibraryNode> roots;
    int group = -1; // index of the latest heading in roots
    for (const QString& line : lines) {
        // A blank line would only make an empty heading nobody can use.
        if (line.trimmed().isEmpty())
            continue;
        if (line.startsWith(QLatin1Char('#'))) {
            TLibraryNode node;
            const int colon = line.indexOf(QLatin1Char(':'));
            if (colon < 0) {
                node.Name = line.mid(1);
                node.Text = node.Name;
            } else {
                node.Name = line.mid(1, colon - 1);
                node.Text = line.mid(colon + 1);
            }
            node.HasName = true;
            if (group >= 0)
                roots[group].Children.append(node);
            else
                roots.append(node);
        } else {
            TLibraryNode heading;
            heading.Text = line;
            roots.append(heading);
            group = int(roots.size()) - 1;
        }
    }
    return roots;
}

QList<TLibraryNode> ParseClipartList(const QStringList& lines) {
    QList<TLibraryNode> roots;
    for (const QString& raw : lines) {
        if (raw.isEmpty())
            continue;
        const bool child = raw.startsWith(QLatin1Char('#'));
        // Child lines are cut to 255 characters after the "#"; labels to 250.
        const QString line = child ? raw.mid(1, 255) : raw;
        TLibraryNode node;
        const int colon = line.indexOf(QLatin1Char(':'));
        if (colon >= 0) {
            node.Name = line.left(colon);
            node.HasName = true;
            node.Text = line.mid(colon + 1).left(250);
        } else {
            node.Text = line.left(250);
        }
        if (child && !roots.isEmpty())
            roots.last().Children.append(node);
        else
            roots.append(node);
    }
    return roots;
}

void ReadTextLines(const QString& fileName, QStringList& lines) {
    QFile file(fileName);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        throw TLibraryError(QStringLiteral("Die Datei \"%1\" kann nicht gelesen werden: %2")
                                .arg(fileName, FileErrorText(file, errno)));
    QStringDecoder decode("windows-1252");
    QByteArray pending;
    while (true) {
        errno = 0;
        const QByteArray chunk = file.read(64 * 1024);
        if (chunk.isEmpty()) {
            if (file.error() != QFileDevice::NoError)
                throw TLibraryError(QStringLiteral("Beim Lesen von \"%1\" trat ein Fehler auf: %2")
                                        .arg(fileName, FileErrorText(file, errno)));
            break;
        }
        pending += chunk;
        qsizetype start = 0;
        qsizetype nl;
        while ((nl = pending.indexOf('\n', start)) >= 0) {
            QByteArray one = pending.mid(start, nl - start);
            if (one.endsWith('\r'))
                one.chop(1);
            lines.append(decode(one));
            start = nl + 1;
        }
        pending.remove(0, start);
    }
    if (pending.endsWith('\r'))
        pending.chop(1);
    if (!pending.isEmpty())
        lines.append(decode(pending));
}

bool ParseQmgSize(const QString& line, int& width, int& height) {
    const int b = line.indexOf(QLatin1Char('b'));
    if (b < 1)
        return false;
    const int h = line.indexOf(QLatin1Char('h'), b + 1);
    if (h < 0)
        return false;
    bool okW = false;
    bool okH = false;
    const int w = line.mid(1, b - 1).trimmed().toInt(&okW);
    const int ht = line.mid(b + 1, h - b - 1).trimmed().toInt(&okH);
    if (!okW || !okH)
        return false;
    width = w;
    height = ht;
    return true;
}

void FitKeepingAspect(int w, int h, int areaWidth, int areaHeight, int& outW, int& outH) {
    outW = w;
    outH = h;
    if (w <= 0 || h <= 0)
        return;
    // Worked out in 64 bits and compared before narrowing: a picture thousands of times taller
    // than wide would give more than an int holds.
    const qint64 heightAtFullWidth = qint64(areaWidth) * h / w;
    if (heightAtFullWidth <= areaHeight) {
        outW = areaWidth;
        outH = int(heightAtFullWidth);
    } else {
        outH = areaHeight;
        outW = int(qint64(areaHeight) * w / h);
    }
}

void LoadPathList(const QString& fileName, QStringList& lines, TMetafile& metafile) {
    lines.clear();
    ReadTextLines(fileName, lines);
    int w = 0;
    int h = 0;
    if (lines.isEmpty() || !ParseQmgSize(lines.first(), w, h) || w <= 0 || h <= 0)
        throw TLibraryError(
            QStringLiteral("Die Datei \"%1\" ist keine Pfadliste: die erste Zeile nennt keine "
                           "Größe (erwartet z. B. \"G2100b1480h\").")
                .arg(fileName));
    metafile.Clear();
    metafile.SetMMWidth(w);
    metafile.SetMMHeight(h);
    try {
        TAppDocument::RenderPathList(metafile, lines);
    } catch (const TPathListError& e) {
        throw TLibraryError(
            QStringLiteral("Die Pfadliste \"%1\" ist fehlerhaft: %2").arg(fileName, e.message()));
    }
}
