#include "libraries/tlibraryworkspace.h"

#include "ui/globals.h"
#include "ui/hints.h"
#include "ui/messages.h"
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QPainter>
#include <QPushButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <algorithm>

std::function<void(const QString&)> TLibraryWorkspace::ErrorHook;

void TPreviewBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (OnPaint)
        OnPaint(painter);
}

TLibraryWorkspace::TLibraryWorkspace(const QString& libraryHint, const QString& treeHint,
                                     QWidget* parent)
    : QWidget(parent) {
    if (FormColor.isValid()) {
        QPalette pal = palette();
        pal.setColor(QPalette::Window, FormColor);
        setPalette(pal);
        setAutoFillBackground(true);
    }
    LibraryComboBox = new QComboBox(this);
    LibraryComboBox->setGeometry(8, 8, 240, 24);
    SetHint(LibraryComboBox, libraryHint);

    TreeView = new QTreeWidget(this);
    TreeView->setHeaderHidden(true);
    TreeView->setGeometry(8, 40, 240, 300);
    TreeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SetHint(TreeView, treeHint);

    Button = new QPushButton(QStringLiteral("Übernehmen"), this);
    Button->setGeometry(8, 348, 240, 32);
    Button->setEnabled(false);

    ShadowShape = new QFrame(this);
    ShadowShape->setAutoFillBackground(true);
    QPalette shadow = ShadowShape->palette();
    shadow.setColor(QPalette::Window, Qt::black);
    ShadowShape->setPalette(shadow);

    PreviewBox = new TPreviewBox(this);
    PreviewBox->setGeometry(264, 8, 300, 300);
    PreviewBox->OnPaint = [this](QPainter& p) { PaintPreview(p); };
    ShadowShape->setGeometry(PreviewBox->geometry().translated(5, 5));
    ShadowShape->lower();

    connect(LibraryComboBox, &QComboBox::activated, this, [this](int) { LibraryComboBoxClick(); });
    connect(Button, &QPushButton::clicked, this, [this] { ButtonClick(); });
    connect(TreeView, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem*, int) { ButtonClick(); });
}

TLibraryWorkspace::~TLibraryWorkspace() {
    // The children outlive this part of the object; their signals must not reach it.
    for (QObject* child : findChildren<QObject*>())
        child->disconnect(this);
    PreviewBox->OnPaint = nullptr;
}

void TLibraryWorkspace::ShowError(const QString& message) {
    if (ErrorHook)
        ErrorHook(message);
    else
        ShowMessage(nullptr, QStringLiteral("Quillmark"), message);
}

void TLibraryWorkspace::LibrariesRead() {
    if (!Titles.isEmpty()) {
        LibraryComboBox->clear();
        LibraryComboBox->addItems(Titles);
        layOut();
    }
    if (LibraryCount > 0 && LibraryComboBox->count() > 0)
        LibraryComboBox->setCurrentIndex(0);
    LibraryComboBoxClick();
}

QString TLibraryWorkspace::LibraryType() const {
    return m_libraryIndex >= 0 && m_libraryIndex < Types.size() ? Types.at(m_libraryIndex).trimmed()
                                                                : QString();
}

QString TLibraryWorkspace::EntryPath(const QString& name) const {
    const QString dir = m_libraryIndex >= 0 && m_libraryIndex < Dirs.size()
                            ? Dirs.at(m_libraryIndex).trimmed()
                            : QString();
    QString path = LibraryRoot() + dir;
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    const QString type = LibraryType();
    const QString exact = path + name + QLatin1Char('.') + type;
    // Catalogues name the type in any case; on file systems that tell cases apart, the
    // files may carry the extension in lower or upper case.
    if (!QFileInfo::exists(exact)) {
        for (const QString& ext : {type.toLower(), type.toUpper()}) {
            const QString other = path + name + QLatin1Char('.') + ext;
            if (QFileInfo::exists(other))
                return other;
        }
    }
    return exact;
}

QString TLibraryWorkspace::SelectedName() const {
    const QTreeWidgetItem* item = TreeView->currentItem();
    if (!item)
        return QString();
    const QVariant data = item->data(0, Qt::UserRole);
    return data.isValid() ? data.toString() : QString();
}

