#pragma once
// Library list files of the template and clipart libraries, and the size line of a path
// list. Plain functions so the rules can be checked without widgets.

#include <QList>
#include <QString>
#include <QStringList>
#include <stdexcept>

class TMetafile;

// Raised when a list file, template or picture of a library cannot be used; the message
// (German) names the file.
class TLibraryError : public std::runtime_error {
public:
    explicit TLibraryError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

// One node of a library tree. Nodes with a name are entries that can be applied; the
// others are headings.
struct TLibraryNode {
    QString Text;
    QString Name;
    bool HasName = false;
    QList<TLibraryNode> Children;
};

// Template lists: "#name:label" is an entry under the latest heading (top level before the
// first heading); any other line is a heading.
QList<TLibraryNode> ParseTemplateList(const QStringList& lines);
// Clipart lists: empty lines skipped; "name:label" is an entry, a line without ":" a heading;
// "#" lines are children of the latest top-level node.
QList<TLibraryNode> ParseClipartList(const QStringList& lines);

// Reads a text file (Windows-1252, CR LF or LF) as lines. Lines read before a failure are
// kept in 'lines'; the failure is raised as TLibraryError naming the file.
void ReadTextLines(const QString& fileName, QStringList& lines);

// The size line of a path list: one leading character, width, "b", height, "h", both in
// 0.01 mm. Returns false when the numbers are missing or not integers.
bool ParseQmgSize(const QString& line, int& width, int& height);

// Reads a path list file (".qmg") into lines and draws it into metafile at its size;
// raises TLibraryError naming the file when it is no path list or a line is faulty.
void LoadPathList(const QString& fileName, QStringList& lines, TMetafile& metafile);

// Fits a w x h picture into an area keeping its aspect: by width, and by height when the
// result would be taller than the area. Fractions are dropped.
void FitKeepingAspect(int w, int h, int areaWidth, int areaHeight, int& outW, int& outH);
