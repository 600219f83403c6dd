#include "editor/undokeys.h"

#include <QLocale>
#include <cmath>

namespace {

QLocale userLocale() {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

bool parseIndex(const QString& text, int& value) {
    // Digits only: a sign, blank or other character makes the key unusable.
    if (text.isEmpty() || text.size() > 9)
        return false;
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    value = text.toInt();
    return true;
}

bool parseLength(const QString& text, double& value) {
    bool ok = false;
    value = userLocale().toDouble(text, &ok);
    if (!ok) // written under another locale, or by a writer that ignored it
        value = QLocale::c().toDouble(text, &ok);
    return ok && std::isfinite(value);
}

} // namespace

QString RemovedUndoKey(int index) {
    return QLatin1Char('+') + QString::number(index);
}

QString InsertedUndoKey(int index) {
    return QLatin1Char('-') + QString::number(index);
}

QString MovedUndoKey(int from, int to) {
    return QLatin1Char('~') + QString::number(from) + QLatin1Char('#') + QString::number(to);
}

QString GeometryUndoKey(int index, double left, double top, double width, double height) {
    const QLocale locale = userLocale();
    auto f = [&](double v) { return locale.toString(v, 'g', QLocale::FloatingPointShortest); };
    return QLatin1Char('>') + QString::number(index) + QLatin1Char('l') + f(left) +
           QLatin1Char('t') + f(top) + QLatin1Char('w') + f(width) + QLatin1Char('h') + f(height) +
           QLatin1Char('#');
}

QString TextsUndoKey() {
    return QStringLiteral("*");
}

QString SheetUndoKey(double width, double height) {
    const QLocale locale = userLocale();
    auto f = [&](double v) { return locale.toString(v, 'g', QLocale::FloatingPointShortest); };
    return QStringLiteral("=w") + f(width) + QLatin1Char('h') + f(height) + QLatin1Char('#');
}

TUndoKey ParseUndoKey(const QString& key) {
    TUndoKey k;
    if (key.isEmpty())
        return k;
    if (key == TextsUndoKey()) {
        k.kind = TUndoKey::Texts;
        return k;
    }
    const QChar first = key.at(0);
    const QString rest = key.mid(1);
    if (first == u'+' || first == u'-') {
        if (parseIndex(rest, k.index))
            k.kind = first == u'+' ? TUndoKey::Removed : TUndoKey::Inserted;
        return k;
    }
    if (first == u'~') {
        const int hash = rest.indexOf(u'#');
        if (hash > 0 && parseIndex(rest.left(hash), k.index) &&
            parseIndex(rest.mid(hash + 1), k.target))
            k.kind = TUndoKey::Moved;
        return k;
    }
    if (first == u'=') {
        const int h = rest.indexOf(u'h');
        if (rest.startsWith(u'w') && h > 1 && rest.endsWith(u'#') &&
            parseLength(rest.mid(1, h - 1), k.width) &&
            parseLength(rest.mid(h + 1, rest.size() - h - 2), k.height) && k.width > 0 &&
            k.height > 0)
            k.kind = TUndoKey::Sheet;
        return k;
    }
    if (first == u'>') {
        const int l = rest.indexOf(u'l');
        const int t = rest.indexOf(u't', l + 1);
        const int w = rest.indexOf(u'w', t + 1);
        const int h = rest.indexOf(u'h', w + 1);
        const int end = rest.indexOf(u'#', h + 1);
        if (l > 0 && t > l && w > t && h > w && end > h && end == rest.size() - 1 &&
            parseIndex(rest.left(l), k.index) && parseLength(rest.mid(l + 1, t - l - 1), k.left) &&
            parseLength(rest.mid(t + 1, w - t - 1), k.top) &&
            parseLength(rest.mid(w + 1, h - w - 1), k.width) &&
            parseLength(rest.mid(h + 1, end - h - 1), k.height))
            k.kind = TUndoKey::Geometry;
        return k;
    }
    if (parseIndex(key, k.index))
        k.kind = TUndoKey::Modified;
    return k;
}
