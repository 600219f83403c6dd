#pragma once
// The whole program started with the sheet shown, for tests that edit through its widgets:
// the inspector's dialogs and message boxes are answered by the test.

#include "common/editingsteps.h"
#include "inspector/inspectorwidgets.h"
#include "inspector/ttoolmaster.h"
#include "inspector/ttoolsubformtxt.h"
#include "shellfixture.h"

#include <QImage>
#include <QMessageBox>
#include <QTemporaryDir>
#include <functional>

// The program started, the sheet shown, dialogs of the inspector answered by the test.
struct Session {
    ShellFixture shell;
    TfrmMain* window = nullptr;
    TfrmTabEditor* editor = nullptr;
    TToolMaster* inspector = nullptr;
    QTemporaryDir tmp;
    QStringList boxes;                    // texts of message boxes the inspector showed
    std::function<int(QDialog&)> answer; // other dialogs; rejected when empty

    Session() {
        window = shell.start();
        MainLink->Change2Editor();
        editor = window->frmTabEditor;
        inspector = qobject_cast<TToolMaster*>(editor->Inspector);
        ExecDialog = [this](QDialog& d) {
            if (answer)
                return answer(d);
            if (auto* box = qobject_cast<QMessageBox*>(&d)) {
                boxes << box->text();
                return int(QDialog::Accepted);
            }
            return int(QDialog::Rejected);
        };
    }
    ~Session() { ExecDialog = [](QDialog& d) { return d.exec(); }; }

    // Shows the stack anew after the test placed elements directly.
    void refresh() {
        MainLink->SelectElement(-1, false);
        editor->PageFullRefresh();
    }
    TtoolSubFormTXT* textPage() const { return inspector->TextPage; }
};

inline QString writePng(const QTemporaryDir& dir) {
    QImage image(60, 40, QImage::Format_RGB32);
    image.fill(QColor(20, 120, 60));
    const QString path = dir.filePath(QStringLiteral("bild.png"));
    return image.save(path, "PNG") ? path : QString();
}

inline int pictureCount() {
    int n = 0;
    for (int i = 0; i < Document->Count(); ++i)
        n += dynamic_cast<TDocElementWMF*>(Document->Element(i)) != nullptr;
    return n;
}
