#pragma once
// The pages of a print run for a print target: a PDF file chosen by the user, or a printer of
// the system. A job for a file is written beside it without a name and replaces it only once it
// ran to its end with every byte written; a job for a printer is kept in memory and handed
// to the printer whole. So an aborted or failed job leaves nothing half printed and a file
// from before intact, byte for byte.

#include "printing/printrun.h"
#include "printing/printtarget.h"
#include <QPainter>
#include <QString>
#include <memory>
#include <vector>

class QBuffer;
class QPdfWriter;
class TSafeFile;

class TPrinterOutput : public TPrintOutput {
public:
    // Where the back side's pages go: a job (file) of their own, after all front pages, or
    // each back page right after its front page (front, back, front, ...) for duplex printing.
    enum class BackPages { Separate, After, Interleaved };

    // target: as the user set it up (name, page layout, resolution, or PDF output file).
    explicit TPrinterOutput(const TPrintTarget& target, BackPages back = BackPages::Separate);
    ~TPrinterOutput() override;

    QPainter* BeginJob(int side) override;
    bool NewPage() override;
    bool RepeatLastPage() override;
    bool BeginCommonPage() override;
    void UseCommonPage() override;
    int SideLostBySharing() const override { return m_lostSide; }
    bool EndJob(int side, bool aborted) override;
    bool Finish(bool aborted) override;
    void Abort() override;

    // The files written so far (PDF output) or the jobs handed to the printer (their titles).
    QStringList Written() const { return m_written; }
    // Back side files of an earlier run under the same name, removed because this run wrote
    // the front without a back side.
    QStringList Removed() const { return m_removed; }
    // The name of a printer for messages: the queue, or the PDF file.
    QString PrinterName() const;

private:
    bool toFile() const;
    QString targetOf(int side) const;
    bool closeJob(bool aborted);
    bool finishPages(QByteArray& pdf, bool& changed);
    bool submit(const QByteArray& pdf);
    bool outputFailed();

    TPrintTarget m_target;
    BackPages m_back;
    std::unique_ptr<TSafeFile> m_file;  // the job for a file, until it replaces the file
    std::unique_ptr<QBuffer> m_memory;  // the job for a printer
    std::unique_ptr<QPdfWriter> m_job;  // writing the PDF into one of them
    QPainter m_painter;
    int m_jobSide = -1;
    std::vector<int> m_pageRepeats; // per page of the job: copies that follow it unchanged
    // Per page of the job: the common page it shows beneath its own drawing, -1 none, or
    // CommonPage for a common page itself, which is not printed.
    static constexpr int CommonPage = -2;
    std::vector<int> m_base;
    int m_commonPage = -1; // the job's latest common page
    int m_firstSide = -1;  // the side the job began with
    int m_lostSide = -1;
    int m_frontPages = -1;          // pages of the job before the back side began
    QStringList m_written;
    QStringList m_removed;
};

// "karte.pdf" -> "karte-Rueckseite.pdf": where the back side of a PDF print goes.
QString BackSideFileName(const QString& frontFile);
