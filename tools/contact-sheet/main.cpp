// contact-sheet: renders every picture of a folder into one PNG grid, each with its file
// name, so a person sees at a glance what plays well.
//
//   contact-sheet FOLDER OUTPUT.png [--cell PX] [--columns N] [--recursive]
//
// Pictures that cannot be rendered get a red cell with the reason.

#include "platform/safefile.h"
#include "pngwrite.h"
#include "renderinput.h"

#include <QGuiApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPainter>
#include <cstdio>

namespace {

struct Options {
    QString folder, output;
    int cell = 200;
    int columns = 6;
    bool recursive = false;
};

void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& msg) {
    if (type == QtDebugMsg || type == QtInfoMsg || type == QtWarningMsg)
        return;
    std::fprintf(stderr, "%s\n", msg.toUtf8().constData());
}

int failure(const QString& message) {
    std::fprintf(stderr, "contact-sheet: %s\n", OneLine(message).toUtf8().constData());
    return 1;
}

QString parse(const QStringList& args, Options& o) {
    QStringList positional;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--cell") || a == QLatin1String("--columns")) {
            bool ok = false;
            const int v = i + 1 < args.size() ? args[++i].toInt(&ok) : 0;
            if (a == QLatin1String("--cell")) {
                if (!ok || v < 16 || v > 2000)
                    return QStringLiteral("--cell braucht eine Pixelzahl von 16 bis 2000.");
                o.cell = v;
            } else {
                if (!ok || v < 1 || v > 100)
                    return QStringLiteral("--columns braucht eine Zahl von 1 bis 100.");
                o.columns = v;
            }
        } else if (a == QLatin1String("--recursive")) {
            o.recursive = true;
        } else if (a.startsWith(QLatin1String("--"))) {
            return QStringLiteral("Unbekannte Option „%1“.").arg(a);
        } else {
            positional << a;
        }
    }
    if (positional.size() != 2)
        return QStringLiteral("Aufruf: contact-sheet ORDNER AUSGABE.png [--cell PX] "
                              "[--columns N] [--recursive]");
    o.folder = positional[0];
    o.output = positional[1];
    return {};
}

QStringList pictureFiles(const Options& o) {
    QStringList files;
    QDirIterator it(o.folder, QDir::Files,
                    o.recursive ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
    while (it.hasNext()) {
        const QString f = it.next();
        if (InputKindOf(f) != TInputKind::Unknown)
            files << f;
    }
    files.sort(Qt::CaseInsensitive);
    return files;
}

// The picture scaled into a square cell of `cell` pixels, or an error text.
QImage cellPicture(const QString& file, int cell, QString& error) {
    try {
        TRenderOptions options;
        options.width = cell;
        QImage img = RenderInput(file, options);
        if (img.height() > cell)
            img = img.scaled(cell, cell, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        return img;
    } catch (const TRenderError& e) {
        // the name stands below the cell; the reason alone fits in it
        error = e.message().replace(QDir::toNativeSeparators(file), QFileInfo(file).fileName());
    } catch (const std::exception& e) {
        error = QString::fromUtf8(e.what());
    }
    return {};
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietMessages);
    QGuiApplication app(argc, argv);
    Options o;
    const QString problem = parse(app.arguments().mid(1), o);
    if (!problem.isEmpty())
        return failure(problem);
    if (!QFileInfo(o.folder).isDir())
        return failure(QStringLiteral("Den Ordner „%1“ gibt es nicht.").arg(o.folder));
    const QStringList files = pictureFiles(o);
    if (files.isEmpty())
        return failure(QStringLiteral("Im Ordner „%1“ liegt kein Bild.").arg(o.folder));

    QFont labelFont(QStringLiteral("Arial"));
    labelFont.setPixelSize(11);
    const QFontMetrics fm(labelFont);
    const int pad = 6, label = fm.height() * 2 + 4;
    const int cw = o.cell + 2 * pad, ch = o.cell + 2 * pad + label;
    const int columns = std::min<int>(o.columns, int(files.size()));
    const int rows = int((files.size() + columns - 1) / columns);
    if (qint64(cw) * columns * ch * rows > 400'000'000)
        return failure(QStringLiteral("Das Blatt wäre zu groß; --cell oder --columns kleiner wählen."));
    QImage sheet(cw * columns, ch * rows, QImage::Format_RGB32);
    if (sheet.isNull())
        return failure(QStringLiteral("Nicht genug Speicher für das Blatt."));
    sheet.fill(QColor(220, 220, 220));
    QPainter p(&sheet);
    p.setFont(labelFont);
    int failed = 0;
    for (int i = 0; i < files.size(); ++i) {
        const QRect box((i % columns) * cw + pad, (i / columns) * ch + pad, o.cell, o.cell);
        QString error;
        const QImage img = cellPicture(files[i], o.cell, error);
        p.fillRect(box, Qt::white);
        if (!img.isNull()) {
            p.drawImage(box.x() + (o.cell - img.width()) / 2, box.y() + (o.cell - img.height()) / 2,
                        img);
        } else {
            ++failed;
            p.fillRect(box, QColor(255, 225, 225));
            p.setPen(Qt::darkRed);
            p.drawText(box.adjusted(4, 4, -4, -4), Qt::TextWordWrap | Qt::AlignCenter, error);
        }
        p.setPen(QColor(150, 150, 150));
        p.drawRect(box.adjusted(0, 0, -1, -1));
        p.setPen(Qt::black);
        const QString name = QDir(QFileInfo(o.folder).absoluteFilePath())
                                 .relativeFilePath(QFileInfo(files[i]).absoluteFilePath());
        const QRect labelBox(box.x(), box.bottom() + 3, o.cell, label);
        const QString text = fm.elidedText(name, Qt::ElideMiddle, o.cell * 2 - 8);
        p.drawText(labelBox, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWrapAnywhere, text);
    }
    p.end();
    TSafeFile out(o.output);
    // The tools' own PNG writer: Qt's leaves libpng's raw "Write Error" line on stderr.
    if (!out.open() || !WritePngFast(sheet, out) || !out.commit())
        return failure(out.ErrorMessage());
    std::printf("%lld Bilder, %d nicht darstellbar: %s\n", static_cast<long long>(files.size()),
                failed, o.output.toUtf8().constData());
    return 0;
}
