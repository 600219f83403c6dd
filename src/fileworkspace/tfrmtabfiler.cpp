#include "fileworkspace/tfrmtabfiler.h"

#include "document/appdocument.h"
#include "ui/globals.h"
#include "platform/fileerror.h"
#include "ui/messages.h"
#include <QCollator>
#include <cerrno>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QStorageInfo>
#include <QTabWidget>
#include <QTreeView>

std::function<void(const QString&)> TfrmTabFiler::ErrorHook;

namespace {
constexpr int kMaxRecentWritten = 33;
// More texts than this in the language list: the language texts replace the built-in ones.
constexpr int kLanguageThreshold = 100;

constexpr int kMaxContentChecks = 500;

// A name typed as a whole path ("/home/me/karte.qmk", "~/karte.qmk") is taken as it is;
// any other name lies in the folder shown.
QString fullPath(const QString& dir, const QString& name) {
    if (name == QLatin1String("~"))
        return QDir::homePath();
    if (name.startsWith(QLatin1String("~/")))
        return QDir::cleanPath(QDir::homePath() + name.mid(1));
    if (QDir::isAbsolutePath(name))
        return QDir::cleanPath(name);
    QString path = dir;
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path + name;
}

bool isMask(const QString& text) {
    return text.contains(QLatin1Char('*')) || text.contains(QLatin1Char('?'));
}

bool ask(const QString& caption, const QString& question) {
    if (MainLink)
        return MainLink->AskFrage(caption, question);
    if (AskQuestionHook)
        return AskQuestionHook(caption, question);
    return QMessageBox::question(nullptr, caption, question,
                                 QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}
} // namespace

void TFilerPreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (OnPaint)
        OnPaint(painter);
}

