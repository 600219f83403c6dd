#include "app/pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

QPixmap RegisterPicture(const QStringList& captions, const QVector<int>& lefts,
                        const QColor& tabColor)
{
    QPixmap pixmap(RegisterPictureWidth, RegisterPictureHeight);
    pixmap.fill(QColor(192, 192, 192));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    // The line the tabs stand on.
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.drawLine(0, RegisterPictureHeight - 1, RegisterPictureWidth, RegisterPictureHeight - 1);

    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    font.setBold(true);
    p.setFont(font);
    for (int i = 0; i < captions.size() && i < lefts.size(); ++i) {
        const int left = lefts.at(i);
        const int right = (i + 1 < lefts.size() ? lefts.at(i + 1) : RegisterHelpLeft) - 3;
        QPainterPath tab;
        tab.moveTo(left, RegisterPictureHeight - 1);
        tab.lineTo(left + 5, 5);
        tab.quadTo(left + 6, 3, left + 9, 3);
        tab.lineTo(right - 9, 3);
        tab.quadTo(right - 6, 3, right - 5, 5);
        tab.lineTo(right, RegisterPictureHeight - 1);
        tab.closeSubpath();
        QLinearGradient shade(0, 3, 0, RegisterPictureHeight);
        shade.setColorAt(0, tabColor.lighter(135));
        shade.setColorAt(1, tabColor);
        p.setBrush(shade);
        p.setPen(QPen(tabColor.darker(160), 1));
        p.drawPath(tab);
        p.setPen(Qt::white);
        p.drawText(QRect(left, 4, right - left, RegisterPictureHeight - 6), Qt::AlignCenter,
                   captions.at(i));
    }
    // The help switch sits on a round badge.
    p.setBrush(QColor(200, 30, 30));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPoint(RegisterHelpLeft + 9, RegisterPictureHeight / 2 + 1), 10, 10);
    return pixmap;
}

QPixmap LogoPicture(int width, int height)
{
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(height * 2 / 3);
    font.setBold(true);
    font.setItalic(true);
    p.setFont(font);
    p.setPen(QColor(20, 30, 90));
    p.drawText(QRect(3, 3, width, height), Qt::AlignCenter, QStringLiteral("Quillmark"));
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, width, height), Qt::AlignCenter, QStringLiteral("Quillmark"));
    return pixmap;
}

QPixmap ManualPicture()
{
    QPixmap pixmap(160, 56);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // Two pages of an open book.
    p.setPen(QPen(QColor(40, 40, 90), 1.5));
    p.setBrush(QColor(250, 248, 235));
    QPainterPath left;
    left.moveTo(28, 12);
    left.quadTo(16, 6, 4, 10);
    left.lineTo(4, 46);
    left.quadTo(16, 42, 28, 48);
    left.closeSubpath();
    QPainterPath right;
    right.moveTo(28, 12);
    right.quadTo(40, 6, 52, 10);
    right.lineTo(52, 46);
    right.quadTo(40, 42, 28, 48);
    right.closeSubpath();
    p.drawPath(left);
    p.drawPath(right);
    p.setPen(QPen(QColor(120, 120, 150), 1));
    for (int y = 18; y <= 38; y += 6) {
        p.drawLine(9, y, 24, y + 1);
        p.drawLine(32, y + 1, 47, y);
    }
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(14);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(20, 30, 90));
    p.drawText(QRect(60, 0, 100, 56), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("Anleitung"));
    return pixmap;
}
