// The CD listing against `tree`: a generated tree of 20,000 folders and 100,000 files, eight
// levels deep; time to the finished picture (3 columns of 110 mm, depth 8), folders only and
// with files, beside `tree -d -L 8` and `tree -L 8` over the same tree.
//
//   bench_cdlisting [FOLDER]   (without FOLDER the tree is made in a temporary folder)

#include "document/cdlisting.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <cstdio>
#include <vector>

namespace {

constexpr int kFolders = 20000;
constexpr int kFiles = 100000;
constexpr int kDepth = 8;

void makeTree(const QString& root)
{
    QRandomGenerator random(14);
    struct Folder {
        QString path;
        int depth;
    };
    std::vector<Folder> folders{{root, 0}};
    std::vector<int> open{0}; // folders that may still get children
    while (int(folders.size()) <= kFolders) {
        const int parent = open[random.bounded(int(open.size()))];
        const Folder child{folders[size_t(parent)].path +
                               QStringLiteral("/Ordner %1").arg(folders.size()),
                           folders[size_t(parent)].depth + 1};
        QDir().mkdir(child.path);
        folders.push_back(child);
        if (child.depth < kDepth)
            open.push_back(int(folders.size()) - 1);
    }
    for (int i = 0; i < kFiles; ++i) {
        const Folder& f = folders[size_t(random.bounded(int(folders.size())))];
        QFile file(f.path + QStringLiteral("/Datei %1.txt").arg(i));
        file.open(QIODevice::WriteOnly);
    }
}

double best(int runs, const std::function<void()>& work)
{
    double fastest = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        fastest = std::min(fastest, t.nsecsElapsed() / 1e6);
    }
    return fastest;
}

double timeTree(const QStringList& args)
{
    return best(3, [&] {
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.start(QStringLiteral("tree"), args);
        p.waitForFinished(-1);
    });
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv); // fonts for measuring the text
    QTemporaryDir temp;
    QString root = app.arguments().value(1);
    if (root.isEmpty()) {
        root = temp.path() + QStringLiteral("/baum");
        QDir().mkpath(root);
        QElapsedTimer t;
        t.start();
        makeTree(root);
        std::printf("Baum erzeugt: %d Ordner, %d Dateien, Tiefe %d (%.1f s)\n", kFolders, kFiles,
                    kDepth, t.elapsed() / 1000.0);
    }
    const bool haveTree = !QStandardPaths::findExecutable(QStringLiteral("tree")).isEmpty();

    for (bool files : {false, true}) {
        TCdListingOptions o;
        o.Folder = root;
        o.DirLevelMax = kDepth;
        o.DirsOnly = !files;
        o.Title = QStringLiteral("Benchmark");
        TCdListingResult result;
        const double ms = best(5, [&] {
            TMetafile picture;
            result = DrawCdListing(picture, o);
        });
        std::printf("%s: %.2f ms bis zum fertigen Bild (%d Einträge in %d Spalten, %d Ordner "
                    "gelesen)\n",
                    files ? "Ordner und Dateien" : "nur Ordner", ms, result.Entries,
                    result.Columns, result.FoldersRead);
        if (!haveTree) {
            std::printf("  tree ist nicht installiert; kein Vergleich\n");
            continue;
        }
        QStringList args;
        if (!files)
            args << QStringLiteral("-d");
        args << QStringLiteral("-L") << QString::number(kDepth) << root;
        const double treeMs = timeTree(args);
        std::printf("  tree %s: %.2f ms; Verhältnis Listing/tree = %.4f\n",
                    qPrintable(args.mid(0, args.size() - 1).join(QLatin1Char(' '))), treeMs,
                    ms / treeMs);
    }
    return 0;
}
