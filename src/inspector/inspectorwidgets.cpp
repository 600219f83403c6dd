#include "inspector/inspectorwidgets.h"

#include "inspector/numberformat.h"
#include <QDialog>
#include <QEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

std::function<int(QDialog&)> ExecDialog = [](QDialog& dialog) { return dialog.exec(); };

QString Hint(const QWidget* widget) {
    return widget->property("hint").toString();
}

QColor ToQColor(TColor c) {
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

TColor FromQColor(const QColor& c) {
    return TColor(c.red()) | (TColor(c.green()) << 8) | (TColor(c.blue()) << 16);
}

TUpDown::TUpDown(QWidget* parent) : QWidget(parent) {
    m_up = new QToolButton(this);
    m_down = new QToolButton(this);
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {m_up, m_down}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->installEventFilter(this);
    }
    connect(m_up, &QToolButton::clicked, this, [this] { Step(true); });
    connect(m_down, &QToolButton::clicked, this, [this] { Step(false); });
    resize(16, 22);
}

void TUpDown::SetPosition(int value) {
    m_position = std::clamp(value, Min, std::max(Min, Max));
    if (Associate)
        Associate->setText(QString::number(m_position));
}

void TUpDown::Step(bool up) {
    int pos = m_position;
    if (Associate) {
        // The buddy's text is the position in force, as typed by the user.
        if (const auto v = ParseNumber(Associate->text()))
            pos = int(std::clamp(*v, double(Min), double(Max)));
    }
    int next = pos + (up ? Increment : -Increment);
    if (next > Max)
        next = Wrap ? Min : Max;
    if (next < Min)
        next = Wrap ? Max : Min;
    const bool moved =
        next != m_position || (Associate && Associate->text() != QString::number(next));
    SetPosition(next);
    if (moved)
        emit Changing();
    emit Click(up);
}

void TUpDown::resizeEvent(QResizeEvent*) {
    const int h = height() / 2;
    m_up->setGeometry(0, 0, width(), h);
    m_down->setGeometry(0, h, width(), height() - h);
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        // Let the button finish its click first, then report the release.
        const bool handled = QWidget::eventFilter(watched, event);
        QMetaObject::invokeMethod(this, &TUpDown::MouseUp, Qt::QueuedConnection);
        return handled;
    }
    return QWidget::eventFilter(watched, event);
}

TColorGrid::TColorGrid(QWidget* parent) : QWidget(parent) {
    resize(160, 44);
}

TColor TColorGrid::GridColor(int index) {
    // First eight and last eight entries of the default system palette.
    static const std::array<TColor, 16> colors = {
        0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
        0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    return colors[std::clamp(index, 0, 15)];
}

QRect TColorGrid::CellRect(int index) const {
    const int cw = width() / 8;
    const int ch = height() / 2;
    return QRect((index % 8) * cw, (index / 8) * ch, cw, ch);
}

int TColorGrid::CellAt(const QPoint& pos) const {
    for (int i = 0; i < 16; ++i) {
        if (CellRect(i).contains(pos))
            return i;
    }
    return -1;
}

void TColorGrid::paintEvent(QPaintEvent*) {
    QPainter p(this);
    for (int i = 0; i < 16; ++i) {
        const QRect r = CellRect(i).adjusted(1, 1, -1, -1);
        p.fillRect(r, ToQColor(GridColor(i)));
        p.setPen(Qt::gray);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        const QColor mark = (GridColor(i) == 0) ? Qt::white : Qt::black;
        p.setPen(mark);
        if (i == ForegroundIndex)
            p.drawText(r, Qt::AlignLeft | Qt::AlignTop, QStringLiteral(" V"));
        if (BackgroundEnabled && i == BackgroundIndex)
            p.drawText(r, Qt::AlignRight | Qt::AlignBottom, QStringLiteral("H "));
    }
}

void TColorGrid::mousePressEvent(QMouseEvent* event) {
    const int cell = CellAt(event->position().toPoint());
    if (cell < 0)
        return;
    if (event->button() == Qt::LeftButton) {
        ForegroundIndex = cell;
    } else if (event->button() == Qt::RightButton && BackgroundEnabled) {
        BackgroundIndex = cell;
    } else {
        return;
    }
    update();
    emit Change();
}
