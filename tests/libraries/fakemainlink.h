#pragma once
// A stand-in for the main window's services: records what the workspaces ask of it.
#include "ui/globals.h"

#include <QStringList>

class FakeMainLink : public TMainLink {
public:
    void SelectElement(int index, bool insertion) override {
        Selected << index;
        Insertion = insertion;
        if (Document)
            Document->SelectedIndex = index;
    }
    void Change2Save() override { ++SaveCalls; }
    bool AskFrage(const QString& caption, const QString& question) override {
        Questions << caption + "|" + question;
        return Answer;
    }
    void Change2Editor() override { ++EditorCalls; }

    bool Answer = true;
    QStringList Questions;
    QList<int> Selected;
    bool Insertion = false;
    int EditorCalls = 0;
    int SaveCalls = 0;
};
