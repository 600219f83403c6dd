#pragma once
// Paths and settings store of the run, derived from where the program lies.

#include <QString>

class QSettings;

// Sets TemplateDir, ClipartDir and CatalogueFile for the program's full path and returns the
// program's directory with a trailing "/".
QString InitProgramPaths(const QString& programPath);

// The user's settings store ("Ostrum", "Folderkit", ini style).
QSettings* OpenRegistry();

// Installs Qt's own German texts (standard buttons, file, colour, font and print dialogs),
// whatever the system's language is. Returns whether they were found.
bool InstallQtGermanTexts();
