#pragma once
// Context help: which help topic belongs to the long hint of a control.

#include <QString>
#include <QStringList>

// The topic for a long hint text; "Inhalt" when no hint text of the table matches (compared
// exactly, letter case included; the last match counts).
QString HelpTopicForHint(const QString& longHint);

// Every topic of the table, in its order (the help file has a section for each).
QStringList AllHelpTopics();
