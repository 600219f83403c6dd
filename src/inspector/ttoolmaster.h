#pragma once
// The object inspector "Objekt-Inspektor": a floating tool window that shows the selected
// element's position and size in millimetres and hosts the text page or the graphic page.
// Every click, selection or arrow step is written into the element at once and the sheet
// is redrawn; typed values are written with Enter or the check-mark button.

#include "editor/inspectorlink.h"
#include <QImage>
#include <QPointer>
#include <QSize>
#include <QStringList>
#include <optional>

#include "metafile/tmetafile.h"

class QColorDialog;
class QFontDialog;
class QLineEdit;
class QToolButton;
class TDocElementWMF;
class TtoolSubFormBAR;
class TtoolSubFormTXT;
class TtoolSubFormWMF;
class TUpDown;

class TToolMaster : public TInspectorLink {
    Q_OBJECT
public:
    explicit TToolMaster(QWidget* parent = nullptr);
    ~TToolMaster() override;

    // What the sheet editor uses.
    void SetReference(TDocElement* element) override;
    TDocElement* Reference() const override { return m_reference; }
    void UpdateFromReference() override;
    void SetFullRefresh(std::function<void()> refresh) override;
    void SetToggleButton(QAbstractButton* button) override;
    bool Proportional() const override;

    // Writes all fields into the element (with one undo step) and redraws the sheet.
    void ApplyBtnClick();
    // Shows the element's stored values again; the element does not change.
    void CancelBtnClick();
    // An arrow of one of the inspector's up-downs (or of the text page's) was clicked.
    void SpinClick(QObject* sender, bool up);
    // Enter anywhere in the window applies.
    bool FormKeyDown(int key);
    // Carries out the graphic page's and the filter dialog's operations.
    void TtoolSubFormWMFChangeClick(QObject* sender);
    void TtoolSubFormWMFChanging(QObject* sender) { TtoolSubFormWMFChangeClick(sender); }
    void ToolSubFormTXTSpBtnFontDialogClick();
    void TtoolSubFormTXTSpBtnShadowClick();
    void TtoolSubFormTXTSpBtnAngleClick(QObject* sender);
    // False while the fields are being filled from the element.
    bool IsReady() const { return m_ready; }

    QWidget* MainPanel;
    QWidget* ChildPanel;
    QLineEdit* EditLeft;
    QLineEdit* EditTop;
    QLineEdit* EditWidth;
    QLineEdit* EditHeight;
    TUpDown* SpinLeft;
    TUpDown* SpinTop;
    TUpDown* SpinWidth;
    TUpDown* SpinHeight;
    QToolButton* SpeedButtonOneZero;
    QToolButton* SpeedButtonZeroOne;
    QToolButton* Proportbutton;
    QToolButton* ApplyBtn;
    QToolButton* CancelBtn;
    QToolButton* SpeedButtonFullRefresh; // hidden; its click redraws the sheet
    QFontDialog* FontDialog;
    QColorDialog* ColorDialog;

    TtoolSubFormTXT* TextPage;
    TtoolSubFormWMF* GraphicPage;
    TtoolSubFormBAR* BarcodePage;
    QSize BarcodePageSize;
    QSize TextPageSize; // as measured right after creation
    QSize GraphicPageSize;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMainPanel();
    void connectTextPage();
    void connectBarcodePage();
    // Writes the barcode page's choices into the element (one undo step) and redraws.
    void applyBarcodePage(int quarterTurns);
    void applyLanguage();
    void setClientSize(int width, int height);
    void fullRefresh();
    void showError(const QString& message);
    // The reference's place in the document's stack; -1 when it is no longer there.
    int referenceIndex() const;
    // What the edits hold now, to tell typed but unapplied values from shown ones.
    QStringList editTexts() const;
    bool hasPendingEdits() const;
    // Applies typed values before the inspector turns to another element.
    void applyPendingEdits();

    // Graphic operations (inspectortransforms.cpp)
    void rasterTransform(TDocElementWMF& element, QObject* sender);
    void listTransform(TDocElementWMF& element, QObject* sender);
    void pathColour(TDocElementWMF& element, QChar letter);
    void strokeWidth(TDocElementWMF& element);
    void runFilterDialog(TDocElementWMF& element);
    void filterStep(TDocElementWMF& element, QObject* sender);
    // Renders list into the element's picture; on a bad line nothing changes.
    bool renderList(TDocElementWMF& element, const QStringList& list);

    TDocElement* m_reference = nullptr;
    bool m_ready = true;
    QStringList m_shownTexts; // editTexts() after the last filling or apply
    bool m_fillRequested = false; // the placeholder field's check mark or Return
    QPointer<QAbstractButton> m_toggle;
    std::function<void()> m_refresh;

    // While the filter dialog is open: the picture as it was at opening.
    bool m_filterOpen = false;
    QImage m_startImage;
    TMetafile m_startMetafile;
    QStringList m_startPathList;
    bool m_ownsFilter = false;
};
