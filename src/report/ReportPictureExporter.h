#pragma once

// Who draws a report's pictures (ReportPictureNames.h) for a caller without
// a window: the automatic chain asks for them step by step, as its results
// come. The program's exporter draws the charts off-screen (ReportPictures.h);
// tests may stand in with their own.

#include <QString>
#include <QStringList>

class Podatki;
struct ResponseSet;

class ReportPictureExporter {
public:
    virtual ~ReportPictureExporter() = default;
    // The four signal and the four histogram pictures of the processed
    // signals over samples start..end. Returns the files written.
    virtual QStringList Signals(Podatki& store, int start, int end, const QString& folder) = 0;
    // The model chart of the inner (or outer) model. Returns the file.
    virtual QString Model(const Podatki& store, bool outer, const QString& folder) = 0;
    // The response chart; an empty chart when there are no responses.
    virtual QString Responses(const ResponseSet* responses, const QString& folder) = 0;
};
