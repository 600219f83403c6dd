#pragma once
// Where a program of the suite finds its bundled data and its user's settings: the same for
// the editor and the command-line tools.

#include <QString>

class QSettings;

// The folder of the bundled data (templates, cliparts, language file, catalogue, help) for the
// program's full path, with a trailing "/": the program's own folder when the catalogue lies
// there (the build folder), else the installed data folder relative to the program's folder, so
// that an installed tree can be moved. Without either, the program's folder.
QString DataDirFor(const QString& programPath);

// The catalogue's file name for the program's full path: the path with ".inf" appended, after
// cutting a trailing ".exe" of the file name.
QString CatalogueFileFor(const QString& programPath);

// The user's settings store ("Ostrum", "Folderkit", ini style).
QSettings* OpenRegistry();
