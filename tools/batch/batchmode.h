#pragma once
// One task of quillmark-batch. A task file defines its options, says whether the command line
// asks for it, and runs it; it registers itself with a static RegisterBatchMode call.

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <vector>

struct BatchMode {
    int order = 0;                       // place of the task's options in --help
    QString usage;                       // lines for the "Aufruf" part of --help
    void (*addOptions)(QList<QCommandLineOption>&) = nullptr; // appends the task's options
    bool (*wanted)(const QCommandLineParser&) = nullptr; // the command line asks for this task
    int (*run)(const QCommandLineParser&) = nullptr;     // exit status; failures via BatchFailure
};

bool RegisterBatchMode(const BatchMode& mode);
// Appends an option unless another task declared one of its names already: tasks share -o.
void AddBatchOption(QList<QCommandLineOption>& options, const QCommandLineOption& option);
const std::vector<BatchMode>& BatchModes();

// Writes "quillmark-batch: MESSAGE" as one line on stderr and returns 1.
int BatchFailure(const QString& message);
// Writes one line, UTF-8, on stdout.
void BatchPrintLine(const QString& line);
