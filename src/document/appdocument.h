#pragma once
// The document: sheet size, print settings, notes and one stack of elements for both sides.

#include "document/docelement.h"
#include "document/placeholders.h"
#include <QList>
#include <QPair>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

class QPainter;

// Raised when a document file cannot be read or written; the message names the file.
class TDocumentError : public std::runtime_error {
public:
    explicit TDocumentError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

// Raised by RenderPathList for a line whose numbers are not integers; names the line.
class TPathListError : public std::runtime_error {
public:
    explicit TPathListError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

// One undo entry: a key text and, for some kinds, a copy of an element (owned). An entry
// of the filling of placeholders ("*") carries the former texts of the filled elements.
struct TUndoEntry {
    QString Key;
    std::shared_ptr<TDocElement> Object;
    QList<QPair<int, QString>> Texts; // element index, text
};

// What reading a document file found: a sound file, or where it is damaged and how much of
// it could be read.
struct TLoadReport {
    bool Damaged = false;
    QString Reason;     // German, without the file name: "sie endet mitten im 8. Element"
    int Elements = 0;   // elements read whole
    int Incomplete = 0; // elements kept with the fields read before the damage
    int GoodLines = 0;  // lines read before the first damage
    int Lines = 0;      // lines of the file
};

// "Die Datei „…“ ist beschädigt: …": what the user is told about a damaged file.
QString DamageText(const QString& fileName, const TLoadReport& report);

// Whether the file begins with the first line of a document file.
bool IsDocumentFile(const QString& fileName);

class TAppDocument {
public:
    explicit TAppDocument(bool askBeforeDiscard);
    ~TAppDocument();
    TAppDocument(const TAppDocument&) = delete;
    TAppDocument& operator=(const TAppDocument&) = delete;

    void SetFileName(const QString& name);
    QString GetFileName() const { return FileName; }
    void Clear();
    // Whether path is the damaged file this document was read from.
    bool IsDamagedFile(const QString& path) const;
    void CopyFrom(const TAppDocument& source);
    double FitZoom(int boxWidth, int boxHeight) const;
    // The side (0 front, 1 back) at the zoom; skip (an element being carried) is left out.
    void DrawElements(QPainter& canvas, double zoom, int side,
                      const TDocElement* skip = nullptr) const;
    // One element at the zoom, whatever its side.
    static void DrawElement(QPainter& canvas, const TDocElement& element, double zoom);
    // The pixels an element may cover at the zoom: its box, and its shadow's.
    static QRect ElementExtent(const TDocElement& element, double zoom);
    // The topmost element of the side under the pixel (x, y) at the zoom, selected.
    TDocElement* HitTest(int x, int y, Qt::KeyboardModifiers shift, double zoom, int side,
                         bool doubleClick = false);
    void DrawSelection(QPainter& canvas, double zoom) const;
    // Removes the selected element from the stack and hands it to the caller.
    std::unique_ptr<TDocElement> DeleteSelected();
    // New elements on top of the stack, on the side given (0 front, 1 back).
    TDocElementWMF* AddGraphic(const TMetafile& metafile, int sourceKind,
                               const QStringList* pathList, int side = 0);
    TDocElementTXT* AddText(const QString& text, int side = 0);
    void PushUndo();
    // Inserts an undo entry at index 0 and trims the list to UndoLimit. A new change ends
    // what could be redone: the redo list is emptied.
    void InsertUndo(const QString& key, std::shared_ptr<TDocElement> object = nullptr);
    void InsertUndo(TUndoEntry entry);

    void LoadFromFile(const QString& name); // throws TDocumentError
    void SaveToFile(const QString& name);   // throws TDocumentError
    // The file's bytes, and reading them into this (already cleared) document.
    QByteArray SaveToBytes() const;
    TLoadReport LoadFromBytes(const QByteArray& bytes);
    // Fills every text element's Text from its MacroText with the values; returns the
    // number of texts cut at MaxFilledLength.
    int FillPlaceholders(const TPlaceholderValues& values);
    static void RenderPathList(TMetafile& metafile, const QStringList& pathList);

    // Element stack helpers (index 0 is the topmost element).
    int Count() const { return int(Elements.size()); }
    TDocElement* Element(int index) const { return Elements.at(index).get(); }
    TDocElement* Selected() const;
    void InsertElement(int index, std::unique_ptr<TDocElement> element);
    std::unique_ptr<TDocElement> TakeElement(int index);

    QString FileName;
    bool AskBeforeDiscard;
    std::vector<std::unique_ptr<TDocElement>> Elements;
    QList<TUndoEntry> UndoList;
    // What undo took back, newest first, in the same form and depth as UndoList.
    QList<TUndoEntry> RedoList;
    std::int32_t UndoLimit = 10;
    std::int32_t SelectedIndex = -1;
    bool Modified = false;
    double PageWidth = 210;
    double PageHeight = 297;
    double PrintMarginLeft = 0;
    double PrintMarginRight = 0;
    double PrintMarginTop = 0;
    double PrintMarginBottom = 0;
    double PrintDistHor = 0;
    double PrintDistVer = 0;
    std::uint16_t CopyCount = 1;
    bool SelectAllCells = false;
    std::uint8_t Orientation = 0; // 0 portrait, 1 landscape
    QString Notes;
    // "Leere Felder auslassen": empty placeholders take their blanks and words along.
    bool SkipEmpty = false;
    // The label or card product ("Bogen") the cells are placed on; empty: the free layout.
    QString PrintProduct;
    // What the last LoadFromFile found, and the file's name when it was damaged: saving over
    // that file would replace what could not be read, so the interface asks first.
    TLoadReport LoadReport;
    QString DamagedFile;

    // Called after the file name changed (the main window shows it in its title).
    std::function<void()> FileNameChanged;
};
