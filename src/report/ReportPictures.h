#pragma once

// The ten chart pictures of a report (ReportPictureNames.h): PNG files in
// the report's folder, each chart drawn at the size it has on screen, at
// twice the pixel density so that it prints sharply.
//
// The pictures come from four charts: the large signal view's, the
// histogram view's, the model chart and the response chart. The main window
// hands over its own (the views' charts are filled for the pictures, as the
// views always were); without a window OffscreenReportCharts holds charts of
// the same kinds, filled from values.

#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>

#include "report/ReportPictureExporter.h"
#include "report/ReportPictureNames.h"

class HistogramChart;
class LargeSignalChart;
class ModelChart;
class Podatki;
class QChart;
class ResponseChart;
struct ResponseSet;

struct ReportChart {
    QChart* Chart = nullptr;
    QSize Size; // its size on screen
};

struct ReportPictureCharts {
    LargeSignalChart* Signal = nullptr;
    QSize SignalSize;
    HistogramChart* Histogram = nullptr;
    QSize HistogramSize;
    ReportChart Model;     // Chart_Model
    ReportChart Responses; // Chart1
};

// The model and response charts show this gradient in their pictures only.
inline constexpr unsigned ReportChartGradientStart = 0xFFFFFF;
inline constexpr unsigned ReportChartGradientEnd = 0xFFE8BF;

// Writes the ten pictures into `folder`, in this order:
// 1. the large signal view with a white background: MV, U, Y1 and Y2 over
//    the samples windowStart..windowEnd under their titles; then its
//    gradient 0xFFE8BF -> 0xFF9D3C again;
// 2. the histogram view with a white background: the 20-bin histograms of
//    the four signals over the same window (Histogram20 fills the store's
//    histogram arrays); then its end colour 0xFFB00D again (start white);
// 3. the model and the response chart as they are, with their gradient
//    shown for the picture and hidden again.
// Returns the files written. Throws FileError when a picture cannot be
// written; the backgrounds are put back all the same.
QStringList ExportReportPictures(const ReportPictureCharts& charts, Podatki& store, int windowStart,
                                 int windowEnd, const QString& folder);

// The parts of ExportReportPictures: steps 1 and 2 (eight files), and the
// model or the response chart of step 3. Each returns what it wrote.
QStringList ExportSignalPictures(const ReportPictureCharts& charts, Podatki& store, int windowStart,
                                 int windowEnd, const QString& folder);
QString ExportChartPicture(const ReportChart& chart, ReportPicture picture, const QString& folder);

// The four charts without a window (Qt's offscreen platform will do), at
// the sizes they have in the windows as they open.
class OffscreenReportCharts {
public:
    // Chart_Model and Chart1 in the main window at its initial size.
    static constexpr QSize ModelSize{822, 792};
    static constexpr QSize ResponsesSize{1258, 446};

    OffscreenReportCharts();
    ~OffscreenReportCharts();
    OffscreenReportCharts(const OffscreenReportCharts&) = delete;
    OffscreenReportCharts& operator=(const OffscreenReportCharts&) = delete;

    // The model page's curves: the measured response and the output of the
    // store's inner (or outer) model over the identification window.
    void ShowModel(const Podatki& store, bool outer);
    // The controller page's responses.
    void ShowResponses(const ResponseSet& responses);

    ReportPictureCharts Charts() const;

private:
    std::unique_ptr<LargeSignalChart> signal_;
    std::unique_ptr<HistogramChart> histogram_;
    std::unique_ptr<ModelChart> model_;
    std::unique_ptr<ResponseChart> responses_;
};

// The pictures of the automatic chain and of varkol-cli: drawn on charts of
// its own, never shown.
class OffscreenPictureExporter : public ReportPictureExporter {
public:
    QStringList Signals(Podatki& store, int start, int end, const QString& folder) override;
    QString Model(const Podatki& store, bool outer, const QString& folder) override;
    QString Responses(const ResponseSet* responses, const QString& folder) override;

private:
    OffscreenReportCharts charts_;
};
