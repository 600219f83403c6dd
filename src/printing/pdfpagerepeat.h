#pragma once
// Repeats pages of a finished PDF without drawing them again: every copy of a sheet is a page
// object of its own that shares the first sheet's contents and resources. Added as an
// incremental update at the end of the file, so what was written stays byte for byte.

#include <QByteArray>
#include <QString>
#include <vector>

// repeats[i]: how many times page i (from 0, in the file's page order) follows itself.
// Returns false with a German reason in *error when the file cannot be read as a PDF of
// that structure; the file is then unchanged.
bool RepeatPdfPages(QByteArray& pdf, const std::vector<int>& repeats, QString* error);
bool RepeatPdfPagesInFile(const QString& fileName, const std::vector<int>& repeats,
                          QString* error);
// Puts the pages of a finished PDF into the given order (page numbers from 0, in the file's
// page order); a page named again becomes a copy sharing its contents, a page not named is
// left out. Same update and error rules as above.
bool ArrangePdfPages(QByteArray& pdf, const std::vector<int>& order, QString* error);
bool ArrangePdfPagesInFile(const QString& fileName, const std::vector<int>& order,
                           QString* error);
