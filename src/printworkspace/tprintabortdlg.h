#pragma once
// The small modeless dialog shown while a print run is under way; its button cancels the run.

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;

class TPrintAbortDlg : public QDialog {
    Q_OBJECT
public:
    explicit TPrintAbortDlg(QWidget* parent = nullptr);

    // Cancels the running job (when one is running) and closes the dialog.
    void CancelBtnClick();

    // Set by the print run while it prints; cancelling calls it.
    std::function<void()> AbortJob;
    bool Printing = false;

    QLabel* InfoLabel = nullptr;
    QPushButton* ImageRegister = nullptr;

protected:
    // Esc and the window's close button cancel, as the button does; a run goes on only
    // while the dialog shows it.
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
};
