#include "cdlabel/tfrmtabcd.h"

TfrmTabCD::TfrmTabCD(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmTabCD"));
}
