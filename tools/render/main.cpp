// quillmark-render: renders documents and pictures to PNG files from the command line.
//
//   quillmark-render INPUT OUTPUT.png [--width PX] [--side 0|1] [--zoom Z]
//   quillmark-render --out-dir DIR INPUT... [--width PX] [--side 0|1] [--zoom Z]
//   quillmark-render --info INPUT
//   quillmark-render --trace INPUT [--width PX] [--zoom Z]
//   quillmark-render --resave INPUT.qmk OUTPUT.qmk
//
// Every failure ends with exit status 1 and one line on stderr naming the file.

#include "platform/fileerror.h"
#include "platform/safefile.h"
#include "pngwrite.h"
#include "renderinput.h"

#include <QGuiApplication>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QThread>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

const char* const kUsage =
    "Aufruf:\n"
    "  quillmark-render EINGABE AUSGABE.png [--width PX] [--side 0|1] [--zoom Z]\n"
    "                   [--accept-damaged]\n"
    "  quillmark-render --out-dir ORDNER EINGABE... [--width PX] [--side 0|1] [--zoom Z]\n"
    "                   [--accept-damaged]\n"
    "  quillmark-render --info EINGABE\n"
    "  quillmark-render --trace EINGABE [--width PX] [--zoom Z]\n"
    "  quillmark-render --resave EINGABE.qmk AUSGABE.qmk [--accept-damaged]\n"
    "EINGABE: Dokument (.qmk), Metadatei (.wmf, .emf), Pfadliste (.qmg), Rasterbild\n"
    "(.bmp, .gif, .tif, .tiff, .jpg, .jpeg, .png) oder SVG-Zeichnung (.svg, .svgz).\n"
    "--out-dir schreibt eine PNG-Datei je Eingabe, mit allen Prozessorkernen.\n"
    "Ein beschädigtes Dokument wird abgelehnt; --accept-damaged verwendet seinen lesbaren Teil.\n"
    "--trace gibt die Zeichenaufrufe eines Bildes aus, eine Zeile je Aufruf, in Pixeln der\n"
    "Ausgabe (Rechtecke als LINKS,OBEN,RECHTS,UNTEN; Winkel in Grad gegen den Uhrzeigersinn):\n"
    "  text X Y WINKEL \"TEXT\" ...   polygon N RECHTECK ...   polyline N RECHTECK\n"
    "  clip RECHTECK|none|empty      image B H RECHTECK ...    patblt RECHTECK rop ROP\n";

void printLine(FILE* to, const QString& line) {
    std::fprintf(to, "%s\n", line.toUtf8().constData());
}

int failure(const QString& message) {
    printLine(stderr, QStringLiteral("quillmark-render: ") + OneLine(message));
    return 1;
}

struct Arguments {
    enum Mode { Render, OutDir, Info, Resave, Trace, Help } mode = Render;
    TRenderOptions options;
    QString outDir;
    QStringList positional;
};

// Returns an error text, empty when the arguments are usable.
QString parse(const QStringList& args, Arguments& a) {
    bool info = false, resave = false, trace = false;
    for (int i = 0; i < args.size(); ++i) {
        QString arg = args[i];
        QString value;
        bool hasValue = false;
        const int eq = arg.indexOf(QLatin1Char('='));
        if (arg.startsWith(QLatin1String("--")) && eq > 0) {
            value = arg.mid(eq + 1);
            arg = arg.left(eq);
            hasValue = true;
        }
        auto takeValue = [&]() -> bool {
            if (hasValue)
                return true;
            if (i + 1 >= args.size())
                return false;
            value = args[++i];
            return true;
        };
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            a.mode = Arguments::Help;
            return {};
        } else if (arg == QLatin1String("--info")) {
            info = true;
        } else if (arg == QLatin1String("--resave")) {
            resave = true;
        } else if (arg == QLatin1String("--trace")) {
            trace = true;
        } else if (arg == QLatin1String("--accept-damaged")) {
            a.options.acceptDamaged = true;
        } else if (arg == QLatin1String("--width") || arg == QLatin1String("--side") ||
                   arg == QLatin1String("--zoom") || arg == QLatin1String("--out-dir")) {
            if (!takeValue())
                return QStringLiteral("Der Option %1 fehlt ihr Wert.").arg(arg);
            bool ok = false;
            if (arg == QLatin1String("--width")) {
                a.options.width = value.toInt(&ok);
                if (!ok || a.options.width < 1 || a.options.width > kMaxRenderSide)
                    return QStringLiteral("--width braucht eine Pixelzahl von 1 bis %1, nicht „%2“.")
                        .arg(kMaxRenderSide)
                        .arg(value);
            } else if (arg == QLatin1String("--side")) {
                a.options.side = value.toInt(&ok);
                if (!ok || (a.options.side != 0 && a.options.side != 1))
                    return QStringLiteral("--side braucht 0 (Vorderseite) oder 1 (Rückseite), nicht „%1“.")
                        .arg(value);
            } else if (arg == QLatin1String("--zoom")) {
                a.options.zoom = value.toDouble(&ok);
                if (!ok || !(a.options.zoom > 0) || a.options.zoom > 1000)
                    return QStringLiteral("--zoom braucht eine Zahl größer als 0 bis 1000, nicht „%1“.")
                        .arg(value);
            } else {
                a.outDir = value;
                a.mode = Arguments::OutDir;
            }
        } else if (arg.startsWith(QLatin1String("--"))) {
            return QStringLiteral("Unbekannte Option „%1“.").arg(arg);
        } else {
            a.positional << args[i];
        }
    }
    if (int(info) + int(resave) + int(trace) + int(a.mode == Arguments::OutDir) > 1)
        return QStringLiteral("--info, --resave, --trace und --out-dir schließen einander aus.");
    if (info) {
        a.mode = Arguments::Info;
        if (a.positional.size() != 1)
            return QStringLiteral("--info braucht genau eine Eingabedatei.");
    } else if (trace) {
        a.mode = Arguments::Trace;
        if (a.positional.size() != 1)
            return QStringLiteral("--trace braucht genau eine Eingabedatei.");
    } else if (resave) {
        a.mode = Arguments::Resave;
        if (a.positional.size() != 2)
            return QStringLiteral("--resave braucht eine Eingabe- und eine Ausgabedatei.");
    } else if (a.mode == Arguments::OutDir) {
        if (a.positional.isEmpty())
            return QStringLiteral("--out-dir braucht mindestens eine Eingabedatei.");
    } else if (a.positional.size() != 2) {
        return QStringLiteral("Erwartet werden eine Eingabe- und eine PNG-Ausgabedatei.");
    }
    return {};
}

