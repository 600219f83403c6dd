#include "cdlabel/tfrmtabcd.h"

#include "ui/globals.h"
#include "editor/undokeys.h"
#include "ui/hints.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStorageInfo>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

constexpr int kControlsWidth = 290;
constexpr int kMargin = 7;

struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

bool chooseFont(QWidget* parent, TCdFont& font)
{
    QFont start(font.Name, font.Size);
    start.setBold(font.Style & 1);
    start.setItalic(font.Style & 2);
    start.setUnderline(font.Style & 4);
    start.setStrikeOut(font.Style & 8);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, start, parent, QStringLiteral("Schrift"));
    if (!ok)
        return false;
    if (!chosen.family().isEmpty())
        font.Name = chosen.family();
    const int size = chosen.pointSize() > 0 ? chosen.pointSize() : qRound(chosen.pointSizeF());
    if (size > 0)
        font.Size = size;
    font.Style = (chosen.bold() ? 1 : 0) | (chosen.italic() ? 2 : 0) |
                 (chosen.underline() ? 4 : 0) | (chosen.strikeOut() ? 8 : 0);
    return true;
}

QString driveText(const QStorageInfo& volume)
{
    const QString root = QDir::toNativeSeparators(volume.rootPath());
    const QString name = volume.displayName();
    return name == volume.rootPath() ? root : name + QStringLiteral(" (") + root + QLatin1Char(')');
}

} // namespace

std::function<bool(QWidget*, TCdFont&)> TfrmTabCD::FontDialogHook = chooseFont;

// ---- preview ----

TCdPreview::TCdPreview(const TMetafile& picture, QWidget* parent)
    : QWidget(parent), m_picture(picture)
{
    setObjectName(QStringLiteral("Preview"));
}

QRect TCdPreview::PictureRect(const QSize& area, const TMetafile& picture)
{
    if (area.width() <= 0 || area.height() <= 0 || picture.Width() <= 0 || picture.Height() <= 0)
        return {};
    const double aspect = double(picture.Width()) / picture.Height();
    if (double(area.width()) / area.height() > aspect)
        return QRect(1, 1, int(aspect * area.height()), area.height());
    return QRect(1, 1, area.width(), int(area.width() / aspect));
}

void TCdPreview::paintEvent(QPaintEvent*)
{
    const QRect target = PictureRect(size(), m_picture);
    if (target.isEmpty() || m_picture.Empty())
        return;
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    m_picture.Play(painter, QRectF(target));
}

// ---- workspace ----

TfrmTabCD::TfrmTabCD(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmTabCD"));
    if (FormColor.isValid()) {
        QPalette pal = palette();
        pal.setColor(QPalette::Window, FormColor);
        setPalette(pal);
        setAutoFillBackground(true);
    }
    m_dirFont = TCdFont{QStringLiteral("Arial Narrow"), 10, 2, 0};
    m_fileFont = TCdFont{QStringLiteral("Arial Narrow"), 9, 0, 0};
    createControls();
    FillDrives();
    // The picture is drawn when the workspace is first shown, not at start-up.
    m_constructing = true;
    SetDirectory(QDir::currentPath());
    m_constructing = false;
}

