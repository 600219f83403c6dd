#include "libraries/tfrmtabtemplates.h"

#include "document/appdocument.h"
#include "ui/globals.h"
#include "document/units.h"
#include <QFileInfo>
#include <QPainter>
#include <QPushButton>

TfrmTabTemplates::TfrmTabTemplates(QWidget* parent)
    : TLibraryWorkspace(QStringLiteral("|Bibliothekenauswahl"), QStringLiteral("|Vorlagenauswahl"),
                        parent),
      m_preview(std::make_unique<TAppDocument>(false)) {
    PreviewResized();
}

TfrmTabTemplates::~TfrmTabTemplates() = default;

QString TfrmTabTemplates::LibraryRoot() const {
    return TemplateDir;
}

QList<TLibraryNode> TfrmTabTemplates::ParseList(const QStringList& lines) const {
    return ParseTemplateList(lines);
}

void TfrmTabTemplates::PreviewEntry(const QString& name) {
    Button->setEnabled(true);
    if (LibraryType().compare(QLatin1String("QMK"), Qt::CaseInsensitive) != 0)
        return;
    const QString path = EntryPath(name);
    if (!QFileInfo::exists(path)) {
        // Otherwise the template shown before would be applied under this one's name.
        Button->setEnabled(false);
        m_preview->Clear();
        redrawBitmap();
        throw TLibraryError(QStringLiteral("Die Vorlage \"%1\" wurde nicht gefunden.").arg(path));
    }
    try {
        m_preview->LoadFromFile(path);
    } catch (const TDocumentError& e) {
        // A template that could not be read must not be applied half-read.
        Button->setEnabled(false);
        m_preview->Clear();
        redrawBitmap();
        throw TLibraryError(e.message());
    }
    redrawBitmap();
}

void TfrmTabTemplates::ClearPreview() {
    m_preview->Clear();
    redrawBitmap();
}

void TfrmTabTemplates::redrawBitmap() {
    m_bitmap.fill(Qt::white);
    if (m_bitmap.isNull())
        return;
    QPainter painter(&m_bitmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const double zoom = m_preview->FitZoom(m_bitmap.width(), m_bitmap.height());
    m_preview->DrawElements(painter, zoom, CurrentSide);
    // A hairline shows where the sheet ends when it is smaller than the preview.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QColor(190, 190, 190));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, std::min(m_bitmap.width() - 1, MmToPixel(zoom, m_preview->PageWidth)),
                     std::min(m_bitmap.height() - 1, MmToPixel(zoom, m_preview->PageHeight)));
}

void TfrmTabTemplates::PreviewResized() {
    m_bitmap = QImage(PreviewBox->size(), QImage::Format_RGB32);
    redrawBitmap();
}

void TfrmTabTemplates::PaintPreview(QPainter& painter) {
    painter.drawImage(0, 0, m_bitmap);
}

void TfrmTabTemplates::ButtonClick() {
    if (!Button->isEnabled())
        return;
    if (!QueryDiscard(*Document))
        return;
    Document->CopyFrom(*m_preview);
    // Undo entries of the previous document would act on the template's elements.
    Document->UndoList.clear();
    KeepEditorView = false;
    KeepEditorBitmap = false;
    if (MainLink) {
        MainLink->Change2Editor();
        MainLink->SelectElement(-1, false);
    } else {
        Document->SelectedIndex = -1;
    }
}
