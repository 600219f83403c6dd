#pragma once
// Repeats pages of a finished PDF without drawing them again: every copy of a sheet is a page
// object of its own that shares the first sheet's contents and resources. Added as an
// incremental update at the end of the file, so what was written stays byte for byte.

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

// repeats[i]: how many times page i (from 0, in the file's page order) follows itself.
// Returns false with a German reason in *error when the file cannot be read as a PDF of
// that structure; the file is then unchanged.
bool RepeatPdfPages(QByteArray& pdf, const std::vector<int>& repeats, QString* error);
// Puts the pages of a finished PDF into the given order (page numbers from 0, in the file's
// page order); a page named again becomes a copy sharing its contents, a page not named is
// left out. Same update and error rules as above.
bool ArrangePdfPages(QByteArray& pdf, const std::vector<int>& order, QString* error);

// Reads a PDF file, lets edit change its bytes (false with a German reason in its error
// argument when it cannot) and replaces the file with the result in one step. Returns false
// with a German reason in *error when reading, editing or writing fails; the file is then
// unchanged.
bool EditPdfFile(const QString& fileName,
                 const std::function<bool(QByteArray& pdf, QString* error)>& edit,
                 QString* error);
