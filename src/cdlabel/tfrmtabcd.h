#pragma once
// The CD listing workspace (reached through the "CD" area of the register; no visible tab):
// the directory tree of a folder as a column picture, previewed and added to the sheet.

#include "document/cdlisting.h"
#include "metafile/tmetafile.h"

#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

// Paints the workspace's picture, stretched with its aspect ratio kept.
class TCdPreview : public QWidget {
    Q_OBJECT
public:
    TCdPreview(const TMetafile& picture, QWidget* parent);
    // The rectangle the picture is played into for an area of the given size.
    static QRect PictureRect(const QSize& area, const TMetafile& picture);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const TMetafile& m_picture;
};

class TfrmTabCD : public QWidget {
    Q_OBJECT
public:
    explicit TfrmTabCD(QWidget* parent = nullptr);

    // Runs when the workspace is shown: generates the picture.
    void FormShow();
    // Draws the picture from the fields; fields that are no numbers leave it as it was.
    void Generate();
    // Adds the picture to the sheet (the apply button).
    void ButtonClick();
    // Lists the mount points in DriveComboBox (a stand-in for the drives of a system).
    void FillDrives();
    // Makes folder the listed one: the drive that holds it and the folder in the list.
    void SetDirectory(const QString& folder);
    QString Directory() const { return m_directory; }
    void SetDirFont(const TCdFont& font);
    void SetFileFont(const TCdFont& font);
    const TCdFont& DirFont() const { return m_dirFont; }
    const TCdFont& FileFont() const { return m_fileFont; }
    const TMetafile& Picture() const { return m_metafile; }
    const TCdListingResult& LastResult() const { return m_result; }
    int GenerateCount() const { return m_generated; }

    // The font dialog; tests replace it. Returns false when the user cancels.
    static std::function<bool(QWidget* parent, TCdFont& font)> FontDialogHook;

    QGroupBox* DirGroupBox = nullptr;
    QGroupBox* FileGroupBox = nullptr;
    QGroupBox* LayoutGroupBox = nullptr;
    QComboBox* DriveComboBox = nullptr;
    QTreeView* DirectoryListBox = nullptr;
    QFileSystemModel* DirModel = nullptr;
    QLabel* Spaltenzahl = nullptr;
    QLabel* Breite = nullptr;
    QLabel* Hoehe = nullptr;
    QLabel* Abstand = nullptr;
    QLabel* Tiefe = nullptr;
    QLineEdit* EditColCount = nullptr;
    QLineEdit* EditColsWidth = nullptr;
    QLineEdit* EditColHeight = nullptr;
    QLineEdit* EditColDist = nullptr;
    QLineEdit* EditDirLevelMax = nullptr;
    QCheckBox* DirsOnlyCheckBox = nullptr;
    QCheckBox* DrawTitleCheck = nullptr;
    QLineEdit* TitleEdit = nullptr;
    QPushButton* DirFontButton = nullptr;
    QPushButton* FileFontButton = nullptr;
    QLabel* DirFontLabel = nullptr;
    QLabel* FileFontLabel = nullptr;
    QPushButton* GenerateButton = nullptr;
    QPushButton* Button = nullptr;
    QLabel* InfoLabel = nullptr;
    TCdPreview* Preview = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void createControls();
    void DriveComboBoxChange();
    void DirectoryListBoxChange();
    void FontButtonClick(bool dirFont);
    void showDirectory(const QString& folder);
    void updateInfo();

    QWidget* m_controls = nullptr;
    QString m_directory;
    TCdFont m_dirFont;
    TCdFont m_fileFont;
    TMetafile m_metafile;
    TCdListingResult m_result;
    int m_generated = 0;
    bool m_filling = false;
    bool m_constructing = false;
};
