#pragma once
// Plays a metafile's records onto a QPainter, stretched into a destination rectangle.

#include "tmetafile.h"

#include <QMap>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>

class QPainter;

// What a playback met; filled when the caller asks for it.
struct TMetafilePlayStats {
    int records = 0;
    QMap<QString, int> unsupported; // record name -> how often it was skipped
    QString problem;                // why playback stopped early, empty when it did not
};

struct TMetafilePlayOptions {
    // Called with one line per drawing call (for tests and diagnostics).
    std::function<void(const QString&)> trace;
    TMetafilePlayStats* stats = nullptr;
};

class TMetafilePlayer {
public:
    static void Play(const TMetafile& mf, QPainter& painter, const QRectF& dest,
                     const TMetafilePlayOptions& options = {});
};
