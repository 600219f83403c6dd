#include "document/barcode.h"

#include "document/cp1252.h"
#include "document/placeholders.h"
#include <QPainter>
#include <QPolygonF>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>
#include <zint.h>

namespace {

struct KindInfo {
    const char* key;
    const char* name;
    int symbology;
    bool linear;
    bool levels;
    int minDigits = 0; // digit-only kinds: content length without and with check digit
    int maxDigits = 0;
};

const KindInfo kKinds[BarcodeKindCount] = {
    {"QR", "QR-Code", BARCODE_QRCODE, false, true},
    {"DM", "DataMatrix", BARCODE_DATAMATRIX, false, false},
    {"EAN13", "EAN-13", BARCODE_EANX, true, false, 12, 13},
    {"EAN8", "EAN-8", BARCODE_EANX, true, false, 7, 8},
    {"UPCA", "UPC-A", BARCODE_UPCA, true, false, 11, 12},
    {"C128", "Code 128", BARCODE_CODE128, true, false},
    {"C39", "Code 39", BARCODE_CODE39, true, false},
    {"ITF", "ITF (2 aus 5 verschachtelt)", BARCODE_C25INTER, true, false, 1, 90},
    {"PDF417", "PDF417", BARCODE_PDF417, false, true},
    {"AZTEC", "Aztec", BARCODE_AZTEC, false, true},
};

const KindInfo& info(TBarcodeKind k)
{
    const int i = int(k);
    return kKinds[i >= 0 && i < BarcodeKindCount ? i : 0];
}

QColor toQColor(TColor c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

// zint's option for an error-correction level 1..4 of the kind.
void applyErrorLevel(zint_symbol* s, TBarcodeKind kind, int level)
{
    if (level < 1 || level > 4)
        return;
    switch (kind) {
    case TBarcodeKind::QR: s->option_1 = level; break;            // L, M, Q, H
    case TBarcodeKind::Aztec: s->option_1 = level; break;         // 10 % .. 50 %
    case TBarcodeKind::PDF417: s->option_1 = 2 * level - 1; break; // security levels 1..7
    default: break;
    }
}

// The content checks zint leaves to others: EAN and UPC take several lengths, each of which
// makes a different symbol, so the length is checked here.
QString digitProblem(const KindInfo& k, const QString& text)
{
    if (k.maxDigits == 0)
        return {};
    for (int i = 0; i < text.size(); ++i) {
        if (!text[i].isDigit() || text[i].unicode() > '9')
            return QStringLiteral("„%1“ an Stelle %2 ist keine Ziffer; %3 nimmt nur Ziffern auf.")
                .arg(text[i])
                .arg(i + 1)
                .arg(QString::fromUtf8(k.name));
    }
    if (text.size() < k.minDigits || text.size() > k.maxDigits) {
        if (k.minDigits + 1 == k.maxDigits)
            return QStringLiteral("%1 braucht %2 Ziffern ohne oder %3 mit Prüfziffer, "
                                  "der Inhalt hat %4.")
                .arg(QString::fromUtf8(k.name))
                .arg(k.minDigits)
                .arg(k.maxDigits)
                .arg(text.size());
        return QStringLiteral("Der Inhalt ist zu lang für %1 (höchstens %2 Ziffern).")
            .arg(QString::fromUtf8(k.name))
            .arg(k.maxDigits);
    }
    return {};
}

// zint's reason in German.
QString zintProblem(const KindInfo& k, int code, const char* errtxt)
{
    const QString name = QString::fromUtf8(k.name);
    const QString why = QString::fromUtf8(errtxt);
    switch (code) {
    case ZINT_ERROR_TOO_LONG: {
        const auto m = QRegularExpression(QStringLiteral("\\((\\d+) character")).match(why);
        if (m.hasMatch())
            return QStringLiteral("Der Inhalt ist zu lang für %1 (höchstens %2 Zeichen).")
                .arg(name, m.captured(1));
        return QStringLiteral("Der Inhalt ist zu lang für %1.").arg(name);
    }
    case ZINT_ERROR_INVALID_DATA:
        return QStringLiteral("Der Inhalt enthält Zeichen, die %1 nicht darstellen kann.").arg(name);
    case ZINT_ERROR_INVALID_CHECK: {
        const auto m = QRegularExpression(QStringLiteral("'(.)', expecting '(.)'")).match(why);
        if (m.hasMatch())
            return QStringLiteral("Die Prüfziffer %1 stimmt nicht, richtig wäre %2.")
                .arg(m.captured(1), m.captured(2));
        return QStringLiteral("Die Prüfziffer stimmt nicht.");
    }
    case ZINT_ERROR_INVALID_OPTION:
        return QStringLiteral("%1 lässt sich mit diesen Einstellungen nicht bilden.").arg(name);
    case ZINT_ERROR_MEMORY:
        return QStringLiteral("Für %1 reicht der Speicher nicht.").arg(name);
    default:
        return QStringLiteral("%1 kann diesen Inhalt nicht darstellen.").arg(name);
    }
}

struct SymbolDeleter {
    void operator()(zint_symbol* s) const { ZBarcode_Delete(s); }
};

} // namespace

TDocElement* TDocElementBAR::Clone() const
{
    return new TDocElementBAR(*this);
}

QString BarcodeKindKey(TBarcodeKind kind) { return QString::fromLatin1(info(kind).key); }
QString BarcodeKindName(TBarcodeKind kind) { return QString::fromUtf8(info(kind).name); }
bool BarcodeKindIsLinear(TBarcodeKind kind) { return info(kind).linear; }
bool BarcodeKindHasErrorLevels(TBarcodeKind kind) { return info(kind).levels; }

bool BarcodeKindFromKey(const QString& key, TBarcodeKind* kind)
{
    for (int i = 0; i < BarcodeKindCount; ++i) {
        if (key == QLatin1String(kKinds[i].key)) {
            *kind = TBarcodeKind(i);
            return true;
        }
    }
    return false;
}

TBarcodeSymbol EncodeBarcode(const TDocElementBAR& e, double barHeight)
{
    TBarcodeSymbol out;
    const KindInfo& k = info(e.Kind);
    if (e.Text.isEmpty()) {
        out.Error = QStringLiteral("Der Inhalt ist leer.");
        return out;
    }
    out.Error = digitProblem(k, e.Text);
    if (!out.Error.isEmpty())
        return out;
    std::unique_ptr<zint_symbol, SymbolDeleter> s(ZBarcode_Create());
    if (!s) {
        out.Error = zintProblem(k, ZINT_ERROR_MEMORY, "");
        return out;
    }
    s->symbology = k.symbology;
    s->input_mode = UNICODE_MODE;
    s->output_options = e.QuietZone ? BARCODE_QUIET_ZONES : BARCODE_NO_QUIET_ZONES;
    s->show_hrt = e.HumanReadable ? 1 : 0;
    if (barHeight > 0)
        s->height = float(barHeight);
    applyErrorLevel(s.get(), e.Kind, e.ErrorLevel);
    const QByteArray utf8 = e.Text.toUtf8();
    const int rc = ZBarcode_Encode_and_Buffer_Vector(
        s.get(), reinterpret_cast<const unsigned char*>(utf8.constData()), int(utf8.size()), 0);
    if (rc >= ZINT_ERROR || !s->vector) {
        out.Error = zintProblem(k, rc, s->errtxt);
        return out;
    }
    const zint_vector* v = s->vector;
    out.Ok = true;
    out.Width = v->width;
    out.Height = v->height;
    out.Modules = s->width;
    for (const zint_vector_rect* r = v->rectangles; r; r = r->next)
        out.Rects.append(QRectF(r->x, r->y, r->width, r->height));
    for (const zint_vector_hexagon* h = v->hexagons; h; h = h->next) {
        // Six corners on the circle of the diameter, pointy at top and bottom unless turned.
        QPolygonF poly;
        const double rad = h->diameter / 2;
        const double start = (h->rotation == 90 || h->rotation == 270) ? 0 : 30;
        for (int i = 0; i < 6; ++i) {
            const double a = (start + 60 * i) * M_PI / 180;
            poly << QPointF(h->x + rad * std::cos(a), h->y + rad * std::sin(a));
        }
        out.Hexagons.append(poly);
    }
    for (const zint_vector_circle* c = v->circles; c; c = c->next)
        out.Circles.append({QPointF(c->x, c->y), c->diameter, c->width, c->colour != 0});
    for (const zint_vector_string* t = v->strings; t; t = t->next) {
        out.Texts.append({QPointF(t->x, t->y), t->fsize, t->halign,
                          QString::fromUtf8(reinterpret_cast<const char*>(t->text), t->length)});
    }
    return out;
}

namespace {

TBarcodeLayout layoutBarcode(const TDocElementBAR& e);

// Drawing a cell and checking it for problems ask for the same symbol, and so does every redraw
// of the sheet: the last few layouts are kept, per thread.
struct LayoutCache {
    struct Entry {
        QString key;
        TBarcodeLayout layout;
    };
    std::vector<Entry> entries; // newest last
};

QString layoutKey(const TDocElementBAR& e)
{
    return QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8|%9|")
               .arg(int(e.Kind))
               .arg(e.ModuleSize, 0, 'g', 17)
               .arg(e.ErrorLevel)
               .arg(e.QuietZone)
               .arg(e.HumanReadable)
               .arg(e.Turns % 4)
               .arg(e.Width, 0, 'g', 17)
               .arg(e.Height, 0, 'g', 17)
               .arg(e.Text.size()) +
           e.Text;
}

} // namespace

TBarcodeLayout LayoutBarcode(const TDocElementBAR& e)
{
    thread_local LayoutCache cache;
    const QString key = layoutKey(e);
    for (const auto& entry : cache.entries) {
        if (entry.key == key)
            return entry.layout;
    }
    TBarcodeLayout l = layoutBarcode(e);
    if (cache.entries.size() >= 8)
        cache.entries.erase(cache.entries.begin());
    cache.entries.push_back({key, l});
    return l;
}

namespace {

TBarcodeLayout layoutBarcode(const TDocElementBAR& e)
{
    TBarcodeLayout l;
    const bool odd = e.Turns % 2 == 1;
    const double fw = odd ? e.Height : e.Width;
    const double fh = odd ? e.Width : e.Height;
    l.Symbol = EncodeBarcode(e);
    if (!l.Symbol.Ok)
        return l;
    if (!(fw > 0) || !(fh > 0)) {
        l.Symbol.Ok = false;
        l.Symbol.Error = QStringLiteral("Der Rahmen hat keine Fläche.");
        return l;
    }
    const bool linear = BarcodeKindIsLinear(e.Kind);
    if (e.ModuleSize > 0)
        l.MmPerUnit = e.ModuleSize / BarcodeUnitsPerModule;
    else if (linear)
        l.MmPerUnit = fw / l.Symbol.Width;
    else
        l.MmPerUnit = std::min(fw / l.Symbol.Width, fh / l.Symbol.Height);
    if (linear) {
        // The bars grow or shrink so that the symbol is as high as the box; what lies below
        // them (the text) keeps its size.
        const double defaultBars = 50;
        const double extra = l.Symbol.Height - defaultBars * BarcodeUnitsPerModule;
        const double bars = (fh / l.MmPerUnit - extra) / BarcodeUnitsPerModule;
        if (bars >= 1 && std::abs(bars - defaultBars) > 1e-6) {
            TBarcodeSymbol taller = EncodeBarcode(e, bars);
            if (taller.Ok)
                l.Symbol = std::move(taller);
        }
    }
    return l;
}

} // namespace

QString BarcodeProblem(const TDocElementBAR& e)
{
    const TBarcodeLayout l = LayoutBarcode(e);
    return l.Symbol.Ok ? QString() : l.Symbol.Error;
}

void PaintBarcode(QPainter& p, const TDocElementBAR& e, const QRect& box)
{
    const QRect r = box.normalized();
    if (r.isEmpty() || !(e.Width > 0) || !(e.Height > 0))
        return;
    const TBarcodeLayout l = LayoutBarcode(e);
    p.save();
    if (!l.Symbol.Ok) {
        // Content that cannot be encoded: the frame, crossed.
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(QColor(200, 0, 0), 0));
        p.setBrush(Qt::NoBrush);
        const QRect f = r.adjusted(0, 0, -1, -1);
        p.drawRect(f);
        p.drawLine(f.topLeft(), f.bottomRight());
        p.drawLine(f.bottomLeft(), f.topRight());
        p.restore();
        return;
    }
    const TBarcodeSymbol& s = l.Symbol;
    // From the box's centre in mm, turned, into zint's units around the symbol's centre.
    p.translate(r.x() + r.width() / 2.0, r.y() + r.height() / 2.0);
    p.scale(r.width() / e.Width, r.height() / e.Height);
    p.rotate(-90.0 * (e.Turns % 4));
    p.scale(l.MmPerUnit, l.MmPerUnit);
    p.translate(-s.Width / 2, -s.Height / 2);
    p.setPen(Qt::NoPen);
    const QColor fore = toQColor(e.ForeColor), back = toQColor(e.BackColor);
    p.fillRect(QRectF(0, 0, s.Width, s.Height), back);
    p.setBrush(fore);
    p.drawRects(s.Rects.constData(), int(s.Rects.size()));
    p.setRenderHint(QPainter::Antialiasing, true);
    for (const QPolygonF& h : s.Hexagons)
        p.drawPolygon(h);
    for (const auto& c : s.Circles) {
        const QColor col = c.Background ? back : fore;
        const double rad = c.Diameter / 2;
        if (c.LineWidth > 0) {
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(col, c.LineWidth));
        } else {
            p.setPen(Qt::NoPen);
            p.setBrush(col);
        }
        p.drawEllipse(c.Centre, rad, rad);
    }
    // Fonts are measured in sixteenths of a unit, so that small sizes keep their fraction.
    for (const auto& t : s.Texts) {
        p.save();
        p.translate(t.Baseline);
        p.scale(1.0 / 16, 1.0 / 16);
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(std::max(1, int(std::lround(t.Size * 16))));
        p.setFont(font);
        p.setPen(fore);
        const QFontMetricsF fm(font);
        const double w = fm.horizontalAdvance(t.Value);
        const double x = t.HAlign == 1 ? 0 : t.HAlign == 2 ? -w : -w / 2;
        p.drawText(QPointF(x, 0), t.Value);
        p.restore();
    }
    p.restore();
}