TfrmTabFiler::TfrmTabFiler(QWidget* parent)
    : QWidget(parent), m_preview(std::make_unique<TAppDocument>(false)) {
    if (FormColor.isValid()) {
        QPalette pal = palette();
        pal.setColor(QPalette::Window, FormColor);
        setPalette(pal);
        setAutoFillBackground(true);
    }
    PageControl = new QTabWidget(this);
    PageControl->resize(620, 400);

    // Page "Öffnen"
    auto* openPage = new QWidget;
    auto* openLayout = new QGridLayout(openPage);
    openLayout->addWidget(makeFolderControls(true), 0, 0, 2, 1);
    OpenPage = new TFilerPreview;
    OpenPage->setMinimumSize(160, 160);
    OpenPage->OnPaint = [this](QPainter& p) {
        if (PageControl->currentIndex() == 0)
            m_preview->DrawElements(p, m_preview->FitZoom(OpenPage->width(), OpenPage->height()),
                                    CurrentSide);
    };
    openLayout->addWidget(OpenPage, 0, 1);
    Button = new QPushButton(QStringLiteral("Öffnen"));
    openLayout->addWidget(Button, 1, 1);
    openLayout->setColumnStretch(0, 3);
    openLayout->setColumnStretch(1, 2);
    PageControl->addTab(openPage, QStringLiteral("Öffnen"));

    // Page "Erneut öffnen"
    auto* againPage = new QWidget;
    auto* againLayout = new QGridLayout(againPage);
    RecentFilesListBox = new QListWidget;
    againLayout->addWidget(RecentFilesListBox, 0, 0, 2, 1);
    OpenAgainPage = new TFilerPreview;
    OpenAgainPage->setMinimumSize(160, 160);
    OpenAgainPage->OnPaint = [this](QPainter& p) {
        if (PageControl->currentIndex() == 1)
            m_preview->DrawElements(
                p, m_preview->FitZoom(OpenAgainPage->width(), OpenAgainPage->height()),
                CurrentSide);
    };
    againLayout->addWidget(OpenAgainPage, 0, 1);
    Image1 = new QPushButton(QStringLiteral("Öffnen"));
    againLayout->addWidget(Image1, 1, 1);
    againLayout->setColumnStretch(0, 3);
    againLayout->setColumnStretch(1, 2);
    PageControl->addTab(againPage, QStringLiteral("Erneut öffnen"));

    // Page "Speichern"
    auto* savePage = new QWidget;
    auto* saveLayout = new QGridLayout(savePage);
    saveLayout->addWidget(makeFolderControls(false), 0, 0, 2, 1);
    Image2 = new QPushButton(QStringLiteral("Speichern"));
    saveLayout->addWidget(Image2, 1, 1, Qt::AlignBottom);
    saveLayout->setColumnStretch(0, 3);
    saveLayout->setColumnStretch(1, 1);
    PageControl->addTab(savePage, QStringLiteral("Speichern"));

    connect(Button, &QPushButton::clicked, this, [this] { OpenButtonClick(); });
    connect(Image1, &QPushButton::clicked, this, [this] { OpenAgainButtonClick(); });
    connect(Image2, &QPushButton::clicked, this, [this] { SaveButtonClick(); });
    connect(LoadFileListBox, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        LoadEdit->setText(item->text());
        LoadFileListBoxClick();
    });
    connect(LoadFileListBox, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        LoadEdit->setText(item->text());
        OpenButtonClick();
    });
    connect(SaveFileListBox, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { SaveEdit->setText(item->text()); });
    connect(SaveFileListBox, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        SaveEdit->setText(item->text());
        SaveButtonClick();
    });
    // The preview follows the highlight however it moves: click, arrow keys, typing.
    connect(RecentFilesListBox, &QListWidget::itemSelectionChanged, this,
            [this] { RecentFilesListBoxClick(); });
    connect(RecentFilesListBox, &QListWidget::itemDoubleClicked, this,
            [this] { OpenAgainButtonClick(); });
    connect(PageControl, &QTabWidget::currentChanged, this, [this](int page) {
        // Both pages share the preview: it shows the entry highlighted on the page shown.
        // Switching pages leaves each page's highlight as it is.
        QListWidget* list = page == 1 ? RecentFilesListBox : page == 0 ? LoadFileListBox : nullptr;
        if (list) {
            const QListWidgetItem* item = list->currentItem();
            if (item && item->isSelected())
                loadPreview(page == 1 ? item->text() : fullPath(m_loadDir, item->text()));
            else
                m_preview->Clear();
        }
        OpenPage->update();
        OpenAgainPage->update();
    });

    readRecentFiles();
    // The drive of the user's home folder stands in for drive C.
    const QString home = QDir::homePath();
    SetLoadDirectory(home);
    SetSaveDirectory(home);
}

TfrmTabFiler::~TfrmTabFiler() {
    WriteRecentFiles();
    // The children outlive this part of the object; their signals must not reach it.
    for (QObject* child : findChildren<QObject*>())
        child->disconnect(this);
    OpenPage->OnPaint = nullptr;
    OpenAgainPage->OnPaint = nullptr;
}

