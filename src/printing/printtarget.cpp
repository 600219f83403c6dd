#include "printing/printtarget.h"

#include <QLocale>
#include <cups/cups.h>
#include <memory>

TPrintTarget PdfA4Target(const QString& pdfFile, bool landscape, int dpi) {
    TPrintTarget target;
    target.PdfFile = pdfFile;
    target.Layout = QPageLayout(QPageSize(QPageSize::A4),
                                landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                QMarginsF(0, 0, 0, 0));
    target.Resolution = dpi;
    return target;
}

std::optional<TPrintTarget> SystemPrinterTarget(const QString& name, bool landscape,
                                                QString* error) {
    // "queue/instance" names an instance of a queue, as lpoptions keeps them.
    const QByteArray queue = name.section(QLatin1Char('/'), 0, 0).toUtf8();
    const QByteArray instance = name.section(QLatin1Char('/'), 1).toUtf8();
    const std::unique_ptr<cups_dest_t, void (*)(cups_dest_t*)> dest(
        cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.constData(),
                         instance.isEmpty() ? nullptr : instance.constData()),
        [](cups_dest_t* d) { cupsFreeDests(1, d); });
    if (name.isEmpty() || !dest) {
        if (error)
            *error = QStringLiteral("Den Drucker „%1“ gibt es nicht.").arg(name);
        return std::nullopt;
    }
    const auto orientation = landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
    TPrintTarget target;
    target.PrinterName = name;
    target.Layout = QPageLayout(QPageSize(QPageSize::A4), orientation, QMarginsF(0, 0, 0, 0));
    // The paper of the user's region (A4, or Letter where inches rule) when the printer has it,
    // as Qt's printer set-up takes it, else the printer's default paper; with the border the
    // printer cannot print on, in 1/100 mm.
    cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest.get());
    const char* regional = QLocale::system().measurementSystem() == QLocale::ImperialUSSystem
                               ? "na_letter_8.5x11in"
                               : "iso_a4_210x297mm";
    cups_size_t size{};
    const bool found =
        info && (cupsGetDestMediaByName(CUPS_HTTP_DEFAULT, dest.get(), info, regional, 0, &size) ||
                 cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, dest.get(), info, 0, &size));
    if (found && size.width > 0 && size.length > 0) {
        const QPageSize paper(QSizeF(size.width / 100.0, size.length / 100.0),
                              QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
        const QMarginsF border(size.left / 100.0, size.top / 100.0, size.right / 100.0,
                               size.bottom / 100.0);
        target.Layout = QPageLayout(paper, QPageLayout::Portrait, border);
        // Margins are given for the upright paper; turned with it for landscape.
        target.Layout.setOrientation(orientation);
    }
    if (info)
        cupsFreeDestInfo(info);
    return target;
}
