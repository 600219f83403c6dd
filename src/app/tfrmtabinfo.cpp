#include "app/tfrmtabinfo.h"

#include "app/pictures.h"
#include "ui/globals.h"
#include "ui/helpwindow.h"
#include "ui/clicklabel.h"
#include "ui/hints.h"
#include "ui/messages.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int ownerWidth = 460;
constexpr int ownerHeight = 250;
constexpr int helpRowHeight = 30;

QString introText()
{
    return QStringLiteral(
        "<p><b>Willkommen bei Quillmark.</b></p>"
        "<p>Wählen Sie unter <b>Vorlagen</b> eine Vorlage, bearbeiten Sie das Blatt unter "
        "<b>Blatt</b>, füllen Sie unter <b>Einstellungen</b> Adressen und Textbausteine ein und "
        "drucken Sie unter <b>Drucken</b> so viele Exemplare, wie auf Ihr Papier passen.</p>"
        "<p>Mit <b>?</b> in der Registerleiste schalten Sie die Kontexthilfe ein: ein Klick auf "
        "ein Bedienelement zeigt dann seine Hilfe. <b>F1</b> öffnet jederzeit das "
        "Inhaltsverzeichnis der Hilfe.</p>");
}
} // namespace

TfrmTabInfo::TfrmTabInfo(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmTabInfo"));
    // Takes no clicks until the start-up switch to the templates has happened.
    setEnabled(false);

    LogoPanel = new QWidget(this);
    LogoPanel->setObjectName(QStringLiteral("LogoPanel"));
    LogoPanel->resize(ownerWidth, 56);
    auto* logo = new QLabel(LogoPanel);
    logo->setPixmap(LogoPicture(ownerWidth, 56));
    logo->resize(ownerWidth, 56);

    ShapePage = new QFrame(this);
    ShapePage->setObjectName(QStringLiteral("ShapePage"));
    ShapePage->setAutoFillBackground(true);
    QPalette shadow = ShapePage->palette();
    shadow.setColor(QPalette::Window, QColor(40, 40, 80));
    ShapePage->setPalette(shadow);
    ShapePage->resize(ownerWidth, ownerHeight);

    OwnerPanel = new QFrame(this);
    OwnerPanel->setObjectName(QStringLiteral("OwnerPanel"));
    OwnerPanel->setAutoFillBackground(true);
    QPalette paper = OwnerPanel->palette();
    paper.setColor(QPalette::Window, Qt::white);
    paper.setColor(QPalette::WindowText, Qt::black);
    // The page is disabled for the first seconds only to keep clicks away; it reads as usual.
    paper.setColor(QPalette::Disabled, QPalette::WindowText, Qt::black);
    paper.setColor(QPalette::Disabled, QPalette::Text, Qt::black);
    OwnerPanel->setPalette(paper);
    OwnerPanel->resize(ownerWidth, ownerHeight);
    auto* ownerLayout = new QVBoxLayout(OwnerPanel);
    auto* intro = new QLabel(introText(), OwnerPanel);
    intro->setWordWrap(true);
    intro->setTextFormat(Qt::RichText);
    ownerLayout->addWidget(intro, 1);

    ImageAnleitung = new TClickLabel(OwnerPanel);
    ImageAnleitung->setObjectName(QStringLiteral("ImageAnleitung"));
    ImageAnleitung->setPixmap(ManualPicture());
    ImageAnleitung->setCursor(Qt::PointingHandCursor);
    ImageAnleitung->setProperty("tag", 0);
    SetHint(ImageAnleitung, QStringLiteral("Anleitung öffnen"));
    ownerLayout->addWidget(ImageAnleitung, 0, Qt::AlignHCenter);
    connect(ImageAnleitung, &TClickLabel::clicked, this, [this] { HelpButtonClick(0); });

    HelpPanel = new QFrame(this);
    HelpPanel->setObjectName(QStringLiteral("HelpPanel"));
    HelpPanel->setFrameShape(QFrame::StyledPanel);
    HelpPanel->setAutoFillBackground(true);
    HelpButtonPanel = new QWidget(HelpPanel);
    HelpButtonPanel->setObjectName(QStringLiteral("HelpButtonPanel"));

    HelpButton = new QPushButton(QStringLiteral("?"), this);
    HelpButton->setObjectName(QStringLiteral("HelpButton"));
    HelpButton->setProperty("tag", 0);
    HelpButton->hide();
    connect(HelpButton, &QPushButton::clicked, this, [this] { HelpButtonClick(0); });

    ButtonClick();
}

void TfrmTabInfo::ButtonClick()
{
    qDeleteAll(HelpTitleButtons);
    HelpTitleButtons.clear();
    for (int i = 0; i < HelpTitles.size(); ++i) {
        auto* button = new QPushButton(HelpTitles.at(i), HelpButtonPanel);
        button->setObjectName(QStringLiteral("HelpTitleButton%1").arg(i));
        button->setProperty("tag", i);
        button->setCursor(Qt::PointingHandCursor);
        button->setGeometry(4, 4 + i * helpRowHeight, 252, helpRowHeight - 4);
        button->show();
        connect(button, &QPushButton::clicked, this, [this, i] { HelpButtonClick(i); });
        HelpTitleButtons << button;
    }
    HelpPanel->setVisible(!HelpTitles.isEmpty());
    layoutPanels();
}

void TfrmTabInfo::HelpButtonClick(int tag)
{
    if (tag < 0 || tag >= HelpFiles.size()) {
        ShowMessage(this, QStringLiteral("Hilfe"),
                    QStringLiteral("Es ist keine Hilfedatei eingerichtet."));
        return;
    }
    ShowHelpContents(HelpFiles.at(tag));
}

void TfrmTabInfo::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutPanels();
}

void TfrmTabInfo::layoutPanels()
{
    const int w = width();
    LogoPanel->move((w - LogoPanel->width()) / 2, 12);
    OwnerPanel->move((w - OwnerPanel->width()) / 2, LogoPanel->y() + LogoPanel->height() + 8);
    ShapePage->setGeometry(OwnerPanel->x() + 5, OwnerPanel->y() + 5, OwnerPanel->width(),
                           OwnerPanel->height());
    HelpPanel->setGeometry(OwnerPanel->x(), OwnerPanel->y() + OwnerPanel->height() + 14, 268,
                           helpRowHeight * int(HelpTitles.size()) + 18);
    HelpButtonPanel->resize(260, HelpPanel->height() - 8);
    HelpButtonPanel->move((HelpPanel->width() - HelpButtonPanel->width()) / 2,
                          (HelpPanel->height() - HelpButtonPanel->height()) / 2);
}
