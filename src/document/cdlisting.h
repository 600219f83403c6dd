#pragma once
// The directory tree of a folder drawn as a column picture for a CD insert: names in up to
// eleven columns, joined by tree lines, optionally headed by a title. Shared by the CD
// workspace and quillmark-batch.

#include "metafile/tmetafilecanvas.h"

#include <QString>
#include <QStringList>

struct TCdFont {
    QString Name = QStringLiteral("Arial Narrow");
    int Size = 10;      // points
    int Style = 0;      // bit 0 bold, bit 1 italic, bit 2 underline, bit 3 strike-out
    TColor Color = 0;   // 0x00BBGGRR
};

// "Arial Narrow, 10 Punkt, kursiv": name, size and the styles that are set.
QString FontDescription(const TCdFont& font);

// Limits of the layout fields.
struct TCdRange {
    int min, max;
};
constexpr TCdRange kColCountRange{1, 11};
constexpr TCdRange kColsWidthRange{3, 333};
constexpr TCdRange kColHeightRange{3, 333};
constexpr TCdRange kColDistRange{1, 111};
constexpr TCdRange kDirLevelRange{1, 22};

struct TCdListingOptions {
    QString Folder;
    int ColCount = 3;     // columns
    int ColsWidth = 110;  // width of all columns together, mm
    int ColHeight = 110;  // column height, mm
    int ColDist = 3;      // distance between columns, mm
    int DirLevelMax = 1;  // deepest directory level listed
    bool DirsOnly = true;
    bool DrawTitle = true;
    QString Title;
    TCdFont DirFont{QStringLiteral("Arial Narrow"), 10, 2, 0};
    TCdFont FileFont{QStringLiteral("Arial Narrow"), 9, 0, 0};
};

struct TCdListingResult {
    int Entries = 0;         // names drawn, the title not counted
    int Columns = 0;         // columns begun
    bool Complete = true;    // false: the columns were full before the tree ended
    int FoldersRead = 0;     // folders whose entries were read
    QStringList Unreadable;  // folders listed without their content
    int BadNames = 0;        // names drawn that are not valid UTF-8 (with replacement characters)
};

// Width of one column in mm: (W - d (n - 1)) / n rounded to the nearest integer, halves to
// even.
int CdColumnWidth(int colsWidth, int colDist, int colCount);

// Why the options cannot make a picture (German, for the interface and the tool); empty when
// they can. The folder is not checked here.
QString CdLayoutProblem(const TCdListingOptions& options);

// Records the listing into target (replacing its content). The layout must be sound
// (CdLayoutProblem empty). Folders that cannot be read are drawn without content.
TCdListingResult DrawCdListing(TMetafile& target, const TCdListingOptions& options);
