#include "inspector/ttoolsubformwmf.h"

#include "document/docelement.h"
#include "ui/globals.h"
#include "inspector/inspectorwidgets.h"
#include "inspector/pathlistedit.h"
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace {

// Button images are drawn here so that they scale with nothing but the button.
QIcon drawnIcon(const std::function<void(QPainter&)>& draw) {
    QPixmap pm(40, 40);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    return QIcon(pm);
}

QIcon triangleIcon(bool mirrorX, bool mirrorY) {
    return drawnIcon([=](QPainter& p) {
        auto pt = [&](double x, double y) {
            return QPointF(mirrorX ? 40 - x : x, mirrorY ? 40 - y : y);
        };
        QPainterPath path;
        path.moveTo(pt(6, 34));
        path.lineTo(pt(6, 6));
        path.lineTo(pt(24, 34));
        path.closeSubpath();
        p.fillPath(path, QColor(0, 0, 160));
        p.setPen(QPen(Qt::darkGray, 1, Qt::DashLine));
        if (mirrorX && !mirrorY)
            p.drawLine(20, 2, 20, 38);
        if (mirrorY && !mirrorX)
            p.drawLine(2, 20, 38, 20);
    });
}

QToolButton* bigButton(QWidget* parent, const QString& hint, const QRect& geometry) {
    auto* b = new QToolButton(parent);
    b->setGeometry(geometry);
    b->setIconSize(QSize(32, 32));
    SetHint(b, hint);
    return b;
}

} // namespace

TtoolSubFormWMF::TtoolSubFormWMF(QWidget* parent) : QWidget(parent) {
    setFixedSize(470, 81);
    setAutoFillBackground(true);
    QPalette pal = palette();
    if (FormColor.isValid())
        pal.setColor(QPalette::Window, FormColor);
    setPalette(pal);

    RotationGroup = new QWidget(this);
    RotationGroup->setGeometry(0, 0, 313, 81);
    RotationGroup->setAutoFillBackground(true);
    RotationGroup->setPalette(pal);
    SpBSpiegelnHor =
        bigButton(RotationGroup, QStringLiteral("horizontal spiegeln"), QRect(8, 12, 56, 56));
    SpBSpiegelnHor->setIcon(triangleIcon(true, false));
    SpBSpiegelnVer =
        bigButton(RotationGroup, QStringLiteral("vertikal spiegeln"), QRect(84, 12, 56, 56));
    SpBSpiegelnVer->setIcon(triangleIcon(false, true));
    SpBtnAngle180 =
        bigButton(RotationGroup, QStringLiteral("um 180° drehen"), QRect(160, 12, 56, 56));
    SpBtnAngle180->setText(QStringLiteral("180°"));
    SpBtnAngle180->setIcon(triangleIcon(true, true));
    SpBtnAngle180->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    Filter = bigButton(RotationGroup, QStringLiteral("Filter"), QRect(236, 12, 56, 56));
    Filter->setIcon(drawnIcon([](QPainter& p) {
        const QColor colours[] = {QColor(220, 0, 0), QColor(230, 200, 0), QColor(0, 0, 200)};
        for (int i = 0; i < 3; ++i) {
            p.setBrush(colours[i]);
            p.setPen(Qt::NoPen);
            p.drawEllipse(QRectF(4 + i * 8, 6 + (i % 2) * 10, 20, 20));
        }
    }));

    FillStrokeGroup = new QWidget(this);
    FillStrokeGroup->setGeometry(313, 0, 157, 81);
    SpBtnFLFarbe = bigButton(FillStrokeGroup, QStringLiteral("Flächenfarbe"), QRect(6, 6, 40, 40));
    SpBtnFLFarbe->setIcon(drawnIcon([](QPainter& p) {
        p.setPen(Qt::black);
        p.setBrush(QColor(255, 160, 0));
        p.drawRect(6, 6, 28, 28);
    }));
    SpBtnSTFarbe = bigButton(FillStrokeGroup, QStringLiteral("Strichfarbe"), QRect(50, 6, 40, 40));
    SpBtnSTFarbe->setIcon(drawnIcon([](QPainter& p) {
        p.setPen(QPen(QColor(0, 120, 0), 5));
        p.setBrush(Qt::NoBrush);
        p.drawRect(8, 8, 24, 24);
    }));
    Editstrich = new QLineEdit(FillStrokeGroup);
    Editstrich->setGeometry(6, 52, 48, 22);
    Editstrich->setReadOnly(true);
    Editstrich->setMaxLength(4);
    Editstrich->setText(QStringLiteral("0"));
    SetHint(Editstrich, QStringLiteral("Strichstärke"));
    SpinStrich = new TUpDown(FillStrokeGroup);
    SpinStrich->Min = 0;
    SpinStrich->Max = 1000;
    SpinStrich->Increment = 10;
    SpinStrich->Associate = Editstrich;
    SpinStrich->setGeometry(54, 52, 16, 22);
    auto* unit = new QLabel(QStringLiteral("1/100 mm"), FillStrokeGroup);
    unit->setGeometry(74, 52, 80, 22);
}

void TtoolSubFormWMF::PrepareFor(const TDocElementWMF& element) {
    RotationGroup->setVisible(element.SourceKind == 1 || element.SourceKind == 2);
    FillStrokeGroup->setVisible(element.SourceKind == 2);
    if (element.SourceKind == 2) {
        if (const auto width = FirstStrokeWidth(element.PathList))
            Editstrich->setText(*width);
    }
}
