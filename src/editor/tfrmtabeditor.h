#pragma once
// The sheet editor workspace ("Blatt"): the zoomed sheet with rulers, mouse editing of the
// selected element, the tool-bar commands with their undo entries and the graphic import.
//
// All drawing goes through three off-screen images (sheet and the two rulers) that only
// MyMemoryBitmapPaint rebuilds; PagePaint merely copies them and draws the dotted frame.
// A freshly inserted element that follows the pointer is left out of the sheet image and
// painted on top from its own image, so carrying it never rebuilds the sheet.

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <functional>
#include <memory>

class QColor;
class QComboBox;
class QPainter;
class QMimeData;
class QScrollArea;
class QStatusBar;
class QTabBar;
class QToolBar;
class QToolButton;
class TDocElement;
class TInspectorLink;
class TMetafile;
class TRulerBox;
class TSheetPage;
struct TUndoEntry;

class TfrmTabEditor : public QWidget {
    Q_OBJECT
public:
    explicit TfrmTabEditor(QWidget* parent = nullptr);
    ~TfrmTabEditor() override;

    // --- view ---------------------------------------------------------------------------
    // Called by the main window on tab changes.
    void Sleep();
    void WakeUp();
    void ZoomGanzeSeite();
    void ZoomSeitenbreite();
    void ZoomSeitenHoehe();
    void AdjustPage();
    void MyMemoryBitmapPaint();
    void FormPaint();
    void PagePaint();
    void PageFullRefresh();
    void ZoomfeldChange();

    struct TRulerSteps {
        int Small;
        int Middle;
        int Label;
    };
    static TRulerSteps RulerStepsFor(double zoom);

