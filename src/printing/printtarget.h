#pragma once
// Where a print run's pages go: a PDF file, or a printer of the system (a CUPS queue) that
// gets the job as PDF, with the paper, resolution and options the user set up. The printing
// workspace takes it from its print dialog; the batch tool asks CUPS.

#include <QPageLayout>
#include <QString>
#include <QStringList>
#include <optional>

struct TPrintTarget {
    enum class Duplex { None, LongSide, ShortSide, Auto };

    QString PdfFile;     // the file written when no printer is named
    QString PrinterName; // a CUPS queue
    // Paper, orientation and printable area; in full-page mode the paper's corner is the
    // origin and nothing is unprintable.
    QPageLayout Layout;
    int Resolution = 1200; // device pixels per inch
    QString DocName;       // the job's title
    Duplex Sides = Duplex::None;
    QStringList CupsOptions; // name, value, name, value ... as the print dialog set them

    bool ToFile() const { return PrinterName.isEmpty(); }
};

// An A4 page without unprintable border for a PDF file, as when no printer is installed.
TPrintTarget PdfA4Target(const QString& pdfFile, bool landscape, int dpi = 1200);

// A printer of the system with the paper of the user's region (else its default paper) and
// its printable area; none, with a German
// reason in *error, when CUPS does not know the printer.
std::optional<TPrintTarget> SystemPrinterTarget(const QString& name, bool landscape,
                                                QString* error);
