#pragma once
// What the sheet editor needs of the object inspector. The inspector lives in a folder that
// builds on the editor, so the editor sees it only through this interface; the program
// installs a factory at start (tests of the editor alone may leave it empty).

#include <QWidget>
#include <functional>

class QAbstractButton;
class TDocElement;

class TInspectorLink : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    ~TInspectorLink() override = default;

    virtual void SetReference(TDocElement* element) = 0;
    virtual TDocElement* Reference() const = 0;
    virtual void UpdateFromReference() = 0;
    // The editor's full redraw (PageFullRefresh), run by the inspector after each apply.
    virtual void SetFullRefresh(std::function<void()> refresh) = 0;
    // The editor's tool-bar toggle "Objekt-Inspektor", kept in step with visibility.
    virtual void SetToggleButton(QAbstractButton* button) = 0;
    // Whether proportional sizing is on (read during corner resizing with the mouse).
    virtual bool Proportional() const = 0;
};

// Creates the inspector window; owned by the editor (parent).
extern std::function<TInspectorLink*(QWidget* parent)> InspectorFactory;