    // --- mouse editing ------------------------------------------------------------------
    // Makes an element the selection; insertion = carry mode (the element follows the
    // pointer until the next click places it).
    void PageProcessSimpleHit(TDocElement* element, int x, int y, bool insertion);
    void PageMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y,
                       bool doubleClick);
    void PageMouseMove(int x, int y);
    void PageMouseUp();
    void PageMouseMoveElement(int x, int y);
    void PageMouseMoveEdge(int x, int y);

    // --- commands -----------------------------------------------------------------------
    void SpeedButtonNewClick();
    void SpeedButtonSaveClick();
    void SpeedButtonEraseClick();
    void SpeedButtonCutClick();
    void SpeedButtonCopyClick();
    void SpeedButtonPasteClick();
    void SpeedButtonReturnClick();
    // Carries out again what the last undo took back (Ctrl+Y, Ctrl+Shift+Z).
    void SpeedButtonRedoClick();
    void SpeedButtonTextClick();
    void SpeedButtonBarcodeClick();
    void SpeedButtonGraphicClick();
    void SpeedButtonObjectInspectorClick();
    void SpeedButtonFullDownClick();
    void SpeedButton1DownClick();
    void SpeedButton1UpClick();
    void SpeedButtonFullUpClick();
    void SpeedButtonArangeClick();
    void TabSetSeitenChange(int index);

    // The import after the open dialog: decides by the name's extension. Returns whether an
    // element was inserted; unreadable files are reported through ShowError.
    bool ImportGraphicFile(const QString& fileName);
    // The filter of the open dialog, in the dialog's own notation.
    static QString GraphicFilter();

    // Builds what Copy puts on the system clipboard for a picture: the EMF bytes as
    // "image/x-emf" and a rendered "image/png". Null for an empty picture.
    static QMimeData* PictureMimeData(const TMetafile& metafile);

    // Error boxes go through this (tests replace it); default: a German message box.
    std::function<void(const QString& text)> ShowError;
    // The open dialog of the graphic import (tests replace it); returns "" when cancelled.
    std::function<QString()> AskGraphicFileName;

    // --- controls -----------------------------------------------------------------------
    QToolBar* ToolBar = nullptr;
    QToolButton* SpeedButtonNew = nullptr;
    QToolButton* SpeedButtonSave = nullptr;
    QToolButton* SpeedButtonErase = nullptr;
    QToolButton* SpeedButtonCut = nullptr;
    QToolButton* SpeedButtonCopy = nullptr;
    QToolButton* SpeedButtonPaste = nullptr;
    QToolButton* SpeedButtonReturn = nullptr;
    QToolButton* SpeedButtonRedo = nullptr;
    QToolButton* SpeedButtonText = nullptr;
    QToolButton* SpeedButtonBarcode = nullptr;
    QToolButton* SpeedButtonGraphic = nullptr;
    QToolButton* SpeedButtonObjectInspector = nullptr;
    QToolButton* SpeedButtonFullDown = nullptr;
    QToolButton* SpeedButton1Down = nullptr;
    QToolButton* SpeedButton1Up = nullptr;
    QToolButton* SpeedButtonFullUp = nullptr;
    QComboBox* ZoomComboBox = nullptr;
    QToolButton* SpeedButtonArange = nullptr;
    QWidget* RulerAtTop = nullptr;
    QWidget* RulerAtSide = nullptr;
    QScrollArea* ScrollBox = nullptr;
    QWidget* Page = nullptr;
    QTabBar* TabSetSeiten = nullptr; // "Vorderseite", "Rückseite"
    QStatusBar* StatusBar = nullptr;
    TInspectorLink* Inspector = nullptr; // may be null (no factory installed)

    // --- view state ---------------------------------------------------------------------
    double ZoomFactor = 1.0;
    QImage SheetBitmap;
    QImage TopRulerBitmap;
    QImage SideRulerBitmap;
    bool InspectorWasVisible = false;
    // How often the off-screen images were rebuilt (for checks that drags do not).
    int RebuildCount() const { return m_rebuildCount; }
    // The element that follows the pointer after an insertion, drawn over the sheet image
    // (null when nothing is carried), and the pixels it covers on the page now.
    const TDocElement* CarriedElement() const;
    QRect CarriedRect() const;

    // The colour of the mark on a text box whose text is cut at its edges (screen only).
    static QColor CutTextMarkColor();

    // --- editing state ------------------------------------------------------------------
    TDocElement* SelectedElement = nullptr;
    std::unique_ptr<TDocElement> ClipboardElement;
    std::uint8_t DragMode = 0; // 0 idle, 1 move or carry, 2 edge or corner
    std::uint8_t EdgeCode = 0;
    QPoint DragStart;
    struct TGeometry {
        double Left = 0, Top = 0, Width = 0, Height = 0;
    } SavedGeometry;
    bool GeometryChanged = false;
    bool DragStarted = false;
    bool InsertPending = false;

    // Global services with a fallback when no main window is installed.
    static void SelectElement(int index, bool insertion);
    static void Change2Save();

    // Paint handlers of the three boxes (called from their paint events).
    void PaintPage(class QPainter& painter, const QRect& exposed);
    void PaintTopRuler(class QPainter& painter);
    void PaintSideRuler(class QPainter& painter);

protected:
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildToolBar();
    void buildShortcuts();
    void FormResize();
    // Drops a selection whose element is no longer in the document (the stack was replaced
    // from elsewhere); returns the valid selected element or null.
    TDocElement* liveSelection();
    void insertUndo(const QString& key);
    // Undo and redo alike: carries out the entry on the stack as it is now and returns the
    // entry that reverses it (an empty key when the entry no longer fit and did nothing).
    TUndoEntry applyUndoEntry(const TUndoEntry& entry);
    // Enables undo and redo by what their lists hold.
    void updateUndoButtons();
    void insertPicture(const TMetafile& metafile, int sourceKind, const QStringList* pathList);
    bool moveElement(int from, int to);
    void drawRulers(const TRulerSteps& steps);
    void drawCutTextMarks(QPainter& painter);
    // Carrying: the element leaves the sheet image and is painted from m_carriedImage.
    void beginCarry(TDocElement* element);
    void endCarry(bool rebuild);
    void renderCarried();
    // Repaints where the carried element was (before) and where it is now.
    void carryStep(const QRect& before);

    int m_rebuildCount = 0;
    TDocElement* m_carried = nullptr;
    QImage m_carriedImage;  // the element alone at ZoomFactor, transparent around it
    QPoint m_carriedOffset; // from the element's top-left pixel to the image's
    bool m_shownOnce = false;
};

// The editor that PageProcessSimpleHit is routed to by the fallback of SelectElement
// when no main window is installed (the last editor created).
extern TfrmTabEditor* ActiveEditor;
