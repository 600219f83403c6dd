#include "inspector/tfilter.h"

#include "ui/globals.h"
#include "inspector/inspectorwidgets.h"
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QToolButton>

TFilter* Filter = nullptr;

namespace {

QIcon swatchIcon(const std::function<QColor(int x, int y)>& colourAt) {
    QImage img(32, 32, QImage::Format_RGB32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x)
            img.setPixelColor(x, y, colourAt(x, y));
    }
    return QIcon(QPixmap::fromImage(img));
}

} // namespace

TFilter::TFilter(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Filter"));
    setFixedSize(288, 209);
    setAutoFillBackground(true);
    if (FormColor.isValid()) {
        QPalette pal = palette();
        pal.setColor(QPalette::Window, FormColor);
        setPalette(pal);
    }

    struct Row {
        const char* caption;
        const char* hint;
        QLineEdit** edit;
        TUpDown** upDown;
    };
    const Row rows[] = {
        {"Helligkeit", "Helligkeit", &EditHelligkeit, &UpDownHelligkeit},
        {"Rot", "Rotanteil erhöhen", &EditRot, &UpDownRot},
        {"Gelb", "Gelbanteil erhöhen", &EditGelb, &UpDownGelb},
        {"Blau", "Blauanteil erhöhen", &EditBlau, &UpDownBlau},
    };
    int y = 12;
    for (const Row& r : rows) {
        auto* label = new QLabel(QString::fromUtf8(r.caption), this);
        label->setGeometry(12, y, 80, 22);
        auto* edit = new QLineEdit(this);
        edit->setGeometry(96, y, 48, 22);
        edit->setReadOnly(true);
        edit->setEnabled(false);
        edit->setText(QStringLiteral("0"));
        auto* upDown = new TUpDown(this);
        upDown->setGeometry(144, y, 18, 22);
        upDown->Min = -100;
        upDown->Max = 100;
        SetHint(upDown, QString::fromUtf8(r.hint));
        SetHint(edit, QString::fromUtf8(r.hint));
        // The edit always shows the value in force.
        connect(upDown, &TUpDown::Changing, edit,
                [edit, upDown] { edit->setText(QString::number(upDown->Position())); });
        *r.edit = edit;
        *r.upDown = upDown;
        y += 30;
    }
    connect(UpDownHelligkeit, &TUpDown::MouseUp, this, [this] { dispatch(UpDownHelligkeit); });
    for (TUpDown* u : {UpDownRot, UpDownGelb, UpDownBlau}) {
        // One handler for all three colours: the dispatcher reads all three values.
        connect(u, &TUpDown::MouseUp, this, [this] { dispatch(UpDownRot); });
    }

    auto imageButton = [this](const QString& hint, const QRect& g, const QIcon& icon) {
        auto* b = new QToolButton(this);
        b->setGeometry(g);
        b->setIcon(icon);
        b->setIconSize(QSize(32, 32));
        SetHint(b, hint);
        return b;
    };
    SpBtnGraustufen =
        imageButton(QStringLiteral("in Graustufen konvertieren"), QRect(190, 12, 40, 40),
                    swatchIcon([](int x, int) { return QColor(x * 8, x * 8, x * 8); }));
    SpBtnWeichwenig = imageButton(QStringLiteral("weichzeichnen"), QRect(190, 58, 40, 40),
                                  swatchIcon([](int x, int y) {
                                      const int d = std::abs(x - 16) + std::abs(y - 16);
                                      const int v = std::clamp(d * 8, 0, 255);
                                      return QColor(v, v, 255);
                                  }));
    SpBtnInvertieren = imageButton(
        QStringLiteral("Farben invertieren"), QRect(190, 104, 40, 40),
        swatchIcon([](int x, int) { return x < 16 ? QColor(255, 200, 0) : QColor(0, 55, 255); }));
    for (QToolButton* b : {SpBtnGraustufen, SpBtnWeichwenig, SpBtnInvertieren})
        connect(b, &QToolButton::clicked, this, [this, b] { dispatch(b); });

    Button = new QToolButton(this);
    Button->setGeometry(60, 160, 70, 36);
    Button->setText(QStringLiteral("\u2714 OK"));
    Image1 = new QToolButton(this);
    Image1->setGeometry(158, 160, 70, 36);
    Image1->setText(QStringLiteral("\u2718"));
    connect(Button, &QToolButton::clicked, this, &QDialog::accept);
    connect(Image1, &QToolButton::clicked, this, &QDialog::reject);
}

TFilter::~TFilter() {
    if (Filter == this)
        Filter = nullptr;
}

void TFilter::ResetValues() {
    for (TUpDown* u : {UpDownHelligkeit, UpDownRot, UpDownGelb, UpDownBlau})
        u->SetPosition(0);
    for (QLineEdit* e : {EditHelligkeit, EditRot, EditGelb, EditBlau})
        e->setText(QStringLiteral("0"));
}

void TFilter::showEvent(QShowEvent* event) {
    ResetValues();
    QDialog::showEvent(event);
}

void TFilter::dispatch(QObject* sender) {
    if (Dispatch)
        Dispatch(sender);
}
