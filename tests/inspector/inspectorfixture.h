#pragma once
// A document with one element and an inspector pointed at it, for the inspector's tests.

#include "ui/globals.h"
#include "inspector/inspectorwidgets.h"
#include "inspector/ttoolmaster.h"
#include <QDialog>
#include <QMessageBox>
#include <QStandardPaths>
#include <memory>

struct InspectorFixture {
    std::unique_ptr<TToolMaster> inspector;
    int refreshes = 0;
    QStringList messages;                // texts of message boxes the inspector showed
    std::function<int(QDialog&)> answer; // answers other dialogs; rejects when empty

    InspectorFixture() {
        QStandardPaths::setTestModeEnabled(true);
        ResetGlobals();
        ExecDialog = [this](QDialog& d) {
            if (auto* box = qobject_cast<QMessageBox*>(&d)) {
                messages << box->text();
                return int(QDialog::Accepted);
            }
            return answer ? answer(d) : int(QDialog::Rejected);
        };
        inspector = std::make_unique<TToolMaster>();
        inspector->SetFullRefresh([this] { ++refreshes; });
    }
    ~InspectorFixture() {
        inspector.reset();
        ExecDialog = [](QDialog& d) { return d.exec(); };
    }

    // Puts the element on top of the stack, selects it and shows it in the inspector.
    template <class T> T* select(std::unique_ptr<T> element) {
        T* e = element.get();
        Document->InsertElement(0, std::move(element));
        Document->SelectedIndex = 0;
        inspector->SetReference(e);
        return e;
    }
};
