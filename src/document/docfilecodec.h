#pragma once
// Value encodings of the document file: reals, integers, letter pairs, and a line reader
// that accepts CR LF and LF line ends.

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>

namespace docfile {

// Width 23, scientific: sign blank or "-", one digit, ".", 14 digits, "E", sign, 4 digits.
QByteArray FormatReal(double value);
// The same text appended to out.
void AppendReal(QByteArray& out, double value);
// A decimal or scientific number after leading blanks; anything malformed gives 0.
double ParseReal(QByteArrayView text);
// A decimal integer after leading blanks; ok is false (and 0 returned) when malformed.
std::int64_t ParseInt(QByteArrayView text, bool* ok = nullptr);

// Appends data lines ("## " and up to 40 bytes as letter pairs, CR LF) for the bytes.
void AppendLetterPairs(QByteArray& out, const QByteArray& bytes);
// Appends the bytes the letter pairs of text stand for; an odd last letter is ignored.
// Letters outside "A".."P" give (first - 'A') * 16 + (second - 'A') modulo 256.
void DecodeLetterPairs(QByteArrayView text, QByteArray& out);

class LineReader {
public:
    explicit LineReader(QByteArrayView data) : m_p(data.data()), m_end(data.data() + data.size()) {}
    bool AtEnd() const { return m_p >= m_end; }
    // The next line without its line end; an empty view at the end of the data.
    QByteArrayView Next();
    // Lines taken by Next so far: the number of the last line returned.
    int Line() const { return m_line; }

private:
    int m_line = 0;
    const char* m_p;
    const char* m_end;
};

} // namespace docfile
