#include "ui/hints.h"

#include <QVariant>
#include <QWidget>

void SetHint(QWidget* widget, const QString& hint)
{
    if (!widget)
        return;
    widget->setProperty("hint", hint);
    const int bar = hint.indexOf(QLatin1Char('|'));
    widget->setToolTip(bar < 0 ? hint : hint.left(bar));
    widget->setStatusTip(LongHint(hint));
}

QString HintOf(const QWidget* widget)
{
    if (!widget)
        return QString();
    const QVariant stored = widget->property("hint");
    if (stored.isValid())
        return stored.toString();
    const QString tip = widget->toolTip();
    const QString status = widget->statusTip();
    if (status.isEmpty())
        return tip;
    // A tool tip that already holds the whole hint keeps its long part.
    if (tip.contains(QLatin1Char('|')))
        return tip;
    return tip + QLatin1Char('|') + status;
}

QString LongHint(const QString& hint)
{
    const int bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.mid(bar + 1);
}

QString HintUnder(const QWidget* widget)
{
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const QString hint = HintOf(w);
        if (!hint.isEmpty())
            return hint;
        if (w->isWindow())
            break;
    }
    return QString();
}
