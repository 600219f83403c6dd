#pragma once
// The settings workspace ("Einstellungen") with its pages "Allgemein" (sheet format, paper
// position, undo depth, paper preview), "Textbausteine" (the ten text blocks), "Notiz" (the
// document's note) and "Adressen" (the address records and the current record).

#include <QStringList>
#include <QVector>
#include <QWidget>
#include <functional>

class QButtonGroup;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPainter;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QToolButton;
class TClickLabel;

class TfrmTabSettings : public QWidget {
    Q_OBJECT
public:
    enum SettingsPage { PageAllgemein, PageTextbausteine, PageNotiz, PageAdressen, PageCount };

    explicit TfrmTabSettings(QWidget* parent = nullptr);

    // At program start: first format entry, then the address file (the user's, else the one
    // in programDir) with its first record as the current one.
    void FormShow(const QString& programDir);

    // Page "Allgemein".
    void FormatComboChange();
    void ApplyBtnClick();
    void CancelBtnClick();
    void ExchangeBtnClick();
    void EditReturnMaxChange();
    // Draws the paper and the document's sheet into a box of the given size.
    void PagePaint(QPainter& canvas, const QSize& box) const;
    // Page "Notiz": every change of the memo goes into the document's note.
    void NotizenChange();

    // The notebook: shows a page and moves the slider under its tab.
    void ShowPage(int page);
    void PagecontrolPageChanged();

    // Page "Textbausteine": stores TB01..TB10 and makes them the placeholder values.
    void Image1Click();

    // Page "Adressen".
    void ComboBoxAdressenChange();
    // The user chose a record: unsaved edits of the shown one are saved, dropped or kept
    // (the choice is then undone) as the answer to a question says.
    void ComboBoxAdressenActivated();
    void Image4Click();       // save the shown record
    void ButtonNeuClick();    // append an empty record "Neue Adresse"
    void ButtonLoeschenClick(); // delete the shown record after asking
    void ButtonImportClick(); // append the contacts of an address, vCard or CSV file
    // The import itself; false when the file was refused or could not be stored.
    bool ImportAddressFile(const QString& fileName);

    // Tests answer the file dialog of the import through this.
    std::function<QString()> AskImportFileName;

    bool UserDefined = false; // the size comes from the two edits, not from the list
    bool Applying = true;     // the apply operation may run

    QString ProgramDir;

    // Notebook
    QLabel* ImageRegister = nullptr;
    TClickLabel* Label4 = nullptr;  // "Allgemein"
    TClickLabel* Label5 = nullptr;  // "Textbausteine"
    TClickLabel* Label7 = nullptr;  // "Notiz"
    TClickLabel* Label17 = nullptr; // "Adressen"
    QFrame* Slider = nullptr;
    QStackedWidget* Pagecontrol = nullptr;

    // "Allgemein"
    QLabel* LabelDokumentenformat = nullptr;
    QComboBox* FormatCombo = nullptr;
    QGroupBox* GroupBoxBenutzerdefinition = nullptr;
    QLabel* LabelBreite = nullptr;
    QLabel* LabelHeight = nullptr;
    QLineEdit* EditPageWidth = nullptr;
    QLineEdit* EditPageHeight = nullptr;
    QToolButton* Image2 = nullptr; // exchange width and height
    QToolButton* ApplyBtn = nullptr;
    QGroupBox* PreferredPageOrientationRadio = nullptr;
    QButtonGroup* OrientationButtons = nullptr;
    QPushButton* CancelBtn = nullptr;
    QGroupBox* GroupBoxAllgemein = nullptr;
    QLabel* LabelUndo = nullptr;
    QLineEdit* EditReturnMax = nullptr;
    QToolButton* UpDownUp = nullptr;
    QToolButton* UpDownDown = nullptr;
    QWidget* Page = nullptr; // the paper preview

    // "Textbausteine"
    QVector<QLineEdit*> TB; // TB01 .. TB10 at 0 .. 9
    QToolButton* Image1 = nullptr;
    QLabel* UebernehmenLabel = nullptr;

    // "Notiz"
    QLabel* LabelNotiz = nullptr;
    QPlainTextEdit* Notizen = nullptr;

    // "Adressen"
    QComboBox* ComboBoxAdressen = nullptr;
    QVector<QLineEdit*> AddressEdits; // EditASet .. EditAName in file order
    QToolButton* Image4 = nullptr;
    QLabel* LabelUebernehmen = nullptr;
    QPushButton* ButtonNeu = nullptr;
    QPushButton* ButtonLoeschen = nullptr;
    QPushButton* ButtonImport = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* createRegister();
    QWidget* createGeneralPage();
    QWidget* createTextBlockPage();
    QWidget* createNotePage();
    QWidget* createAddressPage();
    void readTextBlocks();
    void selectMatchingFormat();
    void setUndoDepthText(const QString& text);
    // Writes AddressRecords to the user's file; shows the error and returns false on failure.
    bool writeRecords();
    void fillAddressCombo(int select);
    // Stores the edits as record index (0 = first combo entry); false when not possible.
    bool saveAddress(int index);
    // Whether the edits differ from the record they were filled from.
    bool addressEdited() const;

    bool m_loading = false;
    int m_shownAddress = -1; // combo index of the record in the edits
};

// The edits show sizes with field width 7 and one decimal ("  210.0").
QString FormatPageSize(double mm);
