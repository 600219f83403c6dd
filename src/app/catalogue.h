#pragma once
// The configuration catalogue: a text file beside the program (its name + ".inf") listing the
// template and clipart libraries, the help files and the language column.
//
//   templates            a section starts with a line naming it (letter case ignored)
//   #Title:Briefbogen    keys at the start of a line; the value is the rest of the line
//   #                    a line that is exactly "#" ends the section
//   language:2           outside sections: the language column of lang.txt

#include "platform/programdata.h"
#include <QString>
#include <QStringList>
#include <stdexcept>

// The four parallel lists of one library section: the n-th entry of each describes the n-th
// library.
struct TCatalogueLibraries {
    QStringList Titles;
    QStringList Bibs;
    QStringList Dirs;
    QStringList Types;
    int LibraryCount = 0; // number of "#Bib:" lines
    bool SectionSeen = false;
};

struct TCatalogue {
    TCatalogueLibraries Templates;
    TCatalogueLibraries Cliparts;
    QStringList HelpLabels;
    QStringList HelpFiles; // program directory + the "#File:" values
    bool HelpSectionSeen = false;
    // The last language line wins; LanguageText is the text after its first ":".
    bool HasLanguage = false;
    QString LanguageText;
};

// Raised when the catalogue exists but cannot be read; the message names the file.
class TCatalogueError : public std::runtime_error {
public:
    explicit TCatalogueError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

// Reads the catalogue text (Windows-1252, CR LF or LF). Backslashes in values are read as "/".
TCatalogue ParseCatalogue(const QByteArray& bytes, const QString& programDir);
// Reads the file; throws TCatalogueError when it cannot be read.
TCatalogue ReadCatalogue(const QString& file, const QString& programDir);


// Decodes an 8-bit text file of the program (Windows-1252; UTF-8 when it starts with a BOM)
// into lines without their line ends.
QStringList DecodeTextLines(const QByteArray& bytes);
