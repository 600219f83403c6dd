#pragma once
// The CD listing workspace (reached through the "CD" area of the register; no visible tab).
// Its controls join it later.

#include <QWidget>

class TfrmTabCD : public QWidget {
    Q_OBJECT
public:
    explicit TfrmTabCD(QWidget* parent = nullptr);
};
