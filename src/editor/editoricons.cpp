#include "editor/editoricons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

const QColor Ink(40, 40, 40);
const QColor Blue(30, 90, 190);
const QColor Paper(255, 255, 250);

void sheet(QPainter& p, const QRectF& r) {
    p.setPen(QPen(Ink, 1));
    p.setBrush(Paper);
    p.drawRect(r);
}

// Two stacked squares: the selected one (blue) at the given level among grey ones.
void stacking(QPainter& p, bool down, bool full) {
    p.setPen(QPen(Ink, 1));
    const QRectF back(5.5, 5.5, 9, 9);
    const QRectF front(1.5, 1.5, 9, 9);
    if (down) {
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(front);
        p.setBrush(Blue);
        p.drawRect(back.adjusted(full ? 0 : 0, 0, 0, 0));
    } else {
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(back);
        p.setBrush(Blue);
        p.drawRect(front);
    }
    if (full) {
        p.setPen(QPen(Qt::red, 1.5));
        const double y = down ? 15 : 1;
        p.drawLine(QPointF(down ? 5 : 1, y), QPointF(down ? 15 : 11, y));
    }
}

void draw(QPainter& p, TEditorIcon which) {
    p.setRenderHint(QPainter::Antialiasing);
    switch (which) {
    case TEditorIcon::New: {
        QPainterPath path;
        path.moveTo(3.5, 1.5);
        path.lineTo(10.5, 1.5);
        path.lineTo(13.5, 4.5);
        path.lineTo(13.5, 14.5);
        path.lineTo(3.5, 14.5);
        path.closeSubpath();
        p.setPen(QPen(Ink, 1));
        p.setBrush(Paper);
        p.drawPath(path);
        p.drawLine(QPointF(10.5, 1.5), QPointF(10.5, 4.5));
        p.drawLine(QPointF(10.5, 4.5), QPointF(13.5, 4.5));
        break;
    }
    case TEditorIcon::Save:
        p.setPen(QPen(Ink, 1));
        p.setBrush(Blue);
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(Paper);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(220, 220, 220));
        p.drawRect(QRectF(3.5, 9.5, 9, 5));
        break;
    case TEditorIcon::Erase:
        p.setPen(QPen(QColor(200, 30, 30), 2.2));
        p.drawLine(QPointF(3, 3), QPointF(13, 13));
        p.drawLine(QPointF(13, 3), QPointF(3, 13));
        break;
    case TEditorIcon::Cut:
        p.setPen(QPen(Ink, 1.3));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(4.5, 12), 2.5, 2.5);
        p.drawEllipse(QPointF(11.5, 12), 2.5, 2.5);
        p.drawLine(QPointF(6, 10), QPointF(11, 1.5));
        p.drawLine(QPointF(10, 10), QPointF(5, 1.5));
        break;
    case TEditorIcon::Copy:
        sheet(p, QRectF(1.5, 1.5, 8, 10));
        sheet(p, QRectF(6.5, 4.5, 8, 10));
        break;
    case TEditorIcon::Paste:
        p.setPen(QPen(Ink, 1));
        p.setBrush(QColor(190, 140, 70));
        p.drawRect(QRectF(1.5, 2.5, 10, 12));
        sheet(p, QRectF(6.5, 6.5, 8, 8.5));
        break;
    case TEditorIcon::Undo:
    case TEditorIcon::Redo: {
        // Redo is the undo arrow turned round.
        if (which == TEditorIcon::Redo) {
            p.translate(16, 0);
            p.scale(-1, 1);
        }
        p.setPen(QPen(Blue, 1.8));
        p.setBrush(Qt::NoBrush);
        QPainterPath path;
        path.moveTo(4, 7);
        path.cubicTo(8, 2, 15, 4, 13, 11);
        p.drawPath(path);
        p.setBrush(Blue);
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygonF({QPointF(1, 4), QPointF(7, 5), QPointF(3, 10)}));
        break;
    }
    case TEditorIcon::Text: {
        QFont f(QStringLiteral("Times New Roman"));
        f.setPixelSize(15);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Ink);
        p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("A"));
        break;
    }
    case TEditorIcon::Barcode: {
        // A few bars of different widths.
        const double bars[][2] = {{1, 1}, {3, 2}, {6, 1}, {8, 1}, {10, 2}, {13, 1}};
        for (const auto& b : bars)
            p.fillRect(QRectF(1 + b[0], 2, b[1], 12), Ink);
        break;
    }
    case TEditorIcon::Graphic:
        p.setPen(QPen(Ink, 1));
        p.setBrush(QColor(200, 230, 255));
        p.drawRect(QRectF(1.5, 2.5, 13, 11));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(60, 150, 60));
        p.drawPolygon(QPolygonF({QPointF(2, 13), QPointF(7, 6), QPointF(11, 13)}));
        p.setBrush(QColor(240, 190, 30));
        p.drawEllipse(QPointF(11, 6), 2, 2);
        break;
    case TEditorIcon::Inspector:
        p.setPen(QPen(Ink, 1));
        p.setBrush(QColor(235, 235, 235));
        p.drawRect(QRectF(1.5, 2.5, 13, 11));
        p.setBrush(Blue);
        p.drawRect(QRectF(1.5, 2.5, 13, 3));
        p.setPen(QPen(Ink, 1));
        p.drawLine(QPointF(4, 8.5), QPointF(12, 8.5));
        p.drawLine(QPointF(4, 11.5), QPointF(10, 11.5));
        break;
    case TEditorIcon::FullDown:
        stacking(p, true, true);
        break;
    case TEditorIcon::OneDown:
        stacking(p, true, false);
        break;
    case TEditorIcon::OneUp:
        stacking(p, false, false);
        break;
    case TEditorIcon::FullUp:
        stacking(p, false, true);
        break;
    case TEditorIcon::TextBlocks: {
        sheet(p, QRectF(1.5, 1.5, 13, 13));
        QFont f(QStringLiteral("Arial"));
        f.setPixelSize(8);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Blue);
        p.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, QStringLiteral("<t>"));
        break;
    }
    }
}

} // namespace

QIcon EditorIcon(TEditorIcon which) {
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pixmap(16 * scale, 16 * scale);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        draw(p, which);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