QWidget* TfrmTabFiler::makeFolderControls(bool load) {
    auto* box = new QWidget;
    auto* layout = new QGridLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* drives = new QComboBox;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady())
            drives->addItem(volume.rootPath());
    }
    auto* model = new QFileSystemModel(this);
    model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model->setRootPath(QDir::rootPath());
    auto* folders = new QTreeView;
    folders->setModel(model);
    for (int c = 1; c < model->columnCount(); ++c)
        folders->hideColumn(c);
    folders->header()->hide();
    auto* files = new QListWidget;
    auto* edit = new QLineEdit(QStringLiteral("*.qmk"));
    edit->setToolTip(QStringLiteral("Quillmark-Dateien (*.qmk)"));

    layout->addWidget(new QLabel(QStringLiteral("Laufwerk:")), 0, 0);
    layout->addWidget(drives, 1, 0);
    layout->addWidget(new QLabel(QStringLiteral("Ordner:")), 2, 0);
    layout->addWidget(folders, 3, 0);
    layout->addWidget(new QLabel(QStringLiteral("Dateiname:")), 0, 1);
    layout->addWidget(edit, 1, 1);
    layout->addWidget(new QLabel(QStringLiteral("Dateien:")), 2, 1);
    layout->addWidget(files, 3, 1);
    // Folders and files share the width evenly, whatever their own wishes.
    for (QWidget* w : {static_cast<QWidget*>(folders), static_cast<QWidget*>(files)})
        w->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);
    drives->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    edit->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(1, 1);

    connect(drives, &QComboBox::activated, this, [this, drives, load](int) {
        load ? SetLoadDirectory(drives->currentText()) : SetSaveDirectory(drives->currentText());
    });
    connect(folders, &QTreeView::clicked, this, [this, model, load](const QModelIndex& index) {
        const QString dir = model->filePath(index);
        load ? SetLoadDirectory(dir) : SetSaveDirectory(dir);
    });
    connect(edit, &QLineEdit::returnPressed, this,
            [this, load] { load ? OpenButtonClick() : SaveButtonClick(); });

    if (load) {
        LoadDriveComboBox = drives;
        LoadDirectoryListBox = folders;
        LoadFileListBox = files;
        LoadEdit = edit;
        m_loadModel = model;
    } else {
        SaveDriveComboBox = drives;
        SaveDirectoryListBox = folders;
        SaveFileListBox = files;
        SaveEdit = edit;
        m_saveModel = model;
    }
    return box;
}

void TfrmTabFiler::showError(const QString& message) const {
    if (ErrorHook)
        ErrorHook(message);
    else
        ShowMessage(nullptr, QStringLiteral("Quillmark"), message);
}

void TfrmTabFiler::SetLoadDirectory(const QString& dir) {
    m_loadDir = QDir::cleanPath(dir);
    const QModelIndex index = m_loadModel->index(m_loadDir);
    LoadDirectoryListBox->setCurrentIndex(index);
    LoadDirectoryListBox->scrollTo(index);
    const QStorageInfo volume(m_loadDir);
    LoadDriveComboBox->setCurrentIndex(LoadDriveComboBox->findText(volume.rootPath()));
    refreshFileList(LoadFileListBox, m_loadDir, m_loadMask);
}

void TfrmTabFiler::SetSaveDirectory(const QString& dir) {
    m_saveDir = QDir::cleanPath(dir);
    const QModelIndex index = m_saveModel->index(m_saveDir);
    SaveDirectoryListBox->setCurrentIndex(index);
    SaveDirectoryListBox->scrollTo(index);
    const QStorageInfo volume(m_saveDir);
    SaveDriveComboBox->setCurrentIndex(SaveDriveComboBox->findText(volume.rootPath()));
    refreshFileList(SaveFileListBox, m_saveDir, m_saveMask);
}

