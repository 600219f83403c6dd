// Carrying a freshly inserted element: while it follows the pointer it is left out of the
// sheet image and painted on top from an image of its own, rendered once per zoom. A step
// of the pointer then repaints only the rectangles it leaves and enters.

#include "ui/globals.h"
#include "document/units.h"
#include "editor/tfrmtabeditor.h"

#include <QPainter>
#include <QToolButton>
#include <QWidget>
#include <algorithm>

namespace {

// An element larger than this at the zoom is not worth an image of its own; it is then
// carried as its frame only and appears on the sheet with the drop.
constexpr qint64 MaxCarriedPixels = 40'000'000;

} // namespace

const TDocElement* TfrmTabEditor::CarriedElement() const {
    if (!m_carried || !Document || m_carried != SelectedElement)
        return nullptr;
    const int i = Document->SelectedIndex;
    // Compared by address against the live stack only, never dereferenced before that: the
    // element may have been removed behind the editor's back.
    if (i < 0 || i >= Document->Count() || Document->Element(i) != m_carried)
        return nullptr;
    return m_carried->Side == CurrentSide ? m_carried : nullptr;
}

QRect TfrmTabEditor::CarriedRect() const {
    const TDocElement* e = CarriedElement();
    if (!e || m_carriedImage.isNull())
        return {};
    const QPoint corner(MmToPixel(ZoomFactor, e->Left), MmToPixel(ZoomFactor, e->Top));
    return QRect(corner + m_carriedOffset, m_carriedImage.size());
}

void TfrmTabEditor::beginCarry(TDocElement* element) {
    m_carried = element;
    // Takes the element out of the sheet image (it may have been drawn at its first place)
    // and renders its own image.
    MyMemoryBitmapPaint();
}

void TfrmTabEditor::endCarry(bool rebuild) {
    if (!m_carried)
        return;
    m_carried = nullptr;
    m_carriedImage = QImage();
    // Back into the sheet image at the place where it was dropped.
    if (rebuild) {
        MyMemoryBitmapPaint();
        Page->update();
    }
}

void TfrmTabEditor::renderCarried() {
    const TDocElement* e = CarriedElement();
    if (!e) {
        m_carriedImage = QImage();
        return;
    }
    const QRect extent = TAppDocument::ElementExtent(*e, ZoomFactor);
    const QPoint corner(MmToPixel(ZoomFactor, e->Left), MmToPixel(ZoomFactor, e->Top));
    m_carriedOffset = extent.topLeft() - corner;
    if (extent.isEmpty() || qint64(extent.width()) * extent.height() > MaxCarriedPixels) {
        m_carriedImage = QImage();
        return;
    }
    // Pictures may blit with raster operations (mask pairs) that only make sense on an
    // opaque ground: render on white and on black and take the coverage from the difference.
    QImage onWhite(extent.size(), QImage::Format_RGB32);
    QImage onBlack(extent.size(), QImage::Format_RGB32);
    if (onWhite.isNull() || onBlack.isNull()) {
        m_carriedImage = QImage();
        return;
    }
    for (QImage* ground : {&onWhite, &onBlack}) {
        ground->fill(ground == &onWhite ? Qt::white : Qt::black);
        QPainter painter(ground);
        painter.translate(-extent.topLeft());
        TAppDocument::DrawElement(painter, *e, ZoomFactor);
    }
    m_carriedImage = QImage(extent.size(), QImage::Format_ARGB32_Premultiplied);
    if (m_carriedImage.isNull())
        return;
    for (int y = 0; y < extent.height(); ++y) {
        const QRgb* w = reinterpret_cast<const QRgb*>(onWhite.constScanLine(y));
        const QRgb* b = reinterpret_cast<const QRgb*>(onBlack.constScanLine(y));
        QRgb* out = reinterpret_cast<QRgb*>(m_carriedImage.scanLine(y));
        for (int x = 0; x < extent.width(); ++x) {
            // Over black a pixel shows alpha * colour, over white that plus 1 - alpha.
            const int spread = std::max({qRed(w[x]) - qRed(b[x]), qGreen(w[x]) - qGreen(b[x]),
                                         qBlue(w[x]) - qBlue(b[x]), 0});
            const int a = 255 - std::min(spread, 255);
            out[x] = qRgba(std::min(qRed(b[x]), a), std::min(qGreen(b[x]), a),
                           std::min(qBlue(b[x]), a), a);
        }
    }
}

void TfrmTabEditor::carryStep(const QRect& before) {
    // The old and the new place of the image, with the frame's pixel on the border.
    QRegion dirty(before.adjusted(-1, -1, 1, 1));
    dirty += CarriedRect().adjusted(-1, -1, 1, 1);
    Page->update(dirty);
    // The workspaces that insert write their undo entry after the selection.
    updateUndoButtons();
}
