#pragma once
// The settings workspace ("Einstellungen"). This form holds the document's note for now; the
// sheet formats, undo depth, text blocks and address records join it later.

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class TfrmTabSettings : public QWidget {
    Q_OBJECT
public:
    explicit TfrmTabSettings(QWidget* parent = nullptr);

    // Copies every change of the memo into the document's note.
    void NotizenChange();
    // Shows the document's settings again, dropping edits that were not applied.
    void CancelBtnClick();

    QLabel* LabelNotiz = nullptr;
    QPlainTextEdit* Notizen = nullptr;
    QPushButton* CancelBtn = nullptr;

private:
    bool m_loading = false;
};