void TLibraryWorkspace::fillTree(const QList<TLibraryNode>& nodes, QTreeWidgetItem* parent) {
    for (const TLibraryNode& node : nodes) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(TreeView);
        item->setText(0, node.Text);
        if (node.HasName)
            item->setData(0, Qt::UserRole, node.Name);
        fillTree(node.Children, item);
    }
}

void TLibraryWorkspace::LibraryComboBoxClick() {
    m_populated = false;
    m_libraryIndex = LibraryComboBox->currentIndex();
    if (m_libraryIndex >= LibraryCount || m_libraryIndex >= Bibs.size())
        m_libraryIndex = -1;
    if (m_libraryIndex < 0) {
        m_populated = true;
        return;
    }
    disconnect(TreeView, &QTreeWidget::currentItemChanged, this, nullptr);
    TreeView->clear();
    Button->setEnabled(false);
    // The entry of the library shown before is no entry of this one.
    ClearPreview();
    PreviewBox->update();

    QStringList lines;
    try {
        ReadTextLines(LibraryRoot() + Bibs.at(m_libraryIndex).trimmed(), lines);
    } catch (const TLibraryError& e) {
        // Whatever was read before the failure still goes into the tree.
        fillTree(ParseList(lines), nullptr);
        ShowError(e.message());
        lines.clear();
    }
    if (!lines.isEmpty())
        fillTree(ParseList(lines), nullptr);
    TreeView->expandAll();
    // The list grows for the longest entry of this library.
    layOut();

    connect(TreeView, &QTreeWidget::currentItemChanged, this, [this] { TreeViewChange(); });
    m_populated = true;
    if (TreeView->topLevelItemCount() > 0)
        TreeView->setCurrentItem(TreeView->topLevelItem(0));
}

void TLibraryWorkspace::TreeViewChange() {
    if (!m_populated)
        return;
    Button->setEnabled(false);
    const QTreeWidgetItem* item = TreeView->currentItem();
    if (!item || !item->data(0, Qt::UserRole).isValid()) {
        ClearPreview();
        PreviewBox->update();
        return;
    }
    try {
        PreviewEntry(SelectedName());
    } catch (const TLibraryError& e) {
        ShowError(e.message());
    } catch (const std::exception& e) {
        ShowError(QString::fromLocal8Bit(e.what()));
    }
    PreviewBox->update();
}

int TLibraryWorkspace::ListWidth() const {
    // Wide enough for the longest library title with the box's arrow, within reason.
    int widest = 0;
    const QFontMetrics fm(LibraryComboBox->font());
    for (int i = 0; i < LibraryComboBox->count(); ++i)
        widest = std::max(widest, fm.horizontalAdvance(LibraryComboBox->itemText(i)) + 40);
    // And for the entries of the list, each indented by its depth.
    const QFontMetrics treeFm(TreeView->font());
    for (QTreeWidgetItemIterator it(TreeView); *it; ++it) {
        int depth = 1;
        for (const QTreeWidgetItem* p = (*it)->parent(); p; p = p->parent())
            ++depth;
        widest = std::max(widest, treeFm.horizontalAdvance((*it)->text(0)) +
                                      depth * TreeView->indentation() + 24);
    }
    return std::clamp(widest, 240, std::max(240, width() / 2));
}

void TLibraryWorkspace::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOut();
}

void TLibraryWorkspace::layOut() {
    const int list = ListWidth();
    LibraryComboBox->setGeometry(8, 8, list, 24);
    const int left = 8 + list + 16;
    const int top = PreviewBox->y();
    const int w = std::max(22, width() - left - 15);
    const int h = std::max(22, height() - top - 15);
    PreviewBox->setGeometry(left, top, w, h);
    ShadowShape->setGeometry(left + 5, top + 5, w, h);
    TreeView->setGeometry(8, 40, list, std::max(40, height() - 40 - 56));
    Button->setGeometry(8, TreeView->geometry().bottom() + 9, list, 32);
    PreviewResized();
    PreviewBox->update();
}

void TLibraryWorkspace::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    LibraryComboBox->setFocus();
}
