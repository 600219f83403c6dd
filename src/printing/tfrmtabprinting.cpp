#include "printing/tfrmtabprinting.h"

#include "document/globals.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

QString FormatPrintValue(double value)
{
    return QStringLiteral("%1").arg(value, 5, 'f', 2);
}

TfrmTabPrinting::TfrmTabPrinting(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmTabPrinting"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    auto* form = new QFormLayout();
    layout->addLayout(form);

    auto makeEdit = [this, form](const char* name, const QString& caption) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setReadOnly(true);
        edit->setMaxLength(6);
        edit->setMaximumWidth(80);
        auto* label = new QLabel(caption, this);
        QPalette white = label->palette();
        white.setColor(QPalette::WindowText, Qt::white);
        label->setPalette(white);
        form->addRow(label, edit);
        return edit;
    };
    EditPrintMarginLeft = makeEdit("EditPrintMarginLeft", QStringLiteral("Links"));
    EditPrintMarginRight = makeEdit("EditPrintMarginRight", QStringLiteral("Rechts"));
    EditPrintMarginTop = makeEdit("EditPrintMarginTop", QStringLiteral("Oben"));
    EditPrintMarginBottom = makeEdit("EditPrintMarginBottom", QStringLiteral("Unten"));
    EditPrintDistHor = makeEdit("EditPrintDistHor", QStringLiteral("Horizontal"));
    EditPrintDistVer = makeEdit("EditPrintDistVer", QStringLiteral("Vertikal"));
    EditCopyCount = makeEdit("EditCopyCount", QStringLiteral("Anzahl "));

    NoticeLabel = new QLabel(QStringLiteral("Die Druckausgabe ist in dieser Fassung noch nicht "
                                           "eingerichtet."),
                            this);
    NoticeLabel->setObjectName(QStringLiteral("NoticeLabel"));
    QPalette white = NoticeLabel->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    NoticeLabel->setPalette(white);
    layout->addWidget(NoticeLabel);
    layout->addStretch(1);
}

void TfrmTabPrinting::Activate()
{
    if (!Document)
        return;
    EditPrintMarginLeft->setText(FormatPrintValue(Document->PrintMarginLeft));
    EditPrintMarginRight->setText(FormatPrintValue(Document->PrintMarginRight));
    EditPrintMarginTop->setText(FormatPrintValue(Document->PrintMarginTop));
    EditPrintMarginBottom->setText(FormatPrintValue(Document->PrintMarginBottom));
    EditPrintDistHor->setText(FormatPrintValue(Document->PrintDistHor));
    EditPrintDistVer->setText(FormatPrintValue(Document->PrintDistVer));
    EditCopyCount->setText(QString::number(Document->CopyCount));
    Active = true;
}
