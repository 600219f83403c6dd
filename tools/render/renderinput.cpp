#include "renderinput.h"

#include "document/appdocument.h"
#include "document/docelement.h"
#include "document/units.h"
#include "document/librarylist.h"
#include "metafile/rasterimport.h"
#include "platform/fileerror.h"
#include "metafile/metafileinfo.h"
#include "metafile/metafileplayer.h"
#include "metafile/tmetafile.h"
#include "metafile/svgpicture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <cerrno>
#include <cmath>
#include <new>

namespace {

QString fileText(const QString& fileName) {
    return QDir::toNativeSeparators(fileName);
}

[[noreturn]] void fail(const QString& fileName, const QString& reason) {
    throw TRenderError(QStringLiteral("Die Datei „%1“ %2").arg(fileText(fileName), reason));
}

// Runs f and turns every error of the libraries into a TRenderError naming the file.
template <class F>
auto guarded(const QString& fileName, F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (const TRenderError&) {
        throw;
    } catch (const std::bad_alloc&) {
        fail(fileName, QStringLiteral("braucht mehr Speicher, als frei ist."));
    } catch (const std::exception& e) {
        QString m = OneLine(QString::fromUtf8(e.what()));
        if (!m.contains(QFileInfo(fileName).fileName()))
            m = QStringLiteral("Die Datei „%1“ kann nicht verwendet werden: %2")
                    .arg(fileText(fileName), m);
        throw TRenderError(m);
    }
}

void checkReadable(const QString& fileName) {
    const QFileInfo info(fileName);
    if (!info.exists())
        fail(fileName, QStringLiteral("gibt es nicht."));
    if (info.isDir())
        fail(fileName, QStringLiteral("ist ein Ordner."));
    if (!info.isReadable())
        fail(fileName, QStringLiteral("lässt sich nicht lesen."));
}

// The document loader quietly keeps a file without the magic line as an empty document;
// here such a file is an error, so that nothing empty is rendered or saved in its place.
// A damaged document is refused too unless accepted: a picture or copy of its readable part
// would pass for the whole document.
void loadDocument(TAppDocument& doc, const QString& fileName, bool acceptDamaged) {
    QFile file(fileName);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        fail(fileName,
             QStringLiteral("lässt sich nicht öffnen: %1").arg(FileErrorText(file, errno)));
    QByteArray first = file.readLine(64);
    while (first.endsWith('\n') || first.endsWith('\r'))
        first.chop(1);
    if (first != "Quillmark 10000")
        fail(fileName, QStringLiteral("ist kein Quillmark-Dokument (die erste Zeile ist nicht "
                                      "„Quillmark 10000“)."));
    file.close();
    doc.LoadFromFile(fileName);
    if (doc.LoadReport.Damaged && !acceptDamaged)
        throw TRenderError(DamageText(fileName, doc.LoadReport) +
                           QStringLiteral(" Mit --accept-damaged wird der lesbare Teil verwendet."));
}

// The picture a metafile, path-list or raster file stands for.
TMetafile loadPicture(const QString& fileName, TInputKind kind, QStringList* pathList = nullptr) {
    return guarded(fileName, [&] {
        TMetafile mf;
        switch (kind) {
        case TInputKind::Metafile:
            mf.LoadFromFile(fileName);
            if (!mf.Valid())
                fail(fileName, QStringLiteral("enthält kein Bild: %1").arg(mf.Problem()));
            break;
        case TInputKind::PathList: {
            QStringList lines;
            LoadPathList(fileName, lines, mf);
            if (pathList)
                *pathList = lines;
            break;
        }
        case TInputKind::Raster:
            mf = ImportRasterPicture(fileName);
            break;
        case TInputKind::Drawing:
            mf = ImportSvgPicture(fileName);
            break;
        default:
            fail(fileName, QStringLiteral("ist kein Bild."));
        }
        return mf;
    });
}

QSize outputSize(const QString& fileName, double naturalW, double naturalH,
                 const TRenderOptions& options) {
    if (!(naturalW > 0) || !(naturalH > 0))
        fail(fileName, QStringLiteral("hat keine Größe."));
    double w, h;
    if (options.width > 0) {
        w = options.width;
        h = std::max(1.0, std::round(options.width * naturalH / naturalW));
    } else {
        w = std::max(1.0, std::round(naturalW * options.zoom));
        h = std::max(1.0, std::round(naturalH * options.zoom));
    }
    if (w > kMaxRenderSide || h > kMaxRenderSide || w * h > double(kMaxRenderPixels))
        fail(fileName, QStringLiteral("ergäbe ein zu großes Bild (%1 × %2 Pixel).")
                           .arg(w, 0, 'f', 0)
                           .arg(h, 0, 'f', 0));
    return QSize(int(w), int(h));
}

QImage whiteImage(const QString& fileName, QSize size) {
    QImage img(size, QImage::Format_RGB32);
    if (img.isNull())
        fail(fileName, QStringLiteral("braucht mehr Speicher, als frei ist."));
    img.fill(Qt::white);
    return img;
}

void addCounts(QMap<QString, int>& sum, const QMap<QString, int>& more) {
    for (auto it = more.cbegin(); it != more.cend(); ++it)
        sum[it.key()] += it.value();
}

QStringList documentInfo(const QString& fileName) {
    return guarded(fileName, [&] {
        TAppDocument doc(false);
        loadDocument(doc, fileName, true);
        int front = 0, back = 0, pictures = 0, texts = 0;
        // All pictures of the document together, as for one picture.
        TMetafileInfo all;
        all.form = QStringLiteral("Dokument");
        all.width = MmToPixel(1.0, doc.PageWidth);
        all.height = MmToPixel(1.0, doc.PageHeight);
        all.mmWidth = int(std::lround(doc.PageWidth * 100));
        all.mmHeight = int(std::lround(doc.PageHeight * 100));
        QStringList problems;
        for (const auto& e : doc.Elements) {
            (e->Side == 0 ? front : back)++;
            if (const auto* g = dynamic_cast<const TDocElementWMF*>(e.get())) {
                ++pictures;
                const TMetafileInfo info = AnalyseMetafile(g->Metafile);
                all.records += info.records;
                addCounts(all.recordCounts, info.recordCounts);
                addCounts(all.unsupported, info.unsupported);
                if (!info.problem.isEmpty())
                    problems << OneLine(info.problem);
            } else {
                ++texts;
            }
        }
        all.problem = problems.join(QStringLiteral("; "));
        QStringList lines = all.ToText().split(QLatin1Char('\n'));
        lines.insert(1, QStringLiteral("Elemente: %1 (Vorderseite %2, Rückseite %3; Bilder %4, "
                                       "Texte %5)")
                            .arg(doc.Count())
                            .arg(front)
                            .arg(back)
                            .arg(pictures)
                            .arg(texts));
        if (doc.LoadReport.Damaged)
            lines.insert(2, QStringLiteral("Beschädigt: %1 (gelesen: %2 von %3 Zeilen)")
                                .arg(doc.LoadReport.Reason)
                                .arg(doc.LoadReport.GoodLines)
                                .arg(doc.LoadReport.Lines));
        return lines;
    });
}

} // namespace