// Writes the PNG through a temporary file, so a failed write leaves no broken file.
void savePng(const QImage& img, const QString& fileName) {
    TSafeFile file(fileName);
    if (!file.open() || !WritePngFast(img, file) || !file.commit())
        throw TRenderError(file.ErrorMessage());
}

// One PNG per input, on as many worker threads as there are cores; each worker plays its
// files with its own player and painter.
int renderAll(const Arguments& a, const QDir& dir) {
    std::atomic<int> next{0};
    std::atomic<int> failed{0};
    // Documents, path lists and SVG drawings go through the document library and Qt's SVG
    // reader, which are not made for use from several threads at once: one at a time.
    // Metafiles and raster pictures need nothing shared.
    QMutex documents;
    auto work = [&] {
        for (int i = next++; i < a.positional.size(); i = next++) {
            const QString& input = a.positional[i];
            try {
                const QString out =
                    dir.filePath(QFileInfo(input).completeBaseName() + QStringLiteral(".png"));
                QImage img;
                const TInputKind kind = InputKindOf(input);
                if (kind == TInputKind::Document || kind == TInputKind::PathList ||
                    kind == TInputKind::Drawing) {
                    QMutexLocker lock(&documents);
                    img = RenderInput(input, a.options);
                } else {
                    img = RenderInput(input, a.options);
                }
                savePng(img, out);
            } catch (const TRenderError& e) {
                failure(e.message());
                ++failed;
            } catch (const std::exception& e) {
                failure(QString::fromUtf8(e.what()));
                ++failed;
            } catch (...) {
                failure(QStringLiteral("Unerwarteter Fehler bei „%1“.").arg(input));
                ++failed;
            }
        }
    };
    const int workers = qBound(1, QThread::idealThreadCount(), int(a.positional.size()));
    std::vector<std::thread> threads;
    for (int w = 1; w < workers; ++w)
        threads.emplace_back(work);
    work();
    for (std::thread& t : threads)
        t.join();
    return failed ? 1 : 0;
}

int run(const Arguments& a) {
    switch (a.mode) {
    case Arguments::Help:
        std::fputs(kUsage, stdout);
        return 0;
    case Arguments::Info:
        for (const QString& line : InputInfo(a.positional[0]))
            printLine(stdout, line);
        return 0;
    case Arguments::Trace:
        for (const QString& line : TraceInput(a.positional[0], a.options))
            printLine(stdout, line);
        return 0;
    case Arguments::Resave:
        ResaveDocument(a.positional[0], a.positional[1], a.options.acceptDamaged);
        return 0;
    case Arguments::Render:
        savePng(RenderInput(a.positional[0], a.options), a.positional[1]);
        return 0;
    case Arguments::OutDir: {
        const QDir dir(a.outDir);
        if (!dir.exists() && !QDir().mkpath(a.outDir))
            throw TRenderError(QStringLiteral("Der Ordner „%1“ lässt sich nicht anlegen.")
                                   .arg(QDir::toNativeSeparators(a.outDir)));
        return renderAll(a, dir);
    }
    }
    return 1;
}

// Qt's own warnings (e.g. about the runtime folder of the offscreen platform) would break
// the one-line messages; QM_RENDER_VERBOSE=1 shows them.
void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& msg) {
    if (type == QtDebugMsg || type == QtInfoMsg || type == QtWarningMsg)
        return;
    printLine(stderr, msg);
}

} // namespace

int main(int argc, char** argv) {
    // A command-line tool needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QM_RENDER_VERBOSE"))
        qInstallMessageHandler(quietMessages);
    QGuiApplication app(argc, argv);
    Arguments a;
    const QString error = parse(app.arguments().mid(1), a);
    if (!error.isEmpty()) {
        return failure(error + QStringLiteral(" (--help zeigt den Aufruf)"));
    }
    try {
        return run(a);
    } catch (const TRenderError& e) {
        return failure(e.message());
    } catch (const std::exception& e) {
        return failure(QString::fromUtf8(e.what()));
    } catch (...) {
        return failure(QStringLiteral("Unerwarteter Fehler."));
    }
}
