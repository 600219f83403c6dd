#include "ui/tfrage.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

TFrage* Frage = nullptr;

TFrage::TFrage(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Frage"));
    setWindowTitle(QStringLiteral("?"));
    setFixedSize(329, 153);
    setAutoFillBackground(true);

    QFont bold(QStringLiteral("Arial"));
    bold.setBold(true);

    LabelHinweis = new QLabel(this);
    LabelHinweis->setObjectName(QStringLiteral("LabelHinweis"));
    LabelHinweis->setGeometry(20, 12, 293, 20);
    LabelHinweis->setFont(bold);
    LabelHinweis->setWordWrap(true);
    LabelHinweis->hide();

    LabelFrage = new QLabel(this);
    LabelFrage->setObjectName(QStringLiteral("LabelFrage"));
    LabelFrage->setGeometry(20, 36, 293, 29);
    LabelFrage->setFont(bold);
    LabelFrage->setWordWrap(true);

    ImageRegister = new QPushButton(QStringLiteral("OK"), this);
    ImageRegister->setObjectName(QStringLiteral("ImageRegister"));
    ImageRegister->setGeometry(84, 76, 161, 26);
    ImageRegister->setCursor(Qt::PointingHandCursor);
    ImageRegister->setDefault(true);
    connect(ImageRegister, &QPushButton::clicked, this, [this] { done(1); });

    Image1 = new QPushButton(QStringLiteral("Abbruch"), this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(84, 108, 161, 26);
    Image1->setCursor(Qt::PointingHandCursor);
    connect(Image1, &QPushButton::clicked, this, [this] { done(2); });

    for (QLabel* label : {LabelHinweis, LabelFrage}) {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, Qt::white);
        label->setPalette(p);
    }
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TFrage::SetBackground(const QColor& color)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    setPalette(p);
}

bool TFrage::Ask(const QString& caption, const QString& question)
{
    setWindowTitle(caption);
    LabelFrage->setText(question);
    return exec() == 1;
}