void TfrmTabCD::createControls()
{
    m_controls = new QWidget(this);
    auto* column = new QVBoxLayout(m_controls);
    column->setContentsMargins(kMargin, kMargin, 0, kMargin);

    DirGroupBox = new QGroupBox(QStringLiteral("Verzeichnis"), m_controls);
    DirGroupBox->setObjectName(QStringLiteral("DirGroupBox"));
    auto* dirLayout = new QVBoxLayout(DirGroupBox);
    DriveComboBox = new QComboBox(DirGroupBox);
    DriveComboBox->setObjectName(QStringLiteral("DriveComboBox"));
    DirectoryListBox = new QTreeView(DirGroupBox);
    DirectoryListBox->setObjectName(QStringLiteral("DirectoryListBox"));
    DirModel = new QFileSystemModel(this);
    DirModel->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Drives);
    DirModel->setReadOnly(true);
    DirectoryListBox->setModel(DirModel);
    DirectoryListBox->setHeaderHidden(true);
    for (int c = 1; c < DirModel->columnCount(); ++c)
        DirectoryListBox->hideColumn(c);
    dirLayout->addWidget(DriveComboBox);
    dirLayout->addWidget(DirectoryListBox, 1);
    column->addWidget(DirGroupBox, 1);

    FileGroupBox = new QGroupBox(QStringLiteral("Dateien"), m_controls);
    FileGroupBox->setObjectName(QStringLiteral("FileGroupBox"));
    auto* fileLayout = new QGridLayout(FileGroupBox);
    auto edit = [](const QString& name, const QString& text, QWidget* parent) {
        auto* e = new QLineEdit(text, parent);
        e->setObjectName(name);
        e->setMaximumWidth(60);
        return e;
    };
    auto label = [](const QString& name, const QString& text, QWidget* parent) {
        auto* l = new QLabel(text, parent);
        l->setObjectName(name);
        return l;
    };
    Tiefe = label(QStringLiteral("Tiefe"), QStringLiteral("Tiefe"), FileGroupBox);
    EditDirLevelMax = edit(QStringLiteral("EditDirLevelMax"), QStringLiteral("1"), FileGroupBox);
    DirsOnlyCheckBox = new QCheckBox(QStringLiteral("nur Ordner aufnehmen"), FileGroupBox);
    DirsOnlyCheckBox->setObjectName(QStringLiteral("DirsOnlyCheckBox"));
    DirsOnlyCheckBox->setChecked(true);
    DrawTitleCheck = new QCheckBox(QStringLiteral("Titel"), FileGroupBox);
    DrawTitleCheck->setObjectName(QStringLiteral("DrawTitleCheck"));
    DrawTitleCheck->setChecked(true);
    TitleEdit = new QLineEdit(FileGroupBox);
    TitleEdit->setObjectName(QStringLiteral("TitleEdit"));
    DirFontButton = new QPushButton(QStringLiteral("Schrift Ordner..."), FileGroupBox);
    DirFontButton->setObjectName(QStringLiteral("DirFontButton"));
    DirFontLabel = label(QStringLiteral("DirFontLabel"), FontDescription(m_dirFont), FileGroupBox);
    FileFontButton = new QPushButton(QStringLiteral("Schrift Dateien..."), FileGroupBox);
    FileFontButton->setObjectName(QStringLiteral("FileFontButton"));
    FileFontLabel =
        label(QStringLiteral("FileFontLabel"), FontDescription(m_fileFont), FileGroupBox);
    fileLayout->addWidget(Tiefe, 0, 0);
    fileLayout->addWidget(EditDirLevelMax, 0, 1);
    fileLayout->addWidget(DirsOnlyCheckBox, 1, 0, 1, 2);
    fileLayout->addWidget(DrawTitleCheck, 2, 0);
    fileLayout->addWidget(TitleEdit, 2, 1);
    fileLayout->addWidget(DirFontButton, 3, 0, 1, 2, Qt::AlignLeft);
    fileLayout->addWidget(DirFontLabel, 4, 0, 1, 2);
    fileLayout->addWidget(FileFontButton, 5, 0, 1, 2, Qt::AlignLeft);
    fileLayout->addWidget(FileFontLabel, 6, 0, 1, 2);
    column->addWidget(FileGroupBox);

    LayoutGroupBox = new QGroupBox(QStringLiteral("Layout"), m_controls);
    LayoutGroupBox->setObjectName(QStringLiteral("LayoutGroupBox"));
    auto* layoutGrid = new QGridLayout(LayoutGroupBox);
    Spaltenzahl = label(QStringLiteral("Spaltenzahl"), QStringLiteral("Spaltenzahl"), LayoutGroupBox);
    EditColCount = edit(QStringLiteral("EditColCount"), QStringLiteral("3"), LayoutGroupBox);
    Abstand = label(QStringLiteral("Abstand"), QStringLiteral("Abstand (mm)"), LayoutGroupBox);
    EditColDist = edit(QStringLiteral("EditColDist"), QStringLiteral("3"), LayoutGroupBox);
    Breite = label(QStringLiteral("Breite"), QStringLiteral("Breite (mm)"), LayoutGroupBox);
    EditColsWidth = edit(QStringLiteral("EditColsWidth"), QStringLiteral("110"), LayoutGroupBox);
    Hoehe = label(QStringLiteral("Hoehe"), QStringLiteral("Höhe (mm)"), LayoutGroupBox);
    EditColHeight = edit(QStringLiteral("EditColHeight"), QStringLiteral("110"), LayoutGroupBox);
    layoutGrid->addWidget(Spaltenzahl, 0, 0);
    layoutGrid->addWidget(EditColCount, 0, 1);
    layoutGrid->addWidget(Abstand, 1, 0);
    layoutGrid->addWidget(EditColDist, 1, 1);
    layoutGrid->addWidget(Breite, 2, 0);
    layoutGrid->addWidget(EditColsWidth, 2, 1);
    layoutGrid->addWidget(Hoehe, 3, 0);
    layoutGrid->addWidget(EditColHeight, 3, 1);
    column->addWidget(LayoutGroupBox);

    GenerateButton = new QPushButton(QStringLiteral("Bild erzeugen"), m_controls);
    GenerateButton->setObjectName(QStringLiteral("GenerateButton"));
    Button = new QPushButton(QStringLiteral("Auf das Blatt übernehmen"), m_controls);
    Button->setObjectName(QStringLiteral("Button"));
    InfoLabel = new QLabel(m_controls);
    InfoLabel->setObjectName(QStringLiteral("InfoLabel"));
    InfoLabel->setWordWrap(true);
    column->addWidget(GenerateButton);
    column->addWidget(Button);
    column->addWidget(InfoLabel);

    Preview = new TCdPreview(m_metafile, this);
    SetHint(this, QStringLiteral("CD"));

    connect(DriveComboBox, &QComboBox::currentIndexChanged, this,
            [this] { DriveComboBoxChange(); });
    connect(DirectoryListBox->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { DirectoryListBoxChange(); });
    for (QLineEdit* e : {EditColCount, EditDirLevelMax})
        connect(e, &QLineEdit::textChanged, this, [this] { Generate(); });
    connect(DirsOnlyCheckBox, &QCheckBox::toggled, this, [this] { Generate(); });
    connect(GenerateButton, &QPushButton::clicked, this, [this] { Generate(); });
    connect(Button, &QPushButton::clicked, this, [this] { ButtonClick(); });
    connect(DirFontButton, &QPushButton::clicked, this, [this] { FontButtonClick(true); });
    connect(FileFontButton, &QPushButton::clicked, this, [this] { FontButtonClick(false); });
}

