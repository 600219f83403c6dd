// Inserting a picture file as a new graphic element, and the picture formats Copy offers
// to other programs.

#include "document/cp1252.h"
#include "ui/globals.h"
#include "editor/tfrmtabeditor.h"
#include "editor/undokeys.h"
#include "metafile/rasterimport.h"
#include "metafile/emfpaintdevice.h"
#include "metafile/svgpicture.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMimeData>
#include <QPainter>

namespace {

// A path list is a small text file; anything far larger is not one.
constexpr qint64 MaxPathListBytes = 64 * 1024 * 1024;
// The size line must name a picture of at most 100 m in each direction.
constexpr int MaxPathListSize = 10'000'000;

// The extension counts only when its first occurrence is at the very end of the name.
bool endsWithOnly(const QString& upperName, const QString& extension) {
    const int at = upperName.indexOf(extension);
    return at >= 0 && at == upperName.size() - extension.size();
}

// A path-list file that cannot be used; the message names the file.
struct TPathListFileError {
    QString message;
};

TPathListFileError noPathList(const QString& fileName, const QString& reason) {
    return {QStringLiteral("Die Datei „%1“ kann nicht als Pfadliste gelesen werden: %2")
                .arg(QDir::toNativeSeparators(fileName), reason)};
}

// Reads a path-list file (Windows-1252 text, CR LF or LF) into its lines and renders it;
// throws TPathListFileError when it cannot be used.
TMetafile readPathList(const QString& fileName, QStringList& lines) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw noPathList(fileName, QStringLiteral("Die Datei lässt sich nicht öffnen."));
    if (file.size() > MaxPathListBytes)
        throw noPathList(fileName, QStringLiteral("Die Datei ist zu groß."));
    const QByteArray bytes = file.readAll();
    // The list travels in the document, which writes it back in the same code page.
    QString text = FromCp1252(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (lines.isEmpty())
        throw noPathList(fileName, QStringLiteral("Die Datei ist leer."));

    // Size line: one leading character, width, "b", height, "h" (0.01 mm).
    const QString& sizeLine = lines.first();
    const int b = sizeLine.indexOf(QLatin1Char('b'));
    const int h = sizeLine.indexOf(QLatin1Char('h'), b + 1);
    bool okW = false, okH = false;
    const int width = b > 1 ? sizeLine.mid(1, b - 1).toInt(&okW) : 0;
    const int height = h > b + 1 ? sizeLine.mid(b + 1, h - b - 1).toInt(&okH) : 0;
    if (!okW || !okH || width <= 0 || height <= 0 || width > MaxPathListSize ||
        height > MaxPathListSize)
        throw noPathList(fileName,
                         QStringLiteral("Die erste Zeile nennt keine gültige Bildgröße."));

    TMetafile metafile;
    metafile.SetMMWidth(width);
    metafile.SetMMHeight(height);
    try {
        TAppDocument::RenderPathList(metafile, lines);
    } catch (const TPathListError& e) {
        throw noPathList(fileName, e.message());
    }
    return metafile;
}

} // namespace

QString TfrmTabEditor::GraphicFilter() {
    // The classic filter text, turned into the dialog's "name (pattern);;..." form.
    // "Alle Bilder" first, so that every picture the import reads is offered at once.
    const QString classic = QStringLiteral(
        "Alle Bilder (*.bmp *.gif *.jpg *.jpeg *.tif *.tiff *.png *.svg *.svgz *.wmf *.emf "
        "*.qmg)|*.bmp|"
        "Windows-BitMaps (*.bmp)|*.bmp|CompuServe GIF (*.gif)|*.gif|"
        "JPEG (*.jpg *.jpeg)|*.jpg|TIFF (*.tif *.tiff)|*.tif|PNG (*.png)|*.png|"
        "SVG-Zeichnungen (*.svg *.svgz)|*.svg|Windows-MetaFiles (*.wmf)|*.wmf|"
        "Erweiterte Metadateien (*.emf)|*.emf|Pfadlisten (*.qmg)|*.qmg");
    const QStringList parts = classic.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        filters << parts.at(i);
    return filters.join(QStringLiteral(";;"));
}

void TfrmTabEditor::SpeedButtonGraphicClick() {
    QString fileName;
    if (AskGraphicFileName) {
        fileName = AskGraphicFileName();
    } else {
        QFileDialog dialog(this);
        dialog.setObjectName(QStringLiteral("OpenWMForBmpDialog"));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilter(GraphicFilter());
        dialog.setDirectory(QDir::homePath());
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            fileName = dialog.selectedFiles().first();
    }
    if (!fileName.isEmpty())
        ImportGraphicFile(fileName);
}

