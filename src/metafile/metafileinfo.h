#pragma once
// What a metafile holds, for diagnostics (quillmark-render --info and the like).

#include "tmetafile.h"

#include <QMap>
#include <QString>

struct TMetafileInfo {
    QString form;                   // "EMF", "WMF", "WMF (platzierbar)", "EMF in WMF", ...
    int mmWidth = 0;                // frame, 0.01 mm
    int mmHeight = 0;
    int width = 0;                  // pixels at the 96-dpi reference
    int height = 0;
    int records = 0;                // records read
    QMap<QString, int> recordCounts; // record name -> count
    QMap<QString, int> unsupported;  // what playback skipped -> count
    QString problem;                // why the bytes are unusable or reading stopped early

    // Several lines of "key: value" text.
    QString ToText() const;
};

TMetafileInfo AnalyseMetafile(const TMetafile& mf);
