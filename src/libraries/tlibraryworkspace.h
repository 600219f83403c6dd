#pragma once
// What the template and clipart workspaces share: the library drop-down, the entry tree,
// the white preview with its shadow and the apply button.

#include "document/librarylist.h"
#include <QStringList>
#include <QWidget>
#include <functional>

class QComboBox;
class QFrame;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The preview area; the workspace paints it.
class TPreviewBox : public QWidget {
    Q_OBJECT
public:
    explicit TPreviewBox(QWidget* parent = nullptr) : QWidget(parent) {}
    std::function<void(QPainter&)> OnPaint;

protected:
    void paintEvent(QPaintEvent*) override;
};

class TLibraryWorkspace : public QWidget {
    Q_OBJECT
public:
    // The catalogue reader fills the four parallel lists and LibraryCount, then calls
    // LibrariesRead(), which fills the drop-down from Titles, chooses the first library
    // when there is one and runs LibraryComboBoxClick().
    QStringList Titles;
    QStringList Bibs;
    QStringList Dirs;
    QStringList Types;
    int LibraryCount = 0;
    void LibrariesRead();

    // Choosing a library (drop-down click): refills the tree from the library's list file.
    void LibraryComboBoxClick();
    // Selecting a tree entry: previews it and enables the button for applicable entries.
    void TreeViewChange();
    // Applies the chosen entry (button click or double click), only when the button is
    // enabled.
    virtual void ButtonClick() = 0;

    QComboBox* LibraryComboBox = nullptr;
    QTreeWidget* TreeView = nullptr;
    TPreviewBox* PreviewBox = nullptr;
    QFrame* ShadowShape = nullptr;
    QPushButton* Button = nullptr;

    int LibraryIndex() const { return m_libraryIndex; }
    // The width of the library box, the list and the button beside the preview.
    int ListWidth() const;
    // The name carried by the selected node, empty for headings and without selection.
    QString SelectedName() const;
    // Root + dir + "/" + name + "." + type of the chosen library.
    QString EntryPath(const QString& name) const;

    // Shows errors on bad input; tests replace it. Default: a message box.
    static std::function<void(const QString&)> ErrorHook;
    static void ShowError(const QString& message);

    ~TLibraryWorkspace() override;

protected:
    TLibraryWorkspace(const QString& libraryHint, const QString& treeHint, QWidget* parent);
    virtual QString LibraryRoot() const = 0;
    virtual QList<TLibraryNode> ParseList(const QStringList& lines) const = 0;
    virtual void PreviewEntry(const QString& name) = 0;
    virtual void PaintPreview(QPainter& painter) = 0;
    virtual void PreviewResized() {}
    // Shows nothing (another library or a heading is chosen).
    virtual void ClearPreview() {}
    QString LibraryType() const;

    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void layOut();
    void fillTree(const QList<TLibraryNode>& nodes, QTreeWidgetItem* parent);

    int m_libraryIndex = -1;
    bool m_populated = true; // false while the tree is being filled
};
