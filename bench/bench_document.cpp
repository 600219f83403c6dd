// Loads and saves a document of 200 graphic elements holding 200 KB of metafile bytes each
// and prints how fast the letter pairs are written and read.

#include "document/appdocument.h"
#include "ui/globals.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

namespace {

constexpr int kElements = 200;
constexpr int kBytesPerElement = 200 * 1024;

// CPU time of this thread: the machine may be busy with other work.
qint64 cpuNow()
{
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

struct Timer {
    QElapsedTimer wall;
    qint64 cpu0 = 0;
    void start()
    {
        wall.start();
        cpu0 = cpuNow();
    }
    qint64 cpu() const { return cpuNow() - cpu0; }
};

double mbPerSecond(qint64 bytes, qint64 nanoseconds)
{
    return nanoseconds > 0 ? (bytes / 1e6) / (nanoseconds / 1e9) : 0;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    ResetGlobals();
    TAppDocument doc(false);
    quint32 seed = 12345;
    for (int i = 0; i < kElements; ++i) {
        QByteArray bytes(kBytesPerElement, Qt::Uninitialized);
        for (char& c : bytes) {
            seed = seed * 1103515245u + 12345u;
            c = char(seed >> 24);
        }
        TMetafile mf;
        mf.LoadFromBytes(bytes);
        doc.AddGraphic(mf, 0, nullptr);
    }
    const qint64 dataBytes = qint64(kElements) * kBytesPerElement;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.qmk"));
    // Best of a few rounds, wall-clock and CPU time of each step.
    enum Step { Encode, Save, Decode, Load, Steps };
    qint64 wall[Steps], cpu[Steps];
    std::fill(wall, wall + Steps, -1);
    std::fill(cpu, cpu + Steps, -1);
    auto keep = [&](Step s, const Timer& t) {
        const qint64 w = t.wall.nsecsElapsed(), c = t.cpu();
        wall[s] = (wall[s] < 0 || w < wall[s]) ? w : wall[s];
        cpu[s] = (cpu[s] < 0 || c < cpu[s]) ? c : cpu[s];
    };
    qint64 fileSize = 0;
    for (int r = 0; r < 3; ++r) {
        Timer t;
        t.start();
        const QByteArray encoded = doc.SaveToBytes();
        keep(Encode, t);
        fileSize = encoded.size();

        t.start();
        doc.SaveToFile(path);
        keep(Save, t);

        TAppDocument back(false);
        t.start();
        back.LoadFromBytes(encoded);
        keep(Decode, t);

        TAppDocument loaded(false);
        t.start();
        loaded.LoadFromFile(path);
        keep(Load, t);
        if (loaded.Count() != kElements || back.Count() != kElements ||
            loaded.SaveToBytes() != encoded) {
            std::fprintf(stderr, "round trip changed the document\n");
            return 1;
        }
    }
    std::printf("document: %d graphic elements, %.1f MB metafile data, %.1f MB file\n", kElements,
                dataBytes / 1e6, fileSize / 1e6);
    std::printf("MB/s of metafile data (MB/s of file text), wall clock | CPU time\n");
    const char* names[Steps] = {"writing letter pairs (memory)", "SaveToFile (incl. sync)",
                                "reading letter pairs (memory)", "LoadFromFile"};
    for (int s = 0; s < Steps; ++s)
        std::printf("%-30s %7.1f (%7.1f) | %7.1f (%7.1f)\n", names[s],
                    mbPerSecond(dataBytes, wall[s]), mbPerSecond(fileSize, wall[s]),
                    mbPerSecond(dataBytes, cpu[s]), mbPerSecond(fileSize, cpu[s]));
    return 0;
}