QString OneLine(const QString& message) {
    return message.simplified();
}

TInputKind InputKindOf(const QString& fileName) {
    const QString ext = QFileInfo(fileName).suffix().toLower();
    if (ext == QLatin1String("qmk"))
        return TInputKind::Document;
    if (ext == QLatin1String("wmf") || ext == QLatin1String("emf"))
        return TInputKind::Metafile;
    if (ext == QLatin1String("qmg"))
        return TInputKind::PathList;
    // Every picture the editor imports.
    static const QStringList raster{"bmp", "dib", "gif", "tif", "tiff", "jpg", "jpeg", "png"};
    if (raster.contains(ext))
        return TInputKind::Raster;
    if (ext == QLatin1String("svg") || ext == QLatin1String("svgz"))
        return TInputKind::Drawing;
    return TInputKind::Unknown;
}

namespace {

// Plays a picture file into a white image of the output size; the image's pixels are
// the picture's destination pixels.
QImage renderPicture(const QString& fileName, TInputKind kind, const TRenderOptions& options,
                     const TMetafilePlayOptions& play) {
    const TMetafile mf = loadPicture(fileName, kind);
    // The exact size at 96 dpi, not the rounded pixel size, keeps the aspect of the frame.
    const QSize size = outputSize(fileName, mf.MMWidth() * 96.0 / 2540.0,
                                  mf.MMHeight() * 96.0 / 2540.0, options);
    return guarded(fileName, [&] {
        QImage img = whiteImage(fileName, size);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        // All of the image: a picture at its own size then lands pixel for pixel.
        TMetafilePlayer::Play(mf, p, QRectF(QPointF(0, 0), QSizeF(size)), play);
        return img;
    });
}

} // namespace