void TfrmTabCD::FillDrives()
{
    m_filling = true;
    DriveComboBox->clear();
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        // Files mounted into containers are no drives.
        if (!volume.isValid() || !volume.isReady() || !QFileInfo(volume.rootPath()).isDir())
            continue;
        DriveComboBox->addItem(driveText(volume), volume.rootPath());
    }
    m_filling = false;
}

void TfrmTabCD::SetDirectory(const QString& folder)
{
    const QString path = QDir::cleanPath(QDir(folder).absolutePath());
    const QStorageInfo volume(path);
    const QString root = volume.isValid() ? volume.rootPath() : QDir::rootPath();
    int index = DriveComboBox->findData(root);
    if (index < 0) {
        m_filling = true;
        DriveComboBox->addItem(volume.isValid() ? driveText(volume) : root, root);
        m_filling = false;
        index = DriveComboBox->count() - 1;
    }
    m_filling = true;
    DriveComboBox->setCurrentIndex(index);
    m_filling = false;
    TitleEdit->setText(volume.isValid() ? volume.displayName() : root);
    showDirectory(path);
}

void TfrmTabCD::showDirectory(const QString& folder)
{
    const QString root = DriveComboBox->currentData().toString();
    m_filling = true;
    DirModel->setRootPath(root);
    DirectoryListBox->setRootIndex(DirModel->index(root).parent());
    const QModelIndex index = DirModel->index(folder);
    DirectoryListBox->setCurrentIndex(index);
    DirectoryListBox->scrollTo(index);
    m_filling = false;
    m_directory = folder;
    Generate();
}

void TfrmTabCD::DriveComboBoxChange()
{
    if (m_filling || DriveComboBox->currentIndex() < 0)
        return;
    const QString root = DriveComboBox->currentData().toString();
    const QStorageInfo volume(root);
    TitleEdit->setText(volume.isValid() ? volume.displayName() : root);
    showDirectory(root);
}

