#pragma once
// Pages of a finished PDF that show what another page holds beneath their own drawing: a
// merged print draws the elements every cell has in common once, on a page of its own, and
// each full sheet then shows that page's contents, wrapped so that its graphics state does
// not reach the sheet's own drawing, and then its own. Added as an incremental update at the
// end of the file, so what was written stays byte for byte.

#include <QByteArray>
#include <QString>
#include <vector>

// base[i]: the page (from 0, in the file's page order) whose contents page i shows beneath its
// own, or -1. The base pages themselves stay in the page tree. Returns false with a German
// reason in *error when the file cannot be read as a PDF of that structure, when the two
// pages' resources name different things alike, or when the update does not read back as
// written; the PDF is then unchanged.
bool ShareBaseContents(QByteArray& pdf, const std::vector<int>& base, QString* error);
