#include "printing/printeroutput.h"

#include "printing/pdfpagerepeat.h"
#include "printing/pdfsharedcontent.h"
#include "platform/safefile.h"

#include <QBuffer>
#include <QPdfWriter>
#include <QProcess>
#include <algorithm>

namespace {

QString quoted(const QString& s) {
    return QStringLiteral("„%1“").arg(s);
}

} // namespace

QString BackSideFileName(const QString& frontFile) {
    if (frontFile.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        return frontFile.left(frontFile.size() - 4) + QStringLiteral("-Rueckseite") +
               frontFile.right(4);
    return frontFile + QStringLiteral("-Rueckseite");
}

TPrinterOutput::TPrinterOutput(const TPrintTarget& target, BackPages back)
    : m_target(target), m_back(back) {}

TPrinterOutput::~TPrinterOutput() {
    if (m_painter.isActive())
        closeJob(true);
}

bool TPrinterOutput::toFile() const {
    return m_target.ToFile();
}

QString TPrinterOutput::PrinterName() const {
    return toFile() ? m_target.PdfFile : m_target.PrinterName;
}

QString TPrinterOutput::targetOf(int side) const {
    const QString front = m_target.PdfFile;
    return side == 1 && m_back == BackPages::Separate ? BackSideFileName(front) : front;
}

QPainter* TPrinterOutput::BeginJob(int side) {
    if (m_painter.isActive() && m_back != BackPages::Separate) {
        // The back side follows the front pages in the same job.
        m_frontPages = int(m_pageRepeats.size());
        m_commonPage = -1;
        if (!NewPage())
            return nullptr;
        m_jobSide = side;
        return &m_painter;
    }
    if (toFile() && m_target.PdfFile.isEmpty()) {
        m_error = QStringLiteral("Für die PDF-Ausgabe ist keine Datei gewählt.");
        return nullptr;
    }
    QIODevice* device = nullptr;
    if (toFile()) {
        m_file = std::make_unique<TSafeFile>(targetOf(side));
        if (!m_file->open()) {
            m_error = m_file->ErrorMessage();
            m_file.reset();
            return nullptr;
        }
        device = m_file.get();
    } else {
        m_memory = std::make_unique<QBuffer>();
        m_memory->open(QIODevice::WriteOnly);
        device = m_memory.get();
    }
    // Qt's PDF writer on a device of ours: its write errors are not lost on the way.
    m_job = std::make_unique<QPdfWriter>(device);
    m_job->setResolution(m_target.Resolution);
    QPageLayout layout = m_target.Layout;
    if (layout.mode() == QPageLayout::FullPageMode) {
        // Painted from the paper's corner, as the printer does with full-page output.
        layout.setMode(QPageLayout::FullPageMode);
        layout.setMargins(QMarginsF(0, 0, 0, 0));
    }
    m_job->setPageLayout(layout);
    m_job->setTitle(m_target.DocName);
    m_job->setCreator(QStringLiteral("Quillmark"));
    if (!m_painter.begin(m_job.get())) {
        m_job.reset();
        const bool failed = outputFailed();
        m_file.reset();
        m_memory.reset();
        if (!failed)
            m_error = QStringLiteral("Der Drucker %1 kann keinen Druckauftrag beginnen.")
                          .arg(quoted(PrinterName()));
        return nullptr;
    }
    m_jobSide = side;
    m_firstSide = side;
    m_lostSide = -1;
    m_pageRepeats.assign(1, 0);
    m_base.assign(1, -1);
    m_commonPage = -1;
    m_frontPages = -1;
    return &m_painter;
}

bool TPrinterOutput::outputFailed() {
    if (!m_file || m_file->Reason().isEmpty())
        return false;
    m_error = m_file->ErrorMessage();
    return true;
}

bool TPrinterOutput::NewPage() {
    // A file that cannot take more (a full disk) ends the run at once.
    if (outputFailed())
        return false;
    if (!m_job || !m_job->newPage()) {
        m_error = QStringLiteral("Der Drucker %1 kann keine neue Seite beginnen.")
                      .arg(quoted(PrinterName()));
        return false;
    }
    m_pageRepeats.push_back(0);
    m_base.push_back(-1);
    return true;
}

bool TPrinterOutput::BeginCommonPage() {
    // The common page is drawn like any page; when the job is closed, the sheets that use it
    // get its contents beneath their own and the page itself leaves the file's page list.
    if (!m_job || m_base.empty())
        return false;
    m_base.back() = CommonPage;
    m_commonPage = int(m_base.size()) - 1;
    return true;
}

void TPrinterOutput::UseCommonPage() {
    if (m_commonPage >= 0 && !m_base.empty() && m_base.back() != CommonPage)
        m_base.back() = m_commonPage;
}

bool TPrinterOutput::RepeatLastPage() {
    // The copies are added to the finished PDF, sharing the page's contents: fonts, pictures
    // and paths are in the file once however many copies are printed.
    if (!m_job || m_pageRepeats.empty())
        return false;
    ++m_pageRepeats.back();
    return true;
}

bool TPrinterOutput::EndJob(int side, bool aborted) {
    // With the back pages after the front ones, the job stays open for them.
    if (side == 0 && m_back != BackPages::Separate && !aborted)
        return true;
    return closeJob(aborted);
}

bool TPrinterOutput::Finish(bool aborted) {
    const bool ok = m_painter.isActive() ? closeJob(aborted) : true;
    // A front written without its back side must not stand beside the back of an earlier
    // run under the same name: that back file belongs to another print and goes.
    if (ok && !aborted && toFile() && m_back == BackPages::Separate) {
        const QString front = targetOf(0), back = targetOf(1);
        const QFileInfo old(back);
        if (m_written.contains(front) && !m_written.contains(back) && old.isFile() &&
            !old.isSymLink() && QFile::remove(back))
            m_removed << back;
    }
    return ok;
}

void TPrinterOutput::Abort() {
    // Nothing has left the program yet: the job is discarded when it is closed.
}

bool TPrinterOutput::closeJob(bool aborted) {
    if (!m_painter.isActive())
        return true;
    const bool ended = m_painter.end();
    m_job.reset(); // writes the PDF's last parts
    std::unique_ptr<TSafeFile> file = std::move(m_file);
    std::unique_ptr<QBuffer> memory = std::move(m_memory);
    if (aborted)
        return true; // the unfinished file goes with its device
    if (file && !file->Reason().isEmpty()) {
        m_error = file->ErrorMessage();
        return false;
    }
    if (!ended) {
        m_error = toFile() ? QStringLiteral("Die Datei %1 konnte nicht fertig geschrieben werden.")
                                 .arg(quoted(targetOf(m_jobSide)))
                           : QStringLiteral("Der Druckauftrag für %1 konnte nicht abgeschlossen "
                                            "werden.")
                                 .arg(quoted(PrinterName()));
        return false;
    }
    QByteArray pdf = file ? file->ReadBack() : memory->data();
    if (file && !file->Reason().isEmpty()) {
        m_error = file->ErrorMessage();
        return false;
    }
    bool changed = false;
    if (!finishPages(pdf, changed))
        return false;
    if (!file)
        return submit(pdf);
    if ((changed && !file->Rewrite(pdf)) || !file->commit()) {
        m_error = file->ErrorMessage();
        return false;
    }
    m_written << file->fileName();
    return true;
}

bool TPrinterOutput::finishPages(QByteArray& pdf, bool& changed) {
    // The pages as printed, every copy of a page in its own place; common pages are left out.
    std::vector<int> front, back;
    bool common = false;
    for (size_t i = 0; i < m_pageRepeats.size(); ++i) {
        common = common || m_base[i] == CommonPage;
        if (m_base[i] == CommonPage)
            continue;
        // With the back pages in the same job, they follow the front pages.
        std::vector<int>& part = m_frontPages >= 0 && int(i) >= m_frontPages ? back : front;
        part.insert(part.end(), size_t(1 + m_pageRepeats[i]), int(i));
    }
    std::vector<int> order;
    if (m_back == BackPages::Interleaved) {
        // Each back page goes right after its front page.
        for (size_t i = 0; i < std::max(front.size(), back.size()); ++i) {
            if (i < front.size())
                order.push_back(front[i]);
            if (i < back.size())
                order.push_back(back[i]);
        }
    } else {
        order = front;
        order.insert(order.end(), back.begin(), back.end());
    }
    bool inOrder = order.size() == m_pageRepeats.size();
    for (size_t i = 0; inOrder && i < order.size(); ++i)
        inOrder = order[i] == int(i);
    changed = false;
    if (inOrder)
        return true;
    enum { None, Sharing, Arranging } failed = None;
    QString why;
    if (common && !ShareBaseContents(pdf, m_base, &why))
        failed = Sharing;
    else if (!ArrangePdfPages(pdf, order, &why))
        failed = Arranging;
    if (failed == None) {
        changed = true;
        return true;
    }
    if (failed == Sharing) {
        // The sheets lack what the common page holds: the run prints them again, whole.
        m_lostSide = m_firstSide;
        m_error = QStringLiteral("Die gemeinsamen Inhalte für %1 konnten nicht eingefügt "
                                 "werden: %2")
                      .arg(quoted(PrinterName()), why);
        return false;
    }
    if (failed == Arranging)
        m_lostSide = common ? m_firstSide : -1;
    m_error = QStringLiteral("Die Seiten für %1 konnten nicht angeordnet werden: %2")
                  .arg(quoted(PrinterName()), why);
    return false;
}

bool TPrinterOutput::submit(const QByteArray& pdf) {
    // Hands the finished job to CUPS with the options Qt's own CUPS printing would give.
    const QString name = m_target.PrinterName.section(QLatin1Char('/'), 0, 0);
    QString title = m_target.DocName;
    if (title.isEmpty())
        title = QStringLiteral("Quillmark");
    // A job of its own for the back side says so; a job with both sides is the document's.
    if (m_jobSide == 1 && m_back == BackPages::Separate)
        title += QStringLiteral(" (Rückseite)");
    QStringList args = {QStringLiteral("-d"), name,
                        QStringLiteral("-t"), title,
                        QStringLiteral("-n"), QStringLiteral("1")};
    const QPageLayout& layout = m_target.Layout;
    args << QStringLiteral("-o") << QStringLiteral("media=") + layout.pageSize().key();
    switch (m_target.Sides) {
    case TPrintTarget::Duplex::None:
        args << QStringLiteral("-o") << QStringLiteral("sides=one-sided");
        break;
    case TPrintTarget::Duplex::LongSide:
        args << QStringLiteral("-o") << QStringLiteral("sides=two-sided-long-edge");
        break;
    case TPrintTarget::Duplex::ShortSide:
        args << QStringLiteral("-o") << QStringLiteral("sides=two-sided-short-edge");
        break;
    case TPrintTarget::Duplex::Auto:
        args << QStringLiteral("-o")
             << (layout.orientation() == QPageLayout::Portrait
                     ? QStringLiteral("sides=two-sided-long-edge")
                     : QStringLiteral("sides=two-sided-short-edge"));
        break;
    }
    if (layout.orientation() == QPageLayout::Landscape)
        args << QStringLiteral("-o") << QStringLiteral("landscape");
    const QStringList& cups = m_target.CupsOptions;
    for (int i = 0; i + 1 < cups.size(); i += 2)
        args << QStringLiteral("-o") << cups[i] + QLatin1Char('=') + cups[i + 1];
    // The job goes to lp's standard input: no file of it is left on the disk, whatever ends
    // the program.
    QProcess lp;
    lp.start(QStringLiteral("lp"), args);
    const bool started = lp.waitForStarted(10000);
    if (started) {
        lp.write(pdf);
        lp.closeWriteChannel();
    }
    const bool finished = started && lp.waitForFinished(60000);
    if (!finished || lp.exitStatus() != QProcess::NormalExit || lp.exitCode() != 0) {
        QString why = QString::fromLocal8Bit(lp.readAllStandardError()).trimmed();
        if (!started)
            why = QStringLiteral("das Druckprogramm „lp“ fehlt");
        m_error = QStringLiteral("Der Drucker %1 hat den Druckauftrag nicht angenommen%2")
                      .arg(quoted(PrinterName()),
                           why.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + why);
        return false;
    }
    m_written << title;
    return true;
}
