#pragma once
// Rendering of the program's inputs to images: documents (one side of the sheet on white
// paper), metafiles, path lists and raster pictures; what a file holds, as text lines;
// loading and saving a document unchanged.
//
// Every function throws TRenderError with a one-line German message that names the file
// when the input cannot be used.

#include <QImage>
#include <QString>
#include <QStringList>
#include <stdexcept>

class TRenderError : public std::runtime_error {
public:
    explicit TRenderError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

enum class TInputKind { Document, Metafile, PathList, Raster, Drawing, Unknown };

// By the file name's extension, any letter case.
TInputKind InputKindOf(const QString& fileName);

struct TRenderOptions {
    int width = 0;     // image width in pixels; 0: the input's own size times zoom
    int side = 0;      // side of a document: 0 front, 1 back
    double zoom = 1.0; // scale of the own size (a document's sheet at screen scale)
    bool acceptDamaged = false; // use what a damaged document still holds instead of refusing it
};

// Largest image rendered, per side and in all.
constexpr int kMaxRenderSide = 20000;
constexpr qint64 kMaxRenderPixels = 120'000'000;

QImage RenderInput(const QString& fileName, const TRenderOptions& options);
// The drawing calls of a picture's playback at the output size, one line each, in the
// output's pixels (documents are refused).
QStringList TraceInput(const QString& fileName, const TRenderOptions& options);
// "key: value" lines: form, frame, pixel size, record counts, unsupported records, problem;
// for a damaged document also what is damaged.
QStringList InputInfo(const QString& fileName);
// Loads the document and saves it under outName; a damaged one only when accepted.
void ResaveDocument(const QString& inName, const QString& outName, bool acceptDamaged = false);
// The exception's message made one line (for any exception type of the program).
QString OneLine(const QString& message);