void TfrmTabFiler::refreshFileList(QListWidget* list, const QString& dir, const QString& mask) {
    QStringList filters;
    for (const QString& part : mask.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        // As on the system this program came from, "*.*" means every file, with or
        // without an extension.
        filters << (part.trimmed() == QLatin1String("*.*") ? QStringLiteral("*") : part.trimmed());
    }
    const QDir folder(dir);
    QStringList names =
        folder.entryList(filters, QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
    if (list == LoadFileListBox && mask == QLatin1String("*.qmk")) {
        // A document saved under a name without extension (the name is used as typed) is
        // still a document: it is recognised by its first line.
        const QStringList bare =
            folder.entryList(QStringList{QStringLiteral("*")}, QDir::Files | QDir::Hidden);
        int checked = 0;
        for (const QString& name : bare) {
            if (name.contains(QLatin1Char('.')) || names.contains(name))
                continue;
            if (++checked > kMaxContentChecks)
                break;
            if (IsDocumentFile(folder.filePath(name)))
                names << name;
        }
        QCollator order;
        order.setCaseSensitivity(Qt::CaseInsensitive);
        std::sort(names.begin(), names.end(), order);
    }
    list->clear();
    list->addItems(names);
}

void TfrmTabFiler::refreshLists() {
    refreshFileList(LoadFileListBox, m_loadDir, m_loadMask);
    refreshFileList(SaveFileListBox, m_saveDir, m_saveMask);
}

void TfrmTabFiler::followPath(const QString& path) {
    const QFileInfo info(path);
    SetSaveDirectory(info.absolutePath());
    SaveEdit->setText(info.fileName());
    const auto found = SaveFileListBox->findItems(info.fileName(), Qt::MatchExactly);
    if (!found.isEmpty())
        SaveFileListBox->setCurrentItem(found.first());
}

void TfrmTabFiler::switchToEditor() {
    KeepEditorView = false;
    KeepEditorBitmap = false;
    if (MainLink) {
        MainLink->Change2Editor();
        MainLink->SelectElement(-1, false);
    } else {
        Document->SelectedIndex = -1;
    }
}

bool TfrmTabFiler::loadIntoDocument(const QString& path) {
    // Opening replaces the document like every other replacement does: ask first.
    if (!QueryDiscard(*Document))
        return false;
    Document->UndoList.clear();
    try {
        Document->LoadFromFile(path);
    } catch (const TDocumentError& e) {
        showError(e.message());
    }
    if (Document->IsDamagedFile(path))
        showError(DamageText(path, Document->LoadReport));
    return true;
}

void TfrmTabFiler::loadPreview(const QString& path) {
    try {
        m_preview->LoadFromFile(path);
    } catch (const TDocumentError& e) {
        m_preview->Clear();
        showError(e.message());
    }
}

void TfrmTabFiler::LoadFileListBoxClick() {
    const QListWidgetItem* item = LoadFileListBox->currentItem();
    if (!item)
        return;
    loadPreview(fullPath(m_loadDir, item->text()));
    {
        const QSignalBlocker block(RecentFilesListBox);
        RecentFilesListBox->clearSelection();
    }
    OpenPage->update();
}

void TfrmTabFiler::RecentFilesListBoxClick() {
    const QListWidgetItem* item = RecentFilesListBox->currentItem();
    // Nothing highlighted shows nothing, rather than the file of the other page.
    if (item && item->isSelected())
        loadPreview(item->text());
    else
        m_preview->Clear();
    {
        const QSignalBlocker block(LoadFileListBox);
        LoadFileListBox->clearSelection();
    }
    OpenAgainPage->update();
}

void TfrmTabFiler::OpenButtonClick() {
    const QString text = LoadEdit->text();
    if (isMask(text)) {
        m_loadMask = text;
        refreshFileList(LoadFileListBox, m_loadDir, m_loadMask);
        return;
    }
    const QString path = fullPath(m_loadDir, text);
    if (!QFileInfo(path).isFile())
        return;
    if (!loadIntoDocument(path))
        return;
    refreshLists();
    followPath(path);
    switchToEditor();
}

void TfrmTabFiler::OpenFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) {
        // The document's own wording for a file it cannot read.
        showError(QStringLiteral("Die Datei \"%1\" konnte nicht gelesen werden: %2")
                      .arg(QDir::toNativeSeparators(path),
                           FileErrorText(QFileDevice::OpenError, ENOENT)));
        return;
    }
    // The file manager offers any file to the program; an empty document carrying the name of
    // another program's file would overwrite that file at the next save.
    if (info.isFile() && info.isReadable() && !IsDocumentFile(path)) {
        showError(QStringLiteral("Die Datei \"%1\" ist kein Quillmark-Dokument.")
                      .arg(QDir::toNativeSeparators(path)));
        return;
    }
    SetLoadDirectory(info.absolutePath());
    LoadEdit->setText(info.fileName());
    if (!loadIntoDocument(info.absoluteFilePath()))
        return;
    refreshLists();
    followPath(info.absoluteFilePath());
    switchToEditor();
}

