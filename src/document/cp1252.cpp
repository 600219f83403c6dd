#include "document/cp1252.h"
#include "platform/nocoverage.h"

namespace {

// 0x80..0x9F; the five bytes without a character map to the C1 control of the same value,
// as Windows does, so they survive a round trip.
const char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QM_NO_COVERAGE char encode(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return char(c);
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] == c)
            return char(0x80 + i);
    }
    return '?';
}

} // namespace

QM_NO_COVERAGE QString FromCp1252(const char* data, qsizetype size)
{
    QString s(size, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(s.data());
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned char b = static_cast<unsigned char>(data[i]);
        out[i] = (b >= 0x80 && b < 0xA0) ? kHigh[b - 0x80] : char16_t(b);
    }
    return s;
}

QM_NO_COVERAGE void AppendCp1252(QByteArray& out, const QString& text)
{
    const qsizetype n = text.size();
    const char16_t* in = reinterpret_cast<const char16_t*>(text.constData());
    // At most one byte per character; written through a pointer, then cut to what was used.
    const qsizetype start = out.size();
    out.resize(start + n);
    char* w = out.data() + start;
    for (qsizetype i = 0; i < n; ++i) {
        char16_t c = in[i];
        if (c < 0x80) {
            *w++ = char(c);
            continue;
        }
        // A character outside the basic plane is one "?", not two.
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && in[i + 1] >= 0xDC00 && in[i + 1] < 0xE000) {
            ++i;
            c = u'?';
        }
        *w++ = encode(c);
    }
    out.truncate(w - out.constData());
}

QM_NO_COVERAGE bool InCp1252(QChar c)
{
    return c.unicode() == u'?' || encode(c.unicode()) != '?';
}

QByteArray ToCp1252(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    AppendCp1252(out, text);
    return out;
}
