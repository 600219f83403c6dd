#pragma once
// The language file "lang.txt": one entry per line, a decimal key, then one text per language,
// all separated by TABs. Column 1 is German (the texts built into the forms), column 2 English.

#include <QString>
#include <QStringList>
#include <stdexcept>

class TLanguageError : public std::runtime_error {
public:
    explicit TLanguageError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

// Field `column` of a line (0 = the key). Column 0 keeps the whole line; a column past the
// last field gives the empty text.
QString LanguageColumnText(const QString& line, int column);

// Splits the file's lines into keys and texts of one column (lists of equal length).
void ParseLanguageLines(const QStringList& lines, int column, QStringList& keys,
                        QStringList& strings);

// Reads a language file into keys and texts; throws TLanguageError naming the file when it
// cannot be read.
void ReadLanguageFile(const QString& file, int column, QStringList& keys, QStringList& strings);

// Index of a key in keys (letter case ignored, first match); -1 when it is missing.
int LanguageIndex(const QStringList& keys, const QString& key);

// Parses the catalogue's column number ("2", " 2 "); false when it is not a whole number.
bool ParseLanguageColumn(const QString& text, int& column);

// Line counts above which texts built at run time take the language file's texts.
inline constexpr int LangThresholdZoom = 90;
inline constexpr int LangThresholdDialogs = 100;
inline constexpr int LangThresholdPrint = 56;
