#pragma once
// Paths and settings store of the run, derived from where the program lies.

#include <QString>

class QSettings;

// The folder of the bundled data (templates, cliparts, language file, catalogue, help) for the
// program's full path, with a trailing "/": the program's own folder when the catalogue lies
// there (the build folder), else the installed data folder relative to the program's folder, so
// that an installed tree can be moved. Without either, the program's folder.
QString DataDirFor(const QString& programPath);

// Sets TemplateDir, ClipartDir and CatalogueFile for the program's full path and returns its
// data folder (DataDirFor).
QString InitProgramPaths(const QString& programPath);

// The user's settings store ("Ostrum", "Folderkit", ini style).
QSettings* OpenRegistry();

// Installs Qt's own German texts (standard buttons, file, colour, font and print dialogs),
// whatever the system's language is. Returns whether they were found.
bool InstallQtGermanTexts();