static void checkKnown(const QString& fileName, TInputKind kind) {
    if (kind == TInputKind::Unknown)
        fail(fileName, QStringLiteral("hat keine bekannte Endung (.qmk, .wmf, .emf, .qmg, "
                                      ".bmp, .gif, .tif, .tiff, .jpg, .jpeg, .png, .svg, .svgz)."));
}

QImage RenderInput(const QString& fileName, const TRenderOptions& options) {
    checkReadable(fileName);
    const TInputKind kind = InputKindOf(fileName);
    checkKnown(fileName, kind);
    if (!(options.zoom > 0) || options.zoom > 1000)
        throw TRenderError(QStringLiteral("Der Zoom muss größer als 0 und höchstens 1000 sein."));
    if (kind == TInputKind::Document) {
        return guarded(fileName, [&] {
            TAppDocument doc(false);
            loadDocument(doc, fileName, options.acceptDamaged);
            const QSize size = outputSize(fileName, doc.PageWidth / MmPerPixel,
                                          doc.PageHeight / MmPerPixel, options);
            const double zoom = size.width() * MmPerPixel / doc.PageWidth;
            QImage img = whiteImage(fileName, size);
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing);
            p.setRenderHint(QPainter::TextAntialiasing);
            doc.DrawElements(p, zoom, options.side);
            return img;
        });
    }
    return renderPicture(fileName, kind, options, {});
}

QStringList TraceInput(const QString& fileName, const TRenderOptions& options) {
    checkReadable(fileName);
    const TInputKind kind = InputKindOf(fileName);
    checkKnown(fileName, kind);
    if (kind == TInputKind::Document)
        fail(fileName, QStringLiteral("ist ein Dokument; --trace zeigt nur Bilder "
                                      "(.wmf, .emf, .qmg, Rasterbilder)."));
    QStringList lines;
    TMetafilePlayOptions play;
    play.trace = [&lines](const QString& line) { lines << line; };
    renderPicture(fileName, kind, options, play);
    return lines;
}

QStringList InputInfo(const QString& fileName) {
    checkReadable(fileName);
    const TInputKind kind = InputKindOf(fileName);
    checkKnown(fileName, kind);
    QStringList lines{QStringLiteral("Datei: %1").arg(fileText(fileName))};
    if (kind == TInputKind::Document)
        return lines + documentInfo(fileName);
    QStringList pathList;
    const TMetafile mf = loadPicture(fileName, kind, &pathList);
    if (kind == TInputKind::PathList)
        lines << QStringLiteral("Quelle: Pfadliste (%1 Zeilen), aufgezeichnet").arg(pathList.size());
    else if (kind == TInputKind::Raster)
        lines << QStringLiteral("Quelle: Rasterbild, aufgezeichnet");
    else if (kind == TInputKind::Drawing)
        lines << QStringLiteral("Quelle: SVG-Zeichnung, aufgezeichnet");
    const TMetafileInfo info = guarded(fileName, [&] { return AnalyseMetafile(mf); });
    return lines + info.ToText().split(QLatin1Char('\n'));
}

void ResaveDocument(const QString& inName, const QString& outName, bool acceptDamaged) {
    checkReadable(inName);
    if (InputKindOf(inName) != TInputKind::Document)
        fail(inName, QStringLiteral("ist kein Dokument (.qmk)."));
    TAppDocument doc(false);
    guarded(inName, [&] { loadDocument(doc, inName, acceptDamaged); });
    guarded(outName, [&] { doc.SaveToFile(outName); });
}
