// Page "Allgemein" of the settings workspace: the sheet format, the paper position, the undo
// depth and the paper preview; and the note of page "Notiz".

#include "settings/tfrmtabsettings.h"

#include "ui/globals.h"
#include "document/units.h"
#include "ui/messages.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QToolButton>
#include <cmath>

namespace {

struct TSheetFormat {
    double width;
    double height;
};

// Items 1 to 6 of FormatCombo; item 0 is "Benutzerdefiniert".
const TSheetFormat formats[7] = {{0, 0},     {210, 297}, {297, 210}, {148, 210},
                                 {210, 148}, {105, 148}, {148, 105}};

constexpr double previewZoom = 0.12;
constexpr int minUndoDepth = 1;
constexpr int maxUndoDepth = 32000;
// Sizes the program can still show and print; larger or non-positive entries are ignored.
constexpr double maxPageSize = 10000;

// A size typed into an edit ("90,5" or "90.5"); false with the German reason otherwise.
bool readSize(const QLineEdit* edit, const QString& name, double current, double& out,
              QString& reason)
{
    const QString kept = QStringLiteral(" Es bleibt bei %1 mm.").arg(FormatPageSize(current).trimmed());
    QString why;
    const std::optional<double> value = ParseMillimetres(edit->text(), &why);
    if (!value) {
        reason = QStringLiteral("%1: %2").arg(name, why) + kept;
        return false;
    }
    if (*value <= 0 || *value > maxPageSize) {
        reason = QStringLiteral("%1: %2 mm geht nicht, erlaubt sind mehr als 0 bis %3 mm.")
                     .arg(name, QString::number(*value).replace(u'.', u','))
                     .arg(maxPageSize, 0, 'f', 0) +
                 kept;
        return false;
    }
    out = *value;
    return true;
}

} // namespace

QString FormatPageSize(double mm)
{
    return QStringLiteral("%1").arg(mm, 7, 'f', 1);
}

void TfrmTabSettings::FormatComboChange()
{
    Applying = false;
    const double oldWidth = Document ? Document->PageWidth : 0;
    const double oldHeight = Document ? Document->PageHeight : 0;
    const int index = FormatCombo->currentIndex();
    const bool custom = index == 0;
    EditPageWidth->setEnabled(custom);
    EditPageHeight->setEnabled(custom);
    ApplyBtn->setEnabled(custom);
    if (custom)
        UserDefined = true;
    if (index >= 1 && index <= 6 && Document) {
        Document->PageWidth = formats[index].width;
        Document->PageHeight = formats[index].height;
    }
    Applying = true;
    ApplyBtnClick();
    if (Document && (Document->PageWidth != oldWidth || Document->PageHeight != oldHeight))
        Document->Modified = true;
}

void TfrmTabSettings::ApplyBtnClick()
{
    if (!Applying || !Document)
        return;
    const double oldWidth = Document->PageWidth;
    const double oldHeight = Document->PageHeight;
    const int oldOrientation = Document->Orientation;
    const int index = FormatCombo->currentIndex();
    if (!UserDefined) {
        if (index >= 1 && index <= 6) {
            Document->PageWidth = formats[index].width;
            Document->PageHeight = formats[index].height;
        }
        EditPageWidth->setEnabled(false);
        EditPageHeight->setEnabled(false);
        ApplyBtn->setEnabled(false);
    }
    if (index == 0 || UserDefined) {
        double value = 0;
        QStringList refused;
        QString reason;
        if (readSize(EditPageWidth, QStringLiteral("Breite"), Document->PageWidth, value, reason))
            Document->PageWidth = value;
        else
            refused << reason;
        if (readSize(EditPageHeight, QStringLiteral("Höhe"), Document->PageHeight, value, reason))
            Document->PageHeight = value;
        else
            refused << reason;
        if (!refused.isEmpty())
            ShowMessage(this, QStringLiteral("Blattgröße"), refused.join(QLatin1Char('\n')));
        EditPageWidth->setEnabled(true);
        EditPageHeight->setEnabled(true);
        ApplyBtn->setEnabled(true);
    }
    Document->Orientation = OrientationButtons->checkedId() == 1 ? 1 : 0;
    if (Document->PageWidth != oldWidth || Document->PageHeight != oldHeight ||
        Document->Orientation != oldOrientation)
        Document->Modified = true;
    CancelBtnClick();
    // The editor fits and redraws the reshaped sheet when it is shown next.
    KeepEditorView = false;
    KeepEditorBitmap = false;
}

