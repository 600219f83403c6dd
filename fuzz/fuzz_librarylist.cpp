// Fuzz target: any bytes as the list file of a template or clipart library, read from a file as
// the libraries do, and as the size line of a path-list clipart.

#include "document/librarylist.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

namespace {

QTemporaryDir* folder = nullptr;

void walk(const QList<TLibraryNode>& nodes, int depth) {
    if (depth > 2 && !nodes.isEmpty()) // lists have headings and entries, nothing deeper
        __builtin_trap();
    for (const TLibraryNode& node : nodes)
        walk(node.Children, depth + 1);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    folder = new QTemporaryDir;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString name = folder->filePath(QStringLiteral("list.lst"));
    {
        QFile file(name);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    QStringList lines;
    try {
        ReadTextLines(name, lines);
    } catch (const TLibraryError&) {
        return 0;
    }
    walk(ParseTemplateList(lines), 1);
    walk(ParseClipartList(lines), 1);
    int w = 0;
    int h = 0;
    if (!lines.isEmpty() && ParseQmgSize(lines.first(), w, h) && w > 0 && h > 0) {
        int outW = 0;
        int outH = 0;
        FitKeepingAspect(w, h, 21000, 29700, outW, outH);
        if (outW > 21000 || outH > 29700 || outW < 0 || outH < 0)
            __builtin_trap();
    }
    return 0;
}
