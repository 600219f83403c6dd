#include "printworkspace/tprintabortdlg.h"

#include "ui/globals.h"
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

TPrintAbortDlg::TPrintAbortDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("PrintAbortDlg"));
    setWindowTitle(QStringLiteral("Drucken"));
    setFixedSize(210, 110);
    setModal(false);
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);
    if (FormColor.isValid()) {
        QPalette p = palette();
        p.setColor(QPalette::Window, FormColor);
        p.setColor(QPalette::WindowText, Qt::white);
        setPalette(p);
        setAutoFillBackground(true);
    }
    InfoLabel = new QLabel(QStringLiteral("Datei wird ausgedruckt."), this);
    InfoLabel->setObjectName(QStringLiteral("InfoLabel"));
    InfoLabel->setGeometry(10, 16, 190, 24);
    InfoLabel->setAlignment(Qt::AlignCenter);
    ImageRegister = new QPushButton(QStringLiteral("Abbrechen"), this);
    ImageRegister->setObjectName(QStringLiteral("ImageRegister"));
    ImageRegister->setGeometry(45, 60, 120, 28);
    ImageRegister->setCursor(Qt::PointingHandCursor);
    connect(ImageRegister, &QPushButton::clicked, this, &TPrintAbortDlg::CancelBtnClick);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TPrintAbortDlg::CancelBtnClick() {
    if (!Printing)
        return;
    Printing = false;
    if (AbortJob)
        AbortJob();
    hide();
}

void TPrintAbortDlg::reject() {
    CancelBtnClick();
    QDialog::reject();
}

void TPrintAbortDlg::closeEvent(QCloseEvent* event) {
    CancelBtnClick();
    QDialog::closeEvent(event);
}
