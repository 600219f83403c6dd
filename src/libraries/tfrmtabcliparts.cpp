#include "libraries/tfrmtabcliparts.h"

#include "document/appdocument.h"
#include "ui/globals.h"
#include "raster/rastererror.h"
#include "metafile/rasterimport.h"
#include <QApplication>
#include <QFileInfo>
#include <QPainter>
#include <QPushButton>

namespace {
// Hourglass while a picture is read or drawn, also when that fails.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};
} // namespace

TfrmTabCliparts::TfrmTabCliparts(QWidget* parent)
    : TLibraryWorkspace(QStringLiteral("|Clipartbibliothekenauswahl"),
                        QStringLiteral("|Clipartauswahl"), parent) {}

TfrmTabCliparts::~TfrmTabCliparts() = default;

QString TfrmTabCliparts::LibraryRoot() const {
    return ClipartDir;
}

QList<TLibraryNode> TfrmTabCliparts::ParseList(const QStringList& lines) const {
    return ParseClipartList(lines);
}

void TfrmTabCliparts::LoadBitmapPicture(const QString& fileName, TMetafile& metafile) {
    try {
        // The picture is drawn 1:1 at the origin of a metafile of its own pixel size.
        metafile = ImportRasterPicture(fileName);
    } catch (const TRasterError& e) {
        throw TLibraryError(e.message());
    }
}

void TfrmTabCliparts::PreviewEntry(const QString& name) {
    WaitCursor wait;
    const QString path = EntryPath(name);
    if (!QFileInfo::exists(path))
        return;
    const QString type = LibraryType().toUpper();
    TMetafile picture;
    if (type == QLatin1String("WMF")) {
        try {
            picture.LoadFromFile(path);
        } catch (const TMetafileError& e) {
            throw TLibraryError(e.message());
        }
    } else if (type == QLatin1String("BMP")) {
        LoadBitmapPicture(path, picture);
    } else if (type == QLatin1String("QMG")) {
        QStringList lines;
        ::LoadPathList(path, lines, picture);
    } else {
        return;
    }
    m_metafile = picture;
    m_pictureWidth = m_metafile.Width();
    m_pictureHeight = m_metafile.Height();
    m_frameWidth = m_metafile.MMWidth();
    m_frameHeight = m_metafile.MMHeight();
    Button->setEnabled(true);
    fitPreview();
}

void TfrmTabCliparts::ClearPreview() {
    m_metafile = TMetafile();
    m_pictureWidth = m_pictureHeight = 0;
    m_frameWidth = m_frameHeight = 0;
}

void TfrmTabCliparts::fitPreview() {
    if (m_pictureWidth <= 0 || m_pictureHeight <= 0)
        return;
    int w = 0;
    int h = 0;
    FitKeepingAspect(m_pictureWidth, m_pictureHeight, PreviewBox->width(), PreviewBox->height(), w,
                     h);
    m_metafile.SetWidth(w);
    m_metafile.SetHeight(h);
}

void TfrmTabCliparts::PreviewResized() {
    if (m_metafile.Width() != 0 && m_metafile.Height() != 0)
        fitPreview();
}

void TfrmTabCliparts::PaintPreview(QPainter& painter) {
    if (m_metafile.Empty())
        return;
    WaitCursor wait;
    painter.setRenderHint(QPainter::Antialiasing);
    m_metafile.Play(painter, QRect(1, 1, m_metafile.Width(), m_metafile.Height()));
}

void TfrmTabCliparts::ButtonClick() {
    if (!Button->isEnabled())
        return;
    KeepEditorBitmap = false;
    if (MainLink)
        MainLink->Change2Editor();
    const QString type = LibraryType().toUpper();
    bool added = false;
    if (type == QLatin1String("WMF") || type == QLatin1String("BMP")) {
        if (!m_metafile.Empty()) {
            // At its own size, whatever size the preview shows it in.
            TMetafile picture = m_metafile;
            picture.SetMMWidth(m_frameWidth);
            picture.SetMMHeight(m_frameHeight);
            Document->AddGraphic(picture, type == QLatin1String("WMF") ? 0 : 1, nullptr,
                                  CurrentSide);
            added = true;
        }
    } else if (type == QLatin1String("QMG")) {
        QStringList lines;
        TMetafile picture;
        try {
            ::LoadPathList(EntryPath(SelectedName()), lines, picture);
        } catch (const TLibraryError& e) {
            ShowError(e.message());
            return;
        }
        Document->AddGraphic(picture, 2, &lines, CurrentSide);
        added = true;
    }
    if (!added)
        return;
    if (MainLink)
        MainLink->SelectElement(0, true);
    else
        Document->SelectedIndex = 0;
    Document->InsertUndo(QStringLiteral("-0"));
}