void TfrmTabFiler::OpenAgainButtonClick() {
    const QListWidgetItem* item = RecentFilesListBox->currentItem();
    if (item && item->isSelected()) {
        const QString path = item->text();
        if (QFileInfo(path).isFile()) {
            if (!loadIntoDocument(path))
                return;
            followPath(path);
            SetLoadDirectory(QFileInfo(path).absolutePath());
            LoadEdit->setText(QFileInfo(path).fileName());
            const auto found = LoadFileListBox->findItems(LoadEdit->text(), Qt::MatchExactly);
            if (!found.isEmpty())
                LoadFileListBox->setCurrentItem(found.first());
        }
    }
    switchToEditor();
}

void TfrmTabFiler::SaveButtonClick() {
    const QString text = SaveEdit->text();
    if (isMask(text)) {
        m_saveMask = text;
        refreshFileList(SaveFileListBox, m_saveDir, m_saveMask);
        return;
    }
    if (text.isEmpty())
        return;
    const QString path = fullPath(m_saveDir, text);
    const bool damaged = Document->IsDamagedFile(path);
    if (damaged) {
        // The question names the damage; the plain overwrite question would hide it.
        if (!MaySaveOver(*Document, path))
            return;
    } else if (QFileInfo::exists(path)) {
        QString caption = QStringLiteral("Warnung");
        QString question = QStringLiteral("Die Datei existiert bereits - überschreiben?");
        if (LangStrings.size() > kLanguageThreshold) {
            caption = LangText(QStringLiteral("128"));
            question = LangText(QStringLiteral("126"));
        }
        if (!ask(caption, question))
            return;
    }
    try {
        Document->SaveToFile(path);
    } catch (const TDocumentError& e) {
        showError(e.message());
        return;
    }
    if (damaged)
        Document->DamagedFile.clear();
    refreshLists();
    followPath(path);

    const QString saved = Document->GetFileName();
    bool present = false;
    for (int i = 0; i < RecentFilesListBox->count(); ++i) {
        if (RecentFilesListBox->item(i)->text().compare(saved, Qt::CaseInsensitive) == 0)
            present = true;
    }
    if (!present)
        RecentFilesListBox->insertItem(0, saved);
    m_recent.clear();
    for (int i = 0; i < RecentFilesListBox->count(); ++i)
        m_recent << RecentFilesListBox->item(i)->text();
}

void TfrmTabFiler::readRecentFiles() {
    m_recent.clear();
    RecentFilesListBox->clear();
    if (!Registry)
        return;
    Registry->beginGroup(QStringLiteral("RecentFiles"));
    bool ok = false;
    // A count that is no number reads as none; an absurd one is capped.
    const int count =
        std::clamp(Registry->value(QStringLiteral("Count")).toString().toInt(&ok), 0, 10000);
    for (int i = 1; ok && i <= count; ++i) {
        const QString path = Registry->value(QStringLiteral("File%1").arg(i)).toString();
        if (!path.isEmpty() && QFileInfo(path).isFile())
            m_recent << path;
    }
    Registry->endGroup();
    RecentFilesListBox->addItems(m_recent);
}

void TfrmTabFiler::WriteRecentFiles() const {
    if (!Registry)
        return;
    Registry->remove(QStringLiteral("RecentFiles"));
    Registry->beginGroup(QStringLiteral("RecentFiles"));
    const int count = std::min(int(m_recent.size()), kMaxRecentWritten);
    Registry->setValue(QStringLiteral("Count"), QString::number(count));
    for (int i = 0; i < count; ++i)
        Registry->setValue(QStringLiteral("File%1").arg(i + 1), m_recent.at(i));
    Registry->endGroup();
    Registry->sync();
}

void TfrmTabFiler::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The notebook fills the workspace with a small margin, so that a large window shows
    // more folders, files and a larger preview.
    PageControl->setGeometry(10, 10, std::max(200, width() - 20), std::max(200, height() - 20));
}
