#pragma once
// The inspector's graphic page: mirror, mirror, turn by 180 degrees and the colour
// filters for raster and path-list pictures; fill colour, stroke colour and stroke width
// for path lists. The inspector's dispatcher carries out every operation.

#include <QWidget>

class QLineEdit;
class QToolButton;
class TDocElementWMF;
class TUpDown;

class TtoolSubFormWMF : public QWidget {
    Q_OBJECT
public:
    explicit TtoolSubFormWMF(QWidget* parent = nullptr);

    // Shows the groups that fit the element's picture kind and, for a path list, its
    // first stroke width.
    void PrepareFor(const TDocElementWMF& element);

    QWidget* RotationGroup;
    QToolButton* SpBSpiegelnHor;
    QToolButton* SpBSpiegelnVer;
    QToolButton* SpBtnAngle180;
    QToolButton* Filter;

    QWidget* FillStrokeGroup;
    QToolButton* SpBtnFLFarbe;
    QToolButton* SpBtnSTFarbe;
    QLineEdit* Editstrich;
    TUpDown* SpinStrich;
};
