// Reading and writing the document file.

#include "document/appdocument.h"
#include "document/barcode.h"
#include "document/cp1252.h"
#include "document/docfilecodec.h"
#include "document/units.h"
#include "platform/fileerror.h"
#include "platform/safefile.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QThread>
#include <QCursor>
#include <cerrno>
#include <charconv>
#include <climits>

using namespace docfile;

namespace {

const QByteArray kMagic = QByteArrayLiteral("Quillmark 10000");
// Larger files are refused rather than read into memory.
constexpr qint64 kMaxFileSize = qint64(1) << 30;

class WaitCursor {
public:
    WaitCursor()
    {
        // Only the interface's thread may set the cursor; other threads read files unseen.
        const auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
        m_active = app && QThread::currentThread() == app->thread();
        if (m_active)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~WaitCursor()
    {
        if (m_active)
            QGuiApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool m_active = false;
};

QString displayName(const QString& name)
{
    return QDir::toNativeSeparators(name);
}

// The value after key when line starts with it.
bool takeKey(QByteArrayView line, const char* key, QByteArrayView& value)
{
    const QByteArrayView k(key);
    if (!line.startsWith(k))
        return false;
    value = line.sliced(k.size());
    return true;
}

// The key of an element line "## KEY=value" as a number, its letters packed into an integer,
// so that a line is split once and its key found by a switch instead of being compared with
// every key in turn.
constexpr std::uint32_t keyCode(const char* key)
{
    std::uint32_t code = 0;
    for (; *key; ++key)
        code = (code << 8) | std::uint8_t(*key);
    return code;
}

struct ElementKey {
    std::uint32_t code = 0; // 0: no key of up to four letters
    QByteArrayView value;
};

ElementKey elementKey(QByteArrayView line)
{
    const char* d = line.data();
    const qsizetype n = std::min<qsizetype>(line.size(), 8);
    if (n < 5 || d[0] != '#' || d[1] != '#' || d[2] != ' ')
        return {};
    std::uint32_t code = 0;
    for (qsizetype i = 3; i < n; ++i) {
        if (d[i] == '=')
            return {code, line.sliced(i + 1)};
        if (d[i] == '\0')
            return {}; // would pack like a shorter key
        code = (code << 8) | std::uint8_t(d[i]);
    }
    return {};
}

std::int32_t toInt32(QByteArrayView v)
{
    bool ok = false;
    const std::int64_t n = ParseInt(v, &ok);
    if (!ok || n < INT32_MIN || n > INT32_MAX)
        return 0;
    return std::int32_t(n);
}

TColor toColor(QByteArrayView v)
{
    // Written signed; accepted signed or unsigned.
    bool ok = false;
    const std::int64_t n = ParseInt(v, &ok);
    if (!ok || n < INT32_MIN || n > std::int64_t(UINT32_MAX))
        return 0;
    return TColor(std::uint32_t(n));
}

void applyBool(QByteArrayView v, bool& field)
{
    if (v.isEmpty())
        return;
    if (v[0] == 'T')
        field = true;
    else if (v[0] == 'F')
        field = false;
}

// Keeps every byte of a text line, whatever it is.
QString text(QByteArrayView v)
{
    return FromCp1252(v.data(), v.size());
}

// A single-line text must not break the line it is written on.
QString oneLine(const QString& s)
{
    if (!s.contains(QLatin1Char('\r')) && !s.contains(QLatin1Char('\n')))
        return s;
    QString t = s;
    t.replace(QLatin1String("\r\n"), QLatin1String(" "));
    t.replace(QLatin1Char('\r'), QLatin1Char(' '));
    t.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return t;
}

bool applyBaseKey(const ElementKey& k, TDocElement& e)
{
    const QByteArrayView v = k.value;
    switch (k.code) {
    case keyCode("CL"): e.Left = ParseReal(v); break;
    case keyCode("CT"): e.Top = ParseReal(v); break;
    case keyCode("CW"): e.Width = ParseReal(v); break;
    case keyCode("CH"): e.Height = ParseReal(v); break;
    case keyCode("B"): e.Side = toInt32(v); break;
    default: return false;
    }
    return true;
}

void applyTextKey(QByteArrayView line, TDocElementTXT& e)
{
    const ElementKey k = elementKey(line);
    if (k.code == 0 || applyBaseKey(k, e))
        return;
    const QByteArrayView v = k.value;
    switch (k.code) {
    case keyCode("S?"): applyBool(v, e.Shadow); break;
    case keyCode("SX"): e.ShadowX = ParseReal(v); break;
    case keyCode("SY"): e.ShadowY = ParseReal(v); break;
    case keyCode("SC"): e.ShadowColor = toColor(v); break;
    case keyCode("L"): e.ReservedL = std::uint8_t(toInt32(v) & 0xFF); break;
    case keyCode("T"): e.Text = text(v); break;
    case keyCode("M"): e.MacroText = text(v); break;
    case keyCode("FN"): e.FontName = text(v); break;
    case keyCode("FE"): e.Angle = toInt32(v); break;
    case keyCode("FS"): e.FontSize = toInt32(v); break;
    case keyCode("FY"): e.FontStyle = std::uint8_t(toInt32(v) & 0x0F); break;
    case keyCode("FC"): e.FontColor = toColor(v); break;
    case keyCode("AH"):
        if (v.startsWith("L"))
            e.AlignH = 0;
        else if (v.startsWith("C"))
            e.AlignH = 1;
        else if (v.startsWith("R"))
            e.AlignH = 2;
        break;
    case keyCode("AV"):
        if (v.startsWith("T"))
            e.AlignV = 0;
        else if (v.startsWith("C"))
            e.AlignV = 1;
        else if (v.startsWith("B"))
            e.AlignV = 2;
        break;
    default: break;
    }
}

// Records the first damage found: the reason and the lines read before it.
void noteDamage(TLoadReport& report, int line, const QString& reason)
{
    if (report.Damaged)
        return;
    report.Damaged = true;
    report.Reason = reason;
    report.GoodLines = std::max(0, line - 1);
}

bool letterPairs(QByteArrayView letters)
{
    if (letters.size() % 2 != 0)
        return false;
    for (const char c : letters) {
        if (c < 'A' || c > 'P')
            return false;
    }
    return true;
}

// Data lines up to an exact "##" or the end of the data; false when the end came first.
bool readDataBlock(LineReader& in, QByteArray& bytes, TLoadReport& report, int element)
{
    // The block's size first, so that its bytes are decoded into one allocation.
    qsizetype size = 0;
    for (LineReader ahead = in; !ahead.AtEnd();) {
        const QByteArrayView line = ahead.Next();
        if (line == "##")
            break;
        if (line.startsWith("## ")) {
            size += (line.size() - 3) / 2;
            // A last line cut short is the file's end, told as such by the caller.
            if (!report.Damaged && !ahead.AtEnd() && !letterPairs(line.sliced(3)))
                noteDamage(report, ahead.Line(),
                           QStringLiteral("das %1. Element hat in Zeile %2 ungültige Bilddaten")
                               .arg(element)
                               .arg(ahead.Line()));
        }
    }
    bytes.reserve(size);
    while (!in.AtEnd()) {
        const QByteArrayView line = in.Next();
        if (line == "##")
            return true;
        if (line.startsWith("## "))
            DecodeLetterPairs(line.sliced(3), bytes);
    }
    return false;
}

QStringList pathListFromBytes(const QByteArray& bytes)
{
    QStringList lines;
    lines.reserve(QByteArrayView(bytes).count('\n') + 1);
    LineReader in(bytes);
    while (!in.AtEnd())
        lines << text(in.Next());
    return lines;
}

QString endsInside(int element)
{
    return QStringLiteral("sie endet mitten im %1. Element").arg(element);
}

// Applies an element's key lines up to its closing "##"; false when the file ended first.
template <class Apply>
bool readKeyLines(LineReader& in, Apply&& apply)
{
    while (!in.AtEnd()) {
        const QByteArrayView line = in.Next();
        if (line == "##")
            return true;
        apply(line);
    }
    return false;
}

void applyGraphicKey(QByteArrayView line, TDocElementWMF& e)
{
    const ElementKey k = elementKey(line);
    if (k.code == 0 || applyBaseKey(k, e) || k.code != keyCode("PT"))
        return;
    if (k.value.startsWith("W"))
        e.SourceKind = 0;
    else if (k.value.startsWith("B"))
        e.SourceKind = 1;
    else if (k.value.startsWith("P"))
        e.SourceKind = 2;
}

// Reads a graphic element; complete is false when the file ended inside it.
std::unique_ptr<TDocElementWMF> readGraphic(LineReader& in, TLoadReport& report, int element,
                                            bool& complete)
{
    auto e = std::make_unique<TDocElementWMF>();
    complete = readKeyLines(in, [&](QByteArrayView line) { applyGraphicKey(line, *e); });
    QByteArray data;
    complete = readDataBlock(in, data, report, element) && complete;
    e->Metafile.LoadFromBytes(data);
    if (e->SourceKind == 2) {
        QByteArray list;
        complete = readDataBlock(in, list, report, element) && complete;
        e->PathList = pathListFromBytes(list);
    }
    if (!complete)
        noteDamage(report, in.Line() + 1, endsInside(element));
    return e;
}

std::unique_ptr<TDocElementTXT> readText(LineReader& in, TLoadReport& report, int element,
                                         bool& complete)
{
    auto e = std::make_unique<TDocElementTXT>();
    QByteArrayView line = in.Next();
    // The last line of a file that ends inside the element is not applied.
    while (line != "##" && !in.AtEnd()) {
        applyTextKey(line, *e);
        line = in.Next();
    }
    complete = line == "##";
    if (!complete)
        noteDamage(report, in.Line(), endsInside(element));
    return e;
}

void applyBarcodeKey(QByteArrayView line, TDocElementBAR& e)
{
    const ElementKey k = elementKey(line);
    if (k.code == 0 || applyBaseKey(k, e))
        return;
    const QByteArrayView v = k.value;
    switch (k.code) {
    case keyCode("T"): e.Text = UnescapeBarcodeLine(text(v)); break;
    case keyCode("M"): e.MacroText = UnescapeBarcodeLine(text(v)); break;
    case keyCode("SY"): BarcodeKindFromKey(text(v), &e.Kind); break;
    case keyCode("MS"): e.ModuleSize = std::max(0.0, ParseReal(v)); break;
    case keyCode("EC"): e.ErrorLevel = std::uint8_t(std::clamp(toInt32(v), 0, 4)); break;
    case keyCode("FC"): e.ForeColor = toColor(v); break;
    case keyCode("BC"): e.BackColor = toColor(v); break;
    case keyCode("QZ"): applyBool(v, e.QuietZone); break;
    case keyCode("HR"): applyBool(v, e.HumanReadable); break;
    case keyCode("R"): e.Turns = std::uint8_t(((toInt32(v) % 4) + 4) % 4); break;
    default: break;
    }
}

std::unique_ptr<TDocElementBAR> readBarcode(LineReader& in, TLoadReport& report, int element,
                                            bool& complete)
{
    auto e = std::make_unique<TDocElementBAR>();
    complete = readKeyLines(in, [&](QByteArrayView line) { applyBarcodeKey(line, *e); });
    if (!complete)
        noteDamage(report, in.Line() + 1, endsInside(element));
    return e;
}

// Returns false when the file ended before the header's empty line.
bool readHeader(LineReader& in, TAppDocument& d)
{
    while (!in.AtEnd()) {
        const QByteArrayView line = in.Next();
        if (line.isEmpty())
            return true;
        QByteArrayView v;
        if (takeKey(line, "# W=", v))
            d.PageWidth = ParseReal(v);
        else if (takeKey(line, "# H=", v))
            d.PageHeight = ParseReal(v);
        else if (takeKey(line, "# ML=", v))
            d.PrintMarginLeft = ParseReal(v);
        else if (takeKey(line, "# MT=", v))
            d.PrintMarginTop = ParseReal(v);
        else if (takeKey(line, "# MR=", v))
            d.PrintMarginRight = ParseReal(v);
        else if (takeKey(line, "# MB=", v))
            d.PrintMarginBottom = ParseReal(v);
        else if (takeKey(line, "# DH=", v))
            d.PrintDistHor = ParseReal(v);
        else if (takeKey(line, "# DV=", v))
            d.PrintDistVer = ParseReal(v);
        else if (takeKey(line, "# CC=", v)) {
            bool ok = false;
            const std::int64_t n = ParseInt(v, &ok);
            // A count no printer run could use keeps the default.
            if (ok && n >= 0 && n <= 65535)
                d.CopyCount = std::uint16_t(n);
        } else if (takeKey(line, "# PM=", v))
            applyBool(v, d.SelectAllCells);
        else if (line.startsWith("# POP"))
            d.Orientation = 0;
        else if (line.startsWith("# POL"))
            d.Orientation = 1;
        else if (takeKey(line, "# LFA=", v))
            applyBool(v, d.SkipEmpty);
        else if (takeKey(line, "# BOG=", v))
            d.PrintProduct = text(v).trimmed();
        else if (takeKey(line, "# NTZ=", v))
            d.Notes = ReplaceAll(QStringLiteral("<#>"), QStringLiteral("\r\n"), text(v));
    }
    return false;
}

void appendLine(QByteArray& out, const char* key, QByteArrayView value = {})
{
    out.append(key);
    out.append(value);
    out.append("\r\n");
}

// Numbers are written straight into the file's text: no string of their own per value.
void appendReal(QByteArray& out, const char* key, double value)
{
    out.append(key);
    AppendReal(out, value);
    out.append("\r\n");
}

void appendNumber(QByteArray& out, const char* key, std::int64_t value)
{
    char digits[24];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
    appendLine(out, key, QByteArrayView(digits, end - digits));
}

void appendLetter(QByteArray& out, const char* key, char letter)
{
    appendLine(out, key, QByteArrayView(&letter, 1));
}

void appendTextLine(QByteArray& out, const char* key, const QString& value)
{
    out.append(key);
    AppendCp1252(out, value);
    out.append("\r\n");
}

void writeGraphic(QByteArray& out, const TDocElementWMF& e)
{
    out.append("#WMF\r\n");
    appendReal(out, "## CL=", e.Left);
    appendReal(out, "## CT=", e.Top);
    appendReal(out, "## CW=", e.Width);
    appendReal(out, "## CH=", e.Height);
    appendNumber(out, "## B=", e.Side);
    static const char kinds[] = {'W', 'B', 'P'};
    appendLetter(out, "## PT=", e.SourceKind <= 2 ? kinds[e.SourceKind] : 'W');
    out.append("##\r\n");
    AppendLetterPairs(out, e.Metafile.Bytes());
    out.append("##\r\n");
    if (e.SourceKind == 2) {
        QByteArray list;
        for (const QString& line : e.PathList) {
            AppendCp1252(list, line);
            list.append("\r\n");
        }
        AppendLetterPairs(out, list);
        out.append("##\r\n");
    }
}

void writeText(QByteArray& out, const TDocElementTXT& e)
{
    out.append("#TXT\r\n");
    appendReal(out, "## CL=", e.Left);
    appendReal(out, "## CT=", e.Top);
    appendReal(out, "## CW=", e.Width);
    appendReal(out, "## CH=", e.Height);
    appendNumber(out, "## B=", e.Side);
    if (e.Shadow) {
        out.append("## S?=T\r\n");
        appendReal(out, "## SX=", e.ShadowX);
        appendReal(out, "## SY=", e.ShadowY);
        appendNumber(out, "## SC=", std::int32_t(e.ShadowColor));
    } else {
        out.append("## S?=F\r\n");
    }
    appendNumber(out, "## L=", e.ReservedL);
    appendTextLine(out, "## T=", oneLine(e.Text));
    appendTextLine(out, "## M=", oneLine(e.MacroText));
    appendTextLine(out, "## FN=", oneLine(e.FontName));
    appendNumber(out, "## FE=", e.Angle);
    appendNumber(out, "## FS=", e.FontSize);
    appendNumber(out, "## FY=", e.FontStyle);
    appendNumber(out, "## FC=", std::int32_t(e.FontColor));
    static const char h[] = {'L', 'C', 'R'};
    static const char v[] = {'T', 'C', 'B'};
    appendLetter(out, "## AH=", e.AlignH <= 2 ? h[e.AlignH] : 'L');
    appendLetter(out, "## AV=", e.AlignV <= 2 ? v[e.AlignV] : 'T');
    out.append("##\r\n");
}

void writeBarcode(QByteArray& out, const TDocElementBAR& e)
{
    out.append("#BAR\r\n");
    appendReal(out, "## CL=", e.Left);
    appendReal(out, "## CT=", e.Top);
    appendReal(out, "## CW=", e.Width);
    appendReal(out, "## CH=", e.Height);
    appendNumber(out, "## B=", e.Side);
    appendTextLine(out, "## SY=", BarcodeKindKey(e.Kind));
    appendTextLine(out, "## T=", EscapeBarcodeLine(e.Text));
    appendTextLine(out, "## M=", EscapeBarcodeLine(e.MacroText));
    appendReal(out, "## MS=", e.ModuleSize);
    appendNumber(out, "## EC=", e.ErrorLevel);
    appendNumber(out, "## FC=", std::int32_t(e.ForeColor));
    appendNumber(out, "## BC=", std::int32_t(e.BackColor));
    out.append(e.QuietZone ? "## QZ=T\r\n" : "## QZ=F\r\n");
    out.append(e.HumanReadable ? "## HR=T\r\n" : "## HR=F\r\n");
    appendNumber(out, "## R=", e.Turns % 4);
    out.append("##\r\n");
}

bool IsElementKindLine(QByteArrayView line)
{
    if (line.size() < 2 || line.size() > 16 || line[0] != '#')
        return false;
    for (qsizetype i = 1; i < line.size(); ++i) {
        const char c = line[i];
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return line != "#WMF" && line != "#TXT" && line != "#BAR";
}

QString UnknownKindText(QByteArrayView line, int lineNumber)
{
    return QStringLiteral("in Zeile %1 beginnt ein Element der unbekannten Art „%2“; die Datei "
                          "stammt wohl aus einer neueren Version von Quillmark")
        .arg(lineNumber)
        .arg(text(line));
}

QString notesLine(const QString& notes)
{
    // Every line break becomes "<#>"; a bare LF or CR would otherwise end the header line.
    QString s = ReplaceAll(QStringLiteral("\r\n"), QStringLiteral("<#>"), notes);
    s = ReplaceAll(QStringLiteral("\n"), QStringLiteral("<#>"), s);
    return ReplaceAll(QStringLiteral("\r"), QStringLiteral("<#>"), s);
}

} // namespace

namespace {

// Collects the file's text and hands it to the device in pieces, so that a large document
// is never held twice in memory.
class Sink {
public:
    explicit Sink(QIODevice* device = nullptr) : m_device(device)
    {
        if (m_device)
            m_buffer.reserve(kChunk + kChunk / 4);
    }
    QByteArray& buffer() { return m_buffer; }
    // Returns false when the device refused the bytes.
    bool flush(bool all)
    {
        if (!m_device || (!all && m_buffer.size() < kChunk))
            return true;
        const bool ok = m_device->write(m_buffer) == m_buffer.size();
        m_buffer.truncate(0);
        return ok;
    }

private:
    static constexpr qsizetype kChunk = 1 << 20;
    QIODevice* m_device;
    QByteArray m_buffer;
};

bool writeDocument(const TAppDocument& d, Sink& sink)
{
    QByteArray& out = sink.buffer();
    out.append(kMagic);
    out.append("\r\n");
    appendReal(out, "# W=", d.PageWidth);
    appendReal(out, "# H=", d.PageHeight);
    appendReal(out, "# ML=", d.PrintMarginLeft);
    appendReal(out, "# MT=", d.PrintMarginTop);
    appendReal(out, "# MR=", d.PrintMarginRight);
    appendReal(out, "# MB=", d.PrintMarginBottom);
    appendReal(out, "# DH=", d.PrintDistHor);
    appendReal(out, "# DV=", d.PrintDistVer);
    appendNumber(out, "# CC=", d.CopyCount);
    out.append(d.SelectAllCells ? "# PM=T\r\n" : "# PM=F\r\n");
    if (d.Orientation == 0)
        out.append("# POP\r\n");
    else if (d.Orientation == 1)
        out.append("# POL\r\n");
    // Written only when on, so that documents without it keep their bytes.
    if (d.SkipEmpty)
        out.append("# LFA=T\r\n");
    if (!d.PrintProduct.trimmed().isEmpty())
        appendTextLine(out, "# BOG=", oneLine(d.PrintProduct.trimmed()));
    appendTextLine(out, "# NTZ=", notesLine(d.Notes));
    out.append("\r\n");
    for (const auto& e : d.Elements) {
        if (const auto* g = dynamic_cast<const TDocElementWMF*>(e.get()))
            writeGraphic(out, *g);
        else if (const auto* t = dynamic_cast<const TDocElementTXT*>(e.get()))
            writeText(out, *t);
        else if (const auto* b = dynamic_cast<const TDocElementBAR*>(e.get()))
            writeBarcode(out, *b);
        if (!sink.flush(false))
            return false;
    }
    return sink.flush(true);
}

} // namespace

QByteArray TAppDocument::SaveToBytes() const
{
    Sink sink;
    qsizetype estimate = 1024;
    for (const auto& e : Elements) {
        if (const auto* g = dynamic_cast<const TDocElementWMF*>(e.get()))
            estimate += g->Metafile.Bytes().size() * 2 + g->Metafile.Bytes().size() / 8 + 512;
        else
            estimate += 512;
    }
    sink.buffer().reserve(estimate);
    writeDocument(*this, sink);
    return sink.buffer();
}

TLoadReport TAppDocument::LoadFromBytes(const QByteArray& bytes)
{
    TLoadReport report;
    report.Lines = int(std::min<qsizetype>(QByteArrayView(bytes).count('\n'), INT_MAX - 1));
    if (!bytes.isEmpty() && !bytes.endsWith('\n'))
        ++report.Lines;
    LineReader in(bytes);
    if (in.Next() != kMagic) {
        noteDamage(report, 1,
                   QStringLiteral("sie beginnt nicht mit der Zeile „%1“, ist also kein "
                                  "Quillmark-Dokument oder an ihrem Anfang zerstört")
                       .arg(QString::fromLatin1(kMagic)));
        LoadReport = report;
        return report;
    }
    if (!readHeader(in, *this))
        noteDamage(report, in.Line() + 1,
                   QStringLiteral("sie endet in den Angaben zum Blatt, vor den Elementen"));
    while (!in.AtEnd()) {
        QByteArrayView line = in.Next();
        const int element = int(Elements.size()) + 1;
        bool complete = true;
        if (line == "#WMF")
            Elements.push_back(readGraphic(in, report, element, complete));
        else if (line == "#TXT")
            Elements.push_back(readText(in, report, element, complete));
        else if (line == "#BAR")
            Elements.push_back(readBarcode(in, report, element, complete));
        else if (IsElementKindLine(line)) {
            // A kind of a newer version: reading on would drop it without a word.
            noteDamage(report, in.Line(), UnknownKindText(line, in.Line()));
            break;
        } else
            continue;
        ++(complete ? report.Elements : report.Incomplete);
    }
    if (!report.Damaged)
        report.GoodLines = report.Lines;
    LoadReport = report;
    return report;
}

QString DamageText(const QString& fileName, const TLoadReport& r)
{
    QString text = QStringLiteral("Die Datei „%1“ ist beschädigt: %2.")
                       .arg(displayName(fileName), r.Reason);
    if (r.Elements + r.Incomplete == 0 && r.GoodLines == 0)
        return text + QStringLiteral(" Aus ihr wurde nichts gelesen.");
    text += QStringLiteral(" Gelesen wurden die ersten %1 von %2 Zeilen")
                .arg(r.GoodLines)
                .arg(r.Lines);
    text += r.Elements == 1 ? QStringLiteral(" mit 1 vollständigen Element")
                            : QStringLiteral(" mit %1 vollständigen Elementen").arg(r.Elements);
    if (r.Incomplete > 0)
        text += r.Incomplete == 1
                    ? QStringLiteral(" und 1 unvollständigen")
                    : QStringLiteral(" und %1 unvollständigen").arg(r.Incomplete);
    return text + QStringLiteral(".");
}

void TAppDocument::SaveToFile(const QString& name)
{
    if (name.contains(QLatin1Char('*')))
        return;
    WaitCursor wait;
    // The old file is replaced only once the new one is completely on disk.
    TSafeFile file(name);
    const QString fail = QStringLiteral("Die Datei \"%1\" konnte nicht gespeichert werden: %2");
    if (!file.open())
        throw TDocumentError(fail.arg(displayName(name), file.Reason()));
    Sink sink(&file);
    if (!writeDocument(*this, sink) || !file.commit()) {
        const QString why = file.Reason();
        file.cancel();
        throw TDocumentError(fail.arg(displayName(name), why));
    }
    SetFileName(name);
    Modified = false;
}

bool IsDocumentFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray first = file.read(kMagic.size() + 2);
    while (first.endsWith('\n') || first.endsWith('\r'))
        first.chop(1);
    return first == kMagic;
}

// The first element of a kind this version does not know: its line and the reason.
static int unknownKindLine(const QByteArray& bytes, QString* reason)
{
    LineReader in(bytes);
    bool elements = false;
    while (!in.AtEnd()) {
        const QByteArrayView line = in.Next();
        if (!elements) {
            elements = line.isEmpty() && in.Line() > 1;
            continue;
        }
        if (IsElementKindLine(line)) {
            *reason = UnknownKindText(line, in.Line());
            return in.Line();
        }
    }
    return 0;
}

void TAppDocument::LoadFromFile(const QString& name)
{
    const QFileInfo info(name);
    if (!info.exists())
        return;
    WaitCursor wait;
    const QString fail = QStringLiteral("Die Datei \"%1\" konnte nicht gelesen werden: %2");
    if (info.isDir())
        throw TDocumentError(fail.arg(displayName(name), QStringLiteral("Das ist ein Ordner.")));
    QFile file(name);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        throw TDocumentError(fail.arg(displayName(name), FileErrorText(file, errno)));
    if (file.size() > kMaxFileSize)
        throw TDocumentError(fail.arg(displayName(name), QStringLiteral("Die Datei ist zu groß.")));
    errno = 0;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw TDocumentError(fail.arg(displayName(name), FileErrorText(file, errno)));
    file.close();
    QString unknown;
    if (bytes.startsWith(kMagic) && unknownKindLine(bytes, &unknown) > 0)
        throw TDocumentError(fail.arg(displayName(name), unknown + QStringLiteral(".")));
    // Only a completely read file replaces the document.
    Clear();
    Notes.clear();
    SetFileName(name);
    if (LoadFromBytes(bytes).Damaged)
        DamagedFile = name;
}
