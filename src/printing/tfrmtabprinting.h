#pragma once
// The printing workspace ("Drucken"). For now it shows the print values the document carries;
// the page layout preview and the print run join it later.

#include <QWidget>

class QLabel;
class QLineEdit;

class TfrmTabPrinting : public QWidget {
    Q_OBJECT
public:
    explicit TfrmTabPrinting(QWidget* parent = nullptr);

    // Entered from the tab row: fills the fields from the document and marks the workspace
    // active.
    void Activate();

    bool Active = false; // the workspace is the one shown

    QLineEdit* EditPrintMarginLeft = nullptr;
    QLineEdit* EditPrintMarginRight = nullptr;
    QLineEdit* EditPrintMarginTop = nullptr;
    QLineEdit* EditPrintMarginBottom = nullptr;
    QLineEdit* EditPrintDistHor = nullptr;
    QLineEdit* EditPrintDistVer = nullptr;
    QLineEdit* EditCopyCount = nullptr;
    QLabel* NoticeLabel = nullptr;
};

// Field width 5 with 2 decimals, as the margin edits show them (" 0.00", "12.50").
QString FormatPrintValue(double value);
