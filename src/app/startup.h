#pragma once
// Paths and settings store of the run, derived from where the program lies.

#include "platform/programdata.h"

#include <QString>

class QSettings;

// Sets TemplateDir, ClipartDir and CatalogueFile for the program's full path and returns its
// data folder (DataDirFor).
QString InitProgramPaths(const QString& programPath);

// Installs Qt's own German texts (standard buttons, file, colour, font and print dialogs),
// whatever the system's language is. Returns whether they were found.
bool InstallQtGermanTexts();
