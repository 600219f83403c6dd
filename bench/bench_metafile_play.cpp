// Plays every picture of the shared corpus into a 1000-pixel-wide picture and prints files
// per second; when emf2svg-conv (Debian emf2svg) and wmf2gd (libwmf-bin) are installed,
// times them on the same files and prints how much faster the player is. Then end to end
// to PNG: `quillmark-render --out-dir` of the EMF corpus at width 1000 against emf2svg-conv
// followed by `rsvg-convert -w 1000` (librsvg2-bin) on the same files.
//
// bench_metafile_play [corpus folder]

#include "qmpaths.h"
#include "metafile/tmetafile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>

namespace {

struct Input {
    QString path;
    QByteArray bytes;
    bool emf;
};

double playAll(const QList<Input>& inputs, bool emf, int& count) {
    QElapsedTimer t;
    t.start();
    count = 0;
    for (const Input& in : inputs) {
        if (in.emf != emf)
            continue;
        TMetafile mf;
        mf.LoadFromBytes(in.bytes);
        ++count;
        if (!mf.Valid() || mf.MMWidth() <= 0 || mf.MMHeight() <= 0)
            continue;
        int h = int(qBound(qint64(1), qint64(1000) * mf.MMHeight() / mf.MMWidth(), qint64(4000)));
        QImage img(1000, h, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        mf.Play(p, QRect(QPoint(0, 0), QPoint(1000, h)));
    }
    return t.nsecsElapsed() / 1e9;
}

// Runs the converter once per file; returns the seconds or -1 when it is not installed.
double runTool(const QString& tool, const QList<Input>& inputs, bool emf, int& count) {
    const QString exe = QStandardPaths::findExecutable(tool);
    if (exe.isEmpty())
        return -1;
    QTemporaryDir dir;
    QElapsedTimer t;
    t.start();
    count = 0;
    for (const Input& in : inputs) {
        if (in.emf != emf)
            continue;
        QStringList args;
        if (emf)
            args << "-w" << "1000" << "-i" << in.path << "-o" << dir.filePath("out.svg");
        else
            args << "--maxwidth=1000" << "-o" << dir.filePath("out.png") << in.path;
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(exe, args);
        if (!p.waitForFinished(20000))
            p.kill();
        ++count;
    }
    return t.nsecsElapsed() / 1e9;
}

// Seconds for a command line, or -1 when it could not run.
double timed(const QString& exe, const QStringList& args) {
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(exe, args);
    if (!p.waitForFinished(600000)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    return t.nsecsElapsed() / 1e9;
}

int countPngs(const QString& dir) {
    return int(QDir(dir).entryList({QStringLiteral("*.png")}, QDir::Files).size());
}

// The EMF files of the corpus to PNG at width 1000, both ways.
void endToEnd(const QList<Input>& inputs) {
    QStringList emfs;
    for (const Input& in : inputs)
        if (in.emf && !in.path.contains(QLatin1String("emf-corrupted")))
            emfs << in.path;
    const QString render = QCoreApplication::applicationDirPath() + "/quillmark-render";
    QTemporaryDir ours, theirs;
    const double tOurs = timed(render, QStringList{"--out-dir", ours.path(), "--width", "1000"} + emfs);
    if (tOurs < 0) {
        std::printf("quillmark-render: not built beside the benchmark\n");
        return;
    }
    std::printf("quillmark-render --out-dir: %d EMF files to %d PNG in %.3f s = %.1f files/s\n",
                int(emfs.size()), countPngs(ours.path()), tOurs, emfs.size() / tOurs);
    const QString conv = QStandardPaths::findExecutable("emf2svg-conv");
    const QString rsvg = QStandardPaths::findExecutable("rsvg-convert");
    if (conv.isEmpty() || rsvg.isEmpty()) {
        std::printf("emf2svg-conv + rsvg-convert: not installed (Debian emf2svg, librsvg2-bin)\n");
        return;
    }
    QElapsedTimer t;
    t.start();
    for (const QString& f : emfs) {
        const QString base = theirs.filePath(QFileInfo(f).completeBaseName());
        timed(conv, {"-w", "1000", "-i", f, "-o", base + ".svg"});
        timed(rsvg, {"-w", "1000", "-o", base + ".png", base + ".svg"});
    }
    const double tTheirs = t.nsecsElapsed() / 1e9;
    std::printf("emf2svg-conv + rsvg-convert -w 1000: %d EMF files to %d PNG in %.3f s = %.1f "
                "files/s\n", int(emfs.size()), countPngs(theirs.path()), tTheirs,
                emfs.size() / tTheirs);
    std::printf("end to end to PNG, quillmark-render is %.1f times faster (target: 5)\n",
                tTheirs / tOurs);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen"
                                                                     : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    const QString root = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                  : QStringLiteral(QM_SOURCE_DIR "/../shared/corpus");
    QList<Input> inputs;
    for (const char* sub : {"wmf", "emf", "emf-corrupted"}) {
        QDir d(root + '/' + sub);
        for (const QString& name : d.entryList(QDir::Files, QDir::Name)) {
            QFile f(d.filePath(name));
            if (f.open(QIODevice::ReadOnly))
                inputs.append({d.filePath(name), f.readAll(), QLatin1String(sub) != "wmf"});
        }
    }
    if (inputs.isEmpty()) {
        std::printf("no metafiles under %s\n", qPrintable(root));
        return 1;
    }
    int warm = 0;
    playAll(inputs, true, warm); // warm up fonts and caches
    int nEmf = 0, nWmf = 0;
    double tEmf = playAll(inputs, true, nEmf);
    double tWmf = playAll(inputs, false, nWmf);
    std::printf("quillmark player: %d files in %.3f s = %.1f files/s (EMF %.1f/s, WMF %.1f/s)\n",
                nEmf + nWmf, tEmf + tWmf, (nEmf + nWmf) / (tEmf + tWmf), nEmf / tEmf, nWmf / tWmf);

    int n = 0;
    double t = runTool("emf2svg-conv", inputs, true, n);
    if (t < 0)
        std::printf("emf2svg-conv: not installed (Debian package emf2svg)\n");
    else
        std::printf("emf2svg-conv: %d EMF files in %.3f s = %.1f files/s; player is %.1f times "
                    "faster\n", n, t, n / t, (nEmf / tEmf) / (n / t));
    t = runTool("wmf2gd", inputs, false, n);
    if (t < 0)
        std::printf("wmf2gd: not installed (Debian package libwmf-bin)\n");
    else
        std::printf("wmf2gd: %d WMF files in %.3f s = %.1f files/s; player is %.1f times faster\n",
                    n, t, n / t, (nWmf / tWmf) / (n / t));
    endToEnd(inputs);
    return 0;
}
