#include "printing/tfrmtabsettings.h"

#include "document/globals.h"
#include "platform/ui/hints.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmTabSettings::TfrmTabSettings(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmTabSettings"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);

    LabelNotiz = new QLabel(QStringLiteral("Notiz des aktuellen Dokuments"), this);
    LabelNotiz->setObjectName(QStringLiteral("LabelNotiz"));
    QPalette white = LabelNotiz->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    LabelNotiz->setPalette(white);
    layout->addWidget(LabelNotiz);

    Notizen = new QPlainTextEdit(this);
    Notizen->setObjectName(QStringLiteral("Notizen"));
    SetHint(Notizen, QStringLiteral("Notiz"));
    layout->addWidget(Notizen, 1);
    connect(Notizen, &QPlainTextEdit::textChanged, this, &TfrmTabSettings::NotizenChange);

    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    CancelBtn = new QPushButton(QStringLiteral("Verwerfen"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setCursor(Qt::PointingHandCursor);
    SetHint(CancelBtn, QStringLiteral("Einstellungen verwerfen"));
    buttons->addWidget(CancelBtn);
    layout->addLayout(buttons);
    connect(CancelBtn, &QPushButton::clicked, this, &TfrmTabSettings::CancelBtnClick);
}

void TfrmTabSettings::NotizenChange()
{
    if (m_loading || !Document)
        return;
    Document->Notes = Notizen->toPlainText();
}

void TfrmTabSettings::CancelBtnClick()
{
    if (!Document)
        return;
    if (Notizen->toPlainText() == Document->Notes)
        return;
    m_loading = true;
    Notizen->setPlainText(Document->Notes);
    m_loading = false;
}
