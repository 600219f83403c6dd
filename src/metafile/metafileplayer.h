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

    // The most records one playback plays; 0 (the default) plays all of them. A program that
    // plays untrusted bytes by the thousand (a fuzz target) lowers it once at its start, as it
    // lowers the raster pixel cap, so that one input stays cheap. Playback that reaches it
    // stops as it does on too many points, and says so in the stats.
    static void SetMaxRecords(qint64 records);
    static qint64 MaxRecords();

    // Fonts from a small set: the family one of seven fixed ones chosen by the name, the
    // size one of six steps, normal or bold, without fallback to other fonts for missing
    // characters; text runs cut to 48 characters. Off by default. Qt loads fonts for each
    // new family, size and weight, for a script no font has it tries every installed font
    // (tens of milliseconds), and it shapes long texts slowly; a fuzz target, whose inputs
    // ask for all of these at random, turns this on at its start so that its time goes to
    // the player, not to Qt's font matching. The player's own text code runs the same
    // either way.
    static void SetFewFonts(bool few);
    static bool FewFonts();
};