bool TfrmTabEditor::ImportGraphicFile(const QString& fileName) {
    const QString upper = fileName.toUpper();
    try {
        if (endsWithOnly(upper, QStringLiteral(".WMF")) ||
            endsWithOnly(upper, QStringLiteral(".EMF"))) {
            TMetafile metafile;
            metafile.LoadFromFile(fileName);
            if (metafile.Empty())
                return false;
            insertPicture(metafile, 0, nullptr);
        } else if (endsWithOnly(upper, QStringLiteral(".BMP")) ||
                   endsWithOnly(upper, QStringLiteral(".JPG")) ||
                   endsWithOnly(upper, QStringLiteral(".JPEG")) ||
                   endsWithOnly(upper, QStringLiteral(".GIF")) ||
                   endsWithOnly(upper, QStringLiteral(".TIF")) ||
                   endsWithOnly(upper, QStringLiteral(".TIFF")) ||
                   endsWithOnly(upper, QStringLiteral(".PNG"))) {
            const TMetafile metafile = ImportRasterPicture(fileName);
            if (metafile.Empty())
                return false;
            insertPicture(metafile, 1, nullptr);
        } else if (endsWithOnly(upper, QStringLiteral(".SVG")) ||
                   endsWithOnly(upper, QStringLiteral(".SVGZ"))) {
            // A drawing stays a vector picture, like a metafile.
            insertPicture(ImportSvgPicture(fileName), 0, nullptr);
        } else if (endsWithOnly(upper, QStringLiteral(".QMG"))) {
            QStringList lines;
            const TMetafile metafile = readPathList(fileName, lines);
            insertPicture(metafile, 2, &lines);
        } else {
            // The long names of JPEG and TIFF were refused without a word; now every
            // refusal says why.
            ShowError(QStringLiteral("Die Datei „%1“ kann nicht eingefügt werden: Nur Bilder "
                                     "der Arten BMP, GIF, JPEG, TIFF, PNG, SVG, WMF, EMF "
                                     "und Pfadlisten (QMG) werden unterstützt.")
                          .arg(QDir::toNativeSeparators(fileName)));
            return false;
        }
    } catch (const TMetafileError& e) {
        ShowError(e.message());
        return false;
    } catch (const TRasterError& e) {
        ShowError(e.message());
        return false;
    } catch (const TPathListFileError& e) {
        ShowError(e.message);
        return false;
    } catch (const std::bad_alloc&) {
        ShowError(QStringLiteral("Für die Datei „%1“ reicht der Speicher nicht.")
                      .arg(QDir::toNativeSeparators(fileName)));
        return false;
    }
    return true;
}

void TfrmTabEditor::insertPicture(const TMetafile& metafile, int sourceKind,
                                  const QStringList* pathList) {
    Document->AddGraphic(metafile, sourceKind, pathList, CurrentSide);
    SelectElement(0, true);
    insertUndo(InsertedUndoKey(0));
}

QMimeData* TfrmTabEditor::PictureMimeData(const TMetafile& metafile) {
    if (metafile.Empty() || !metafile.Valid())
        return nullptr;
    const int w = std::max(1, metafile.Width());
    const int h = std::max(1, metafile.Height());

    QByteArray emf;
    if (metafile.GetForm() == TMetafile::Form::Emf) {
        emf = metafile.Bytes();
    } else {
        // Other programs take EMF only: play the WMF into a recording.
        TMetafile recorded;
        recorded.SetMMWidth(metafile.MMWidth());
        recorded.SetMMHeight(metafile.MMHeight());
        {
            TEmfPaintDevice device(recorded, QSize(w, h));
            QPainter painter(&device);
            metafile.Play(painter, QRectF(0, 0, w, h));
            painter.end();
            device.Close();
        }
        emf = recorded.Bytes();
    }

    // A rendered copy for programs without metafile support, kept to a sane size.
    const double scale = std::min(1.0, 4096.0 / std::max(w, h));
    QImage image(std::max(1, int(w * scale)), std::max(1, int(h * scale)),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        metafile.Play(painter, QRectF(image.rect()));
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");

    auto* data = new QMimeData;
    if (!emf.isEmpty())
        data->setData(QStringLiteral("image/x-emf"), emf);
    data->setData(QStringLiteral("image/png"), png);
    return data;
}