QString* FilledTextOf(TDocElement* e)
{
    if (auto* t = dynamic_cast<TDocElementTXT*>(e))
        return &t->Text;
    if (auto* b = dynamic_cast<TDocElementBAR*>(e))
        return &b->Text;
    return nullptr;
}

QString SenderVCardTemplate()
{
    return QStringLiteral("BEGIN:VCARD\n"
                          "VERSION:3.0\n"
                          "N:<name>;<vorname>;;<titel>;\n"
                          "FN:<titel> <vorname> <name>\n"
                          "ORG:<firma1>;<firma2>\n"
                          "ADR;TYPE=WORK:;;<strasse>;<ort>;;<plz>;\n"
                          "TEL;TYPE=WORK,VOICE:<telefon>\n"
                          "TEL;TYPE=WORK,FAX:<telefax>\n"
                          "TEL;TYPE=HOME,VOICE:<telefonprivat>\n"
                          "TEL;TYPE=HOME,FAX:<telefaxprivat>\n"
                          "TEL;TYPE=CELL:<mobil>\n"
                          "EMAIL;TYPE=INTERNET:<email>\n"
                          "URL:<url>\n"
                          "END:VCARD");
}

bool IsVCard(QStringView content)
{
    return content.trimmed().startsWith(QLatin1String("BEGIN:VCARD"), Qt::CaseInsensitive);
}

