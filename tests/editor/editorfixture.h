#pragma once
// Shared set-up of the editor tests: a fresh document, an editor of a known size shown on
// the offscreen platform, a small stand-in for the inspector, and helpers that press, move
// and release the mouse on the sheet in millimetres.

#include "ui/globals.h"
#include "document/units.h"
#include "editor/inspectorlink.h"
#include "editor/tfrmtabeditor.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QScrollArea>
#include <QStandardPaths>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <memory>

// Records what the editor tells the inspector.
class TFakeInspector : public TInspectorLink {
public:
    using TInspectorLink::TInspectorLink;
    void SetReference(TDocElement* element) override {
        reference = element;
        ++referenceCalls;
    }
    TDocElement* Reference() const override { return reference; }
    void UpdateFromReference() override { ++updates; }
    void SetFullRefresh(std::function<void()> refresh) override { fullRefresh = refresh; }
    void SetToggleButton(QAbstractButton* button) override { toggle = button; }
    bool Proportional() const override { return proportional; }

    TDocElement* reference = nullptr;
    int referenceCalls = 0;
    int updates = 0;
    bool proportional = false;
    std::function<void()> fullRefresh;
    QAbstractButton* toggle = nullptr;
};

struct TEditorFixture {
    std::unique_ptr<TfrmTabEditor> editor;
    TFakeInspector* inspector = nullptr;
    QStringList errors;

    // withInspector: install a fake inspector through the factory.
    explicit TEditorFixture(bool withInspector = true, QSize size = QSize(900, 700)) {
        QStandardPaths::setTestModeEnabled(true);
        ResetGlobals();
        if (withInspector) {
            InspectorFactory = [this](QWidget* parent) {
                inspector = new TFakeInspector(parent);
                inspector->setWindowFlags(Qt::Tool);
                return inspector;
            };
        } else {
            InspectorFactory = nullptr;
        }
        editor = std::make_unique<TfrmTabEditor>();
        editor->ShowError = [this](const QString& text) { errors << text; };
        editor->resize(size);
        editor->show();
        editor->activateWindow();
        (void)QTest::qWaitForWindowActive(editor.get());
    }
    ~TEditorFixture() {
        editor.reset();
        InspectorFactory = nullptr;
    }

    // Sets a zoom through the combo as the user would (item text, then the change handler).
    void setZoomItem(const QString& text) {
        QComboBox* combo = editor->ZoomComboBox;
        combo->setCurrentIndex(combo->findText(text));
        editor->ZoomfeldChange();
    }

    QPoint px(double xmm, double ymm) const {
        return QPoint(MmToPixel(editor->ZoomFactor, xmm), MmToPixel(editor->ZoomFactor, ymm));
    }
    void press(QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::mousePress(editor->Page, Qt::LeftButton, mods, p);
    }
    void move(QPoint p) { QTest::mouseMove(editor->Page, p); }
    void release(QPoint p) { QTest::mouseRelease(editor->Page, Qt::LeftButton, Qt::NoModifier, p); }
    void click(QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        press(p, mods);
        release(p);
    }

    // A text element placed directly in the stack (index 0, on top).
    TDocElementTXT* addText(double l, double t, double w, double h, int side = 0) {
        const int saved = CurrentSide;
        CurrentSide = side;
        TDocElementTXT* e = Document->AddText(QStringLiteral("T"), CurrentSide);
        CurrentSide = saved;
        e->Left = l;
        e->Top = t;
        e->Width = w;
        e->Height = h;
        Document->Modified = false;
        return e;
    }
};