void TfrmTabCD::DirectoryListBoxChange()
{
    if (m_filling)
        return;
    const QModelIndex index = DirectoryListBox->currentIndex();
    if (!index.isValid())
        return;
    m_directory = DirModel->filePath(index);
    Generate();
}

void TfrmTabCD::FormShow()
{
    Generate();
}

void TfrmTabCD::Generate()
{
    if (m_constructing || m_directory.isEmpty())
        return;
    TCdListingOptions o;
    bool ok[5] = {};
    o.DirLevelMax = EditDirLevelMax->text().trimmed().toInt(&ok[0]);
    o.ColCount = EditColCount->text().trimmed().toInt(&ok[1]);
    o.ColDist = EditColDist->text().trimmed().toInt(&ok[2]);
    o.ColsWidth = EditColsWidth->text().trimmed().toInt(&ok[3]);
    o.ColHeight = EditColHeight->text().trimmed().toInt(&ok[4]);
    for (bool b : ok) {
        if (!b)
            return; // half-typed numbers leave the previous picture
    }
    // Values outside the fields' ranges would divide by zero or give negative columns.
    const QString problem = CdLayoutProblem(o);
    if (!problem.isEmpty()) {
        InfoLabel->setText(problem);
        return;
    }
    o.Folder = m_directory;
    o.DirsOnly = DirsOnlyCheckBox->isChecked();
    o.DrawTitle = DrawTitleCheck->isChecked();
    o.Title = TitleEdit->text();
    o.DirFont = m_dirFont;
    o.FileFont = m_fileFont;
    {
        WaitCursor wait;
        setEnabled(false);
        m_result = DrawCdListing(m_metafile, o);
        setEnabled(true);
    }
    ++m_generated;
    updateInfo();
    Preview->update();
}

void TfrmTabCD::updateInfo()
{
    QStringList lines;
    lines << QStringLiteral("Einträge: %1, Spalten: %2").arg(m_result.Entries).arg(m_result.Columns);
    if (!m_result.Complete)
        lines << QStringLiteral("Die Spalten sind voll; weitere Einträge fehlen.");
    if (m_result.BadNames > 0)
        lines << QStringLiteral("%1 Namen sind kein gültiges UTF-8 und stehen mit Ersatzzeichen "
                                "(\uFFFD) da.")
                     .arg(m_result.BadNames);
    if (!m_result.Unreadable.isEmpty())
        lines << QStringLiteral("Ohne Inhalt, da nicht lesbar: %1").arg(m_result.Unreadable.join(QStringLiteral(", ")));
    InfoLabel->setText(lines.join(QLatin1Char('\n')));
}

void TfrmTabCD::FontButtonClick(bool dirFont)
{
    TCdFont font = dirFont ? m_dirFont : m_fileFont;
    if (!FontDialogHook || !FontDialogHook(this, font))
        return;
    if (dirFont)
        SetDirFont(font);
    else
        SetFileFont(font);
}

void TfrmTabCD::SetDirFont(const TCdFont& font)
{
    m_dirFont = font;
    DirFontLabel->setText(FontDescription(font));
    Generate();
}

void TfrmTabCD::SetFileFont(const TCdFont& font)
{
    m_fileFont = font;
    FileFontLabel->setText(FontDescription(font));
    Generate();
}

void TfrmTabCD::ButtonClick()
{
    if (!Button->isEnabled())
        return;
    KeepEditorBitmap = false;
    if (MainLink)
        MainLink->Change2Editor();
    if (m_metafile.Empty() || !Document)
        return;
    Document->AddGraphic(m_metafile, 0, nullptr, CurrentSide);
    if (MainLink)
        MainLink->SelectElement(0, true);
    else
        Document->SelectedIndex = 0;
    // Like every other insertion: one undo step takes the listing off the sheet again.
    Document->InsertUndo(InsertedUndoKey(0));
}

void TfrmTabCD::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_controls->setGeometry(0, 0, kControlsWidth, height());
    const int left = kControlsWidth + kMargin, top = kMargin;
    Preview->setGeometry(left, top, std::max(22, width() - left - kMargin),
                         std::max(22, height() - top - kMargin));
    Preview->update();
}