namespace {

// A vCard value: backslash, comma, semicolon and line breaks escaped.
QString vcardEscape(const QString& s)
{
    QString out;
    out.reserve(s.size());
    for (int i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == QLatin1Char('\\') || c == QLatin1Char(',') || c == QLatin1Char(';')) {
            out += QLatin1Char('\\');
            out += c;
        } else if (c == QLatin1Char('\r')) {
            if (i + 1 < s.size() && s[i + 1] == QLatin1Char('\n'))
                ++i;
            out += QLatin1String("\\n");
        } else if (c == QLatin1Char('\n')) {
            out += QLatin1String("\\n");
        } else {
            out += c;
        }
    }
    return out.trimmed();
}

// Whether a filled property's value holds nothing but separators and blanks.
bool emptyValue(QStringView v)
{
    for (qsizetype i = 0; i < v.size(); ++i) {
        const QChar c = v[i];
        if (c == QLatin1Char('\\') && i + 1 < v.size() &&
            (v[i + 1] == QLatin1Char(';') || v[i + 1] == QLatin1Char(',')))
            return false;
        if (c != QLatin1Char(';') && c != QLatin1Char(',') && !c.isSpace())
            return false;
    }
    return true;
}

QString fillVCard(const QString& macro, const TPlaceholderValues& values, bool* cut)
{
    TPlaceholderValues escaped;
    for (size_t i = 0; i < escaped.TextBlocks.size(); ++i)
        escaped.TextBlocks[i] = vcardEscape(values.TextBlocks[i]);
    for (size_t i = 0; i < escaped.AddressFields.size(); ++i)
        escaped.AddressFields[i] = vcardEscape(values.AddressFields[i]);
    const TPlaceholderFiller filler(escaped, false);
    QStringList lines;
    const QStringList in = QString(macro).replace(QLatin1String("\r\n"), QLatin1String("\n"))
                               .split(QLatin1Char('\n'));
    for (const QString& line : in) {
        TFilledText f = filler.Fill(line);
        *cut = *cut || f.Cut;
        const qsizetype colon = f.Text.indexOf(QLatin1Char(':'));
        if (colon < 0) {
            if (!f.Text.trimmed().isEmpty())
                lines << f.Text;
            continue;
        }
        // A property whose placeholders came out empty is left out; blanks left by them
        // between words shrink to one.
        QString value = f.Text.mid(colon + 1);
        if (emptyValue(value))
            continue;
        value = value.simplified();
        lines << f.Text.left(colon + 1) + value;
    }
    return lines.join(QLatin1String("\r\n"));
}

} // namespace

