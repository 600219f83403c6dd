// Reading address sources as quillmark-batch --list-records and the import of the settings
// page do: time and peak memory of files far larger than address books, against the budget of
// 10 times the file plus 200 MB. Each file is read in a child process of its own, so that its
// peak memory is its own (getrusage of the child):
//   - a 60 MB CSV file of commas under an address header (one empty field per comma),
//   - a 60 MB CSV file of one line of commas (a header row of 60 million empty columns),
//   - a vCard file of 100,000 contacts,
//   - a vCard file with one 50 MB line (the company, which lands in a field).
// Prints, per file: size, seconds, MB per second, records, peak MB, peak / size, and whether
// the peak stays within the budget.
//
//   bench_addressimport [folder for the files, default: a temporary one]
//
// 2026-12-10 on the 2-core machine, the import's sources built with -O2, the reading before and
// after the CSV rows were read one at a time, one after the other (seconds, peak MB):
//
//   file                                  before          after
//   csv, 60 MB of commas under a header   8.50   1659     0.93   185
//   csv, one line of 60 MB of commas     18.51   2105     0.87   185
//   vcard, 100,000 contacts (34.9 MB)     1.98    221     1.41   234
//   vcard, one 50 MB line (the company)      -      -     1.99   303
//
// The RelWithDebInfo build while other builds ran: 1.92 s / 185 MB, 1.86 / 184, 3.14 / 234,
// 2.57 / 303.
// Every peak is within 10 times the file plus 200 MB (800, 800, 549 and 700 MB).

#include "addresses/addressrecords.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr qint64 MB = 1024 * 1024;

// Writes the file in pieces, so that the bench itself stays small.
bool writeFile(const QString& name, const std::function<bool(QFile&)>& write) {
    QFile f(name);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && write(f);
}

bool commas(QFile& f, const QByteArray& header, qint64 total, bool lines) {
    if (f.write(header) != header.size())
        return false;
    // Lines of 1,000 commas, or one line.
    QByteArray line(1000, ',');
    if (lines)
        line += '\n';
    qint64 written = header.size();
    while (written < total) {
        if (f.write(line) != line.size())
            return false;
        written += line.size();
    }
    return true;
}

bool contacts(QFile& f, int count) {
    for (int i = 1; i <= count; ++i) {
        const QByteArray card =
            QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Nachname%1;Vorname%1;;Dr.;\r\n"
                           "FN:Vorname%1 Nachname%1\r\nORG:Firma %1 GmbH;Vertrieb\r\n"
                           "TITLE:Geschäftsführerin\r\n"
                           "ADR;TYPE=work:;Hinterhaus;Musterweg %1;Beispielstadt;;%2;\r\n"
                           "TEL;TYPE=work,voice:0123 %3\r\nTEL;TYPE=cell:0170 %4\r\n"
                           "EMAIL;TYPE=work:person%1@firma.example\r\n"
                           "URL:https://www.firma%1.example\r\nEND:VCARD\r\n")
                .arg(i)
                .arg(10000 + i % 90000)
                .arg(400000 + i)
                .arg(1000000 + i)
                .toUtf8();
        if (f.write(card) != card.size())
            return false;
    }
    return true;
}

bool longLine(QFile& f, qint64 length) {
    QByteArray head("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna Berg\r\nORG:");
    if (f.write(head) != head.size())
        return false;
    const QByteArray chunk(MB, 'x');
    for (qint64 n = 0; n < length; n += chunk.size())
        if (f.write(chunk) != chunk.size())
            return false;
    const QByteArray tail("\r\nEMAIL:anna@berg.example\r\nEND:VCARD\r\n");
    return f.write(tail) == tail.size();
}

struct Outcome {
    bool ok = false;
    double seconds = 0;
    qint64 peakKB = 0;
    long records = -1; // -1: refused
};

// Reads the file in a child process and measures it there.
Outcome measure(const QString& file) {
    Outcome o;
    int channel[2];
    if (pipe(channel) != 0)
        return o;
    QElapsedTimer timer;
    timer.start();
    const pid_t child = fork();
    if (child < 0)
        return o;
    if (child == 0) {
        close(channel[0]);
        long records = -1;
        try {
            records = long(ReadAddressSource(file).Records.size());
        } catch (const TAddressError&) {
        }
        const ssize_t n = write(channel[1], &records, sizeof records);
        _exit(n == sizeof records ? 0 : 1);
    }
    close(channel[1]);
    long records = -2;
    const ssize_t n = read(channel[0], &records, sizeof records);
    close(channel[0]);
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child)
        return o;
    o.seconds = timer.nsecsElapsed() / 1e9;
    o.ok = n == sizeof records && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    o.peakKB = usage.ru_maxrss;
    o.records = records;
    return o;
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir temp;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temp.path();
    struct Case {
        const char* name;
        QString file;
        std::function<bool(QFile&)> write;
    };
    const QList<Case> cases = {
        {"csv, 60 MB of commas under a header", folder + "/kommas.csv",
         [](QFile& f) { return commas(f, "Vorname,Name,Ort\n", 60 * MB, true); }},
        {"csv, one line of 60 MB of commas", folder + "/nur-kommas.csv",
         [](QFile& f) { return commas(f, QByteArray(), 60 * MB, false); }},
        {"vcard, 100,000 contacts", folder + "/kontakte.vcf",
         [](QFile& f) { return contacts(f, 100000); }},
        {"vcard, one 50 MB line", folder + "/lange-zeile.vcf",
         [](QFile& f) { return longLine(f, 50 * MB); }},
    };
    std::printf("%-38s %8s %8s %8s %9s %8s %10s %8s %s\n", "file", "MB", "s", "MB/s", "records",
                "peak MB", "peak/size", "budget", "");
    int failures = 0;
    for (const Case& c : cases) {
        if (!writeFile(c.file, c.write)) {
            std::printf("%-38s cannot be written\n", c.name);
            ++failures;
            continue;
        }
        const double size = double(QFile(c.file).size()) / MB;
        const Outcome o = measure(c.file);
        QFile::remove(c.file);
        if (!o.ok) {
            std::printf("%-38s the reading process failed\n", c.name);
            ++failures;
            continue;
        }
        const double peak = o.peakKB / 1024.0;
        const double budget = 10 * size + 200;
        const bool within = peak <= budget;
        failures += within ? 0 : 1;
        std::printf("%-38s %8.1f %8.2f %8.1f %9s %8.0f %10.2f %8.0f %s\n", c.name, size, o.seconds,
                    size / o.seconds,
                    o.records < 0 ? "refused" : qPrintable(QString::number(o.records)), peak,
                    peak / size, budget, within ? "within" : "OVER");
    }
    return failures == 0 ? 0 : 1;
}
