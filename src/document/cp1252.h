#pragma once
// The Windows ANSI code page (1252) used by document files and other 8-bit texts.
// Every byte maps to one character and back, so texts read from a file are written back
// byte for byte; characters the code page lacks are written as "?".

#include <QByteArray>
#include <QString>

QString FromCp1252(const char* data, qsizetype size);
inline QString FromCp1252(const QByteArray& bytes)
{
    return FromCp1252(bytes.constData(), bytes.size());
}
QByteArray ToCp1252(const QString& text);
// The code page has a byte for c (false for surrogates and the replacement mark).
bool InCp1252(QChar c);
// Appends the encoding of text to out.
void AppendCp1252(QByteArray& out, const QString& text);