QString FillBarcodeContent(const QString& macro, const TPlaceholderValues& values,
                           bool skipEmpty, bool* cut)
{
    bool c = false;
    QString out;
    if (IsVCard(macro)) {
        out = fillVCard(macro, values, &c);
    } else {
        TFilledText f = TPlaceholderFiller(values, skipEmpty).Fill(macro);
        out = std::move(f.Text);
        c = f.Cut;
    }
    if (cut)
        *cut = c;
    return out;
}

QString EscapeBarcodeLine(const QString& s)
{
    QString out;
    out.reserve(s.size());
    for (int i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == QLatin1Char('\\'))
            out += QLatin1String("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else if (c == QLatin1Char('\r'))
            out += QLatin1String("\\r");
        else if (!InCp1252(c) || c.unicode() < 0x20)
            out += QStringLiteral("\\u%1;").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

QString UnescapeBarcodeLine(const QString& s)
{
    QString out;
    out.reserve(s.size());
    for (int i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c != QLatin1Char('\\') || i + 1 >= s.size()) {
            out += c;
            continue;
        }
        const QChar n = s[++i];
        if (n == QLatin1Char('n')) {
            out += QLatin1Char('\n');
        } else if (n == QLatin1Char('r')) {
            out += QLatin1Char('\r');
        } else if (n == QLatin1Char('u')) {
            const qsizetype end = s.indexOf(QLatin1Char(';'), i + 1);
            bool ok = false;
            const uint code = end > i + 1 && end - i - 1 <= 4
                                  ? s.mid(i + 1, end - i - 1).toUInt(&ok, 16)
                                  : 0;
            if (ok) {
                out += QChar(char16_t(code));
                i = int(end);
            } else {
                out += QLatin1Char('\\');
                out += n;
            }
        } else {
            out += n; // "\\" and anything else: the character itself
        }
    }
    return out;
}
