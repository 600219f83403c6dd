#pragma once
// The printing workspace ("Drucken"): how many copies of the sheet fit on the printer's paper,
// the preview of the printer sheet with its cells to pick from, the sheet offsets, margins
// and distances, and the print run.

#include "printing/printdocument.h"
#include "printing/printlayout.h"
#include <QImage>
#include <QPrinter>
#include <QSpinBox>
#include <QWidget>
#include <functional>
#include <memory>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class TPrintAbortDlg;
class TProductChooser;
class TPrinterOutput;
class TPrintRun;
struct TPrintRunSettings;

// An up-down control with its edit box, which the workspace names on its own.
class TPrintUpDown : public QSpinBox {
    Q_OBJECT
public:
    using QSpinBox::QSpinBox;
    QLineEdit* Edit() const { return lineEdit(); }
};

// The paint box of the preview; the workspace draws and handles its mouse.
class TSheetPreviewBox : public QWidget {
    Q_OBJECT
public:
    explicit TSheetPreviewBox(QWidget* parent);
    QImage Picture;

signals:
    void MouseMoved(int x, int y);
    void Clicked();
    void Left();

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent*) override;
};

class TfrmTabPrinting : public QWidget {
    Q_OBJECT
public:
    explicit TfrmTabPrinting(QWidget* parent = nullptr);
    ~TfrmTabPrinting() override;

    // Entered from the tab row: printer orientation and fields from the document, layout.
    void Activate();
    void Adjust2Printer();
    void PagePaint();
    void PageMouseMove(int x, int y);
    void FormMouseMove();
    void PageClick();
    void SelectButtonClick(bool all);
    void PrinterSetupBtnClick();
    void UpDown1Click();
    void EditPrintMarginChange();
    // The product, margins or sheet format changed in the field "Bogen".
    void ProductChanged();
    // Shows how many sheets the records of the address store need ("Adressen reihum").
    void UpdateMergeCount();
    // The print run.
    void ButtonClick();
    // The calibration sheet for the sheet offsets, through the same run.
    void CalibrationButtonClick();

    // The printer the workspace prints on, as the user set it up.
    QPrinter& Printer() { return m_printer; }
    // True when no printer is installed and the workspace prints into a PDF file.
    bool PdfOnly() const { return m_pdfOnly; }
    const TPrintLayout& Layout() const { return m_layout; }
    TPrintLayout& Layout() { return m_layout; }

    bool Active = false;
    int HotCell = -1;
    double PreviewScale = 1.0;
    TPrintAbortDlg* AbortDialog = nullptr;
    // The run in progress (tests reach its abort through the dialog).
    TPrintRun* CurrentRun = nullptr;

    // Replace the modal dialogs in tests: the printer setup (true = accepted) and the choice
    // of the PDF file, given the proposed file (empty = cancelled).
    std::function<bool(QPrinter&)> SetupDialogHook;
    std::function<QString(const QString& proposed)> PdfFileHook;

    QGroupBox* PrinterSetupGroup = nullptr;
    QLabel* PrinterLabel = nullptr;
    QToolButton* PrinterSetupBtn = nullptr;
    QLabel* LabelBlattversatz = nullptr;
    QLabel* LabelVorderseite = nullptr;
    QLabel* LabelRueckseite = nullptr;
    QLabel* LabelHorizontal = nullptr;
    QLabel* LabelVertikal = nullptr;
    TPrintUpDown* UpDown1 = nullptr;
    TPrintUpDown* UpDown2 = nullptr;
    TPrintUpDown* UpDown3 = nullptr;
    TPrintUpDown* UpDown4 = nullptr;
    QLineEdit* EditPrintOffsetHor = nullptr;
    QLineEdit* EditPrintOffsetVer = nullptr;
    QLineEdit* EditPrintOffsetHorRueck = nullptr;
    QLineEdit* EditPrintOffsetVerRueck = nullptr;
    QGroupBox* PrintMarginsGroup = nullptr;
    QLabel* LabelLinks = nullptr;
    QLabel* LabelRechts = nullptr;
    QLabel* LabelOben = nullptr;
    QLabel* LabelUnten = nullptr;
    QLabel* LabelAbstaende = nullptr;
    QLabel* LabelHorz = nullptr;
    QLabel* labelVert = nullptr;
    QLineEdit* EditPrintMarginLeft = nullptr;
    QLineEdit* EditPrintMarginRight = nullptr;
    QLineEdit* EditPrintMarginTop = nullptr;
    QLineEdit* EditPrintMarginBottom = nullptr;
    QLineEdit* EditPrintDistHor = nullptr;
    QLineEdit* EditPrintDistVer = nullptr;
    QGroupBox* CopyGroup = nullptr;
    QGroupBox* GroupBoxSeiten = nullptr;
    QLabel* LabelAnzahl = nullptr;
    TPrintUpDown* SpinCopyCount = nullptr;
    QLineEdit* EditCopyCount = nullptr;
    QGroupBox* CellGroupBox = nullptr;
    QCheckBox* PrintSeparatorsCheck = nullptr;
    QCheckBox* Scale2fitCheck = nullptr;
    // "Adressen reihum": one record of the address store per selected cell.
    QCheckBox* MergeCheck = nullptr;
    QCheckBox* SkipEmptyCheck = nullptr; // "Leere Felder auslassen", stored with the document
    QLabel* MergeCountLabel = nullptr;
    QLabel* InfoLabel1 = nullptr;
    QLabel* InfoLabel2 = nullptr;
    QToolButton* SelectAllButton = nullptr;
    QToolButton* SelectNoneButton = nullptr;
    QPushButton* Button = nullptr;
    QPushButton* CalibrationButton = nullptr;
    // Which files the last run wrote, or which printer it went to.
    QLabel* WrittenLabel = nullptr;
    TSheetPreviewBox* Page = nullptr;
    TProductChooser* ProductChooser = nullptr; // the field "Bogen" above the preview

protected:
    void resizeEvent(QResizeEvent*) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void readOffsets();
    bool askTurn(bool landscape);
    // Asks for the PDF file, every time the workspace prints into one; baseName is the name
    // proposed. False when the user cancels.
    bool choosePdfFile(const QString& baseName);
    void showPrinterName();
    TPrintRunSettings offsetSettings() const;
    // Runs a print with the abort dialog and the turn question; shows what was written.
    TPdfPrint runWithDialog(const std::function<TPdfPrint(const TPrintHooks&)>& print);
    QRect cellPixels(const TCell& c) const;
    // The front side as a cell of this size shows it, scaled as it is printed; rendered once
    // per layout and size.
    const QImage& cellPreview(const QSize& size);

    QPrinter m_printer{QPrinter::HighResolution};
    bool m_pdfOnly = false;
    TPrintLayout m_layout;
    // The document the layout's selection belongs to (and its file at the time).
    const void* m_layoutDocument = nullptr;
    QString m_layoutFileName;
    QString m_pdfFolder; // where the last PDF went
    QImage m_cellPreview;
    double m_cellPreviewScale = 0;
};

// The sheet offsets in the settings store: section and the four value names.
extern const char* const OffsetSection;
extern const char* const OffsetNames[4];