void TfrmTabSettings::selectMatchingFormat()
{
    for (int i = 1; i <= 6; ++i) {
        if (formats[i].width == Document->PageWidth && formats[i].height == Document->PageHeight) {
            FormatCombo->setCurrentIndex(i);
            return;
        }
    }
}

void TfrmTabSettings::CancelBtnClick()
{
    if (!Document)
        return;
    Applying = false;
    OrientationButtons->button(Document->Orientation == 1 ? 1 : 0)->setChecked(true);
    if (!UserDefined) {
        FormatCombo->setCurrentIndex(0);
        selectMatchingFormat();
        EditPageWidth->setText(FormatPageSize(Document->PageWidth));
        EditPageHeight->setText(FormatPageSize(Document->PageHeight));
    } else if (FormatCombo->currentIndex() > 0) {
        selectMatchingFormat();
    }
    const bool custom = FormatCombo->currentIndex() == 0;
    EditPageWidth->setEnabled(custom);
    EditPageHeight->setEnabled(custom);
    ApplyBtn->setEnabled(custom);
    UserDefined = false;
    if (Notizen->toPlainText() != Document->Notes) {
        m_loading = true;
        Notizen->setPlainText(Document->Notes);
        m_loading = false;
    }
    Page->update();
    Applying = true;
}

void TfrmTabSettings::ExchangeBtnClick()
{
    Applying = false;
    const QString width = EditPageWidth->text();
    EditPageWidth->setText(EditPageHeight->text());
    EditPageHeight->setText(width);
    UserDefined = true;
    Applying = true;
    ApplyBtnClick();
    Page->update();
}

void TfrmTabSettings::setUndoDepthText(const QString& text)
{
    EditReturnMax->setText(text);
}

void TfrmTabSettings::EditReturnMaxChange()
{
    bool ok = false;
    const int depth = EditReturnMax->text().trimmed().toInt(&ok);
    if (!ok) {
        setUndoDepthText(QStringLiteral("10"));
        return;
    }
    // Below one, erasing and cutting would find no undo entry to mark; above the up-down
    // control's range nothing is gained.
    if (depth < minUndoDepth) {
        setUndoDepthText(QString::number(minUndoDepth));
        return;
    }
    if (depth > maxUndoDepth) {
        setUndoDepthText(QString::number(maxUndoDepth));
        return;
    }
    if (!Document)
        return;
    Document->UndoLimit = depth;
    while (Document->UndoList.size() > Document->UndoLimit)
        Document->UndoList.removeLast();
    while (Document->RedoList.size() > Document->UndoLimit)
        Document->RedoList.removeLast();
}

void TfrmTabSettings::PagePaint(QPainter& canvas, const QSize& box) const
{
    canvas.fillRect(QRect(QPoint(0, 0), box), Qt::white);
    if (!Document)
        return;
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setBrush(Qt::NoBrush);
    const bool across = Document->Orientation == 1;
    const int paperWidth = MmToPixel(previewZoom, across ? 297 : 210);
    const int paperHeight = MmToPixel(previewZoom, across ? 210 : 297);
    const int left = (box.width() - paperWidth) / 2;
    const int top = (box.height() - paperHeight) / 2;
    // A one-pixel frame covering the pixels left .. left + width - 1.
    canvas.setPen(QPen(QColor(0, 0, 255), 0));
    canvas.drawRect(left, top, paperWidth - 1, paperHeight - 1);

    const int sheetWidth = MmToPixel(previewZoom, Document->PageWidth);
    const int sheetHeight = MmToPixel(previewZoom, Document->PageHeight);
    const int sheetTop = across ? top + MmToPixel(previewZoom, 210 - Document->PageHeight) : top;
    canvas.setPen(QPen(QColor(255, 0, 0), 0));
    canvas.drawRect(left, sheetTop, sheetWidth - 1, sheetHeight - 1);
}

void TfrmTabSettings::NotizenChange()
{
    if (m_loading || !Document)
        return;
    const QString text = Notizen->toPlainText();
    if (text == Document->Notes)
        return;
    // The note is saved with the document, so a changed note is an unsaved change.
    Document->Notes = text;
    Document->Modified = true;
}
