#pragma once
// The file workspace ("Datei"): opening with a preview, reopening recently saved files and
// saving under a name. Reading and writing the file itself is the document's business.

#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTreeView;
class TAppDocument;

// A white preview box; the workspace paints the preview document into it.
class TFilerPreview : public QWidget {
    Q_OBJECT
public:
    explicit TFilerPreview(QWidget* parent = nullptr) : QWidget(parent) {}
    std::function<void(QPainter&)> OnPaint;

protected:
    void paintEvent(QPaintEvent*) override;
};

class TfrmTabFiler : public QWidget {
    Q_OBJECT
public:
    explicit TfrmTabFiler(QWidget* parent = nullptr);
    ~TfrmTabFiler() override; // writes the recent-files list (FormDestroy)

    // Pages "Öffnen", "Erneut öffnen", "Speichern", in this order.
    QTabWidget* PageControl = nullptr;

    // Page "Öffnen"
    QComboBox* LoadDriveComboBox = nullptr;
    QTreeView* LoadDirectoryListBox = nullptr;
    QListWidget* LoadFileListBox = nullptr;
    QLineEdit* LoadEdit = nullptr;
    TFilerPreview* OpenPage = nullptr;
    QPushButton* Button = nullptr;
    // Page "Erneut öffnen"
    QListWidget* RecentFilesListBox = nullptr;
    TFilerPreview* OpenAgainPage = nullptr;
    QPushButton* Image1 = nullptr;
    // Page "Speichern"
    QComboBox* SaveDriveComboBox = nullptr;
    QTreeView* SaveDirectoryListBox = nullptr;
    QListWidget* SaveFileListBox = nullptr;
    QLineEdit* SaveEdit = nullptr;
    QPushButton* Image2 = nullptr;

    void OpenButtonClick();
    // Opens a file named from outside (the command line) as "Öffnen" would, with the same
    // messages; a file that is not there, or is no document, is reported and left alone.
    void OpenFile(const QString& path);
    void OpenAgainButtonClick();
    void SaveButtonClick();
    void LoadFileListBoxClick();
    void RecentFilesListBoxClick();

    // Folder shown by the open and save pages; the file list follows it.
    QString LoadDirectory() const { return m_loadDir; }
    QString SaveDirectory() const { return m_saveDir; }
    void SetLoadDirectory(const QString& dir);
    void SetSaveDirectory(const QString& dir);
    // Masks of the two file lists ("*.qmk" at start).
    QString LoadMask() const { return m_loadMask; }
    QString SaveMask() const { return m_saveMask; }

    // Recently saved files, newest first.
    QStringList RecentFiles() const { return m_recent; }
    // Writes the list to the settings store (done on destruction, at most 33 entries).
    void WriteRecentFiles() const;

    TAppDocument* PreviewDocument() const { return m_preview.get(); }

    // Shows errors on bad input; tests replace it. Default: a message box.
    static std::function<void(const QString&)> ErrorHook;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void readRecentFiles();
    void refreshFileList(QListWidget* list, const QString& dir, const QString& mask);
    void refreshLists();
    void followPath(const QString& path);
    void switchToEditor();
    bool loadIntoDocument(const QString& path);
    void loadPreview(const QString& path);
    void showError(const QString& message) const;
    QWidget* makeFolderControls(bool load);

    std::unique_ptr<TAppDocument> m_preview;
    QStringList m_recent;
    QString m_loadDir;
    QString m_saveDir;
    QString m_loadMask = QStringLiteral("*.qmk");
    QString m_saveMask = QStringLiteral("*.qmk");
    QFileSystemModel* m_loadModel = nullptr;
    QFileSystemModel* m_saveModel = nullptr;
};
