#include "report/ReportPictures.h"

#include "data/ChartPicture.h"
#include "data/ChartStyle.h"
#include "data/Podatki.h"
#include "data/ProcessedSignals.h"
#include "data/Unit_Hystogram.h"
#include "data/Unit_Obdelava_Large.h"
#include "model/ModelChart.h"
#include "report/ReportPictureNames.h"
#include "tuning/ResponseChart.h"

#include <QBrush>

namespace {

constexpr ReportPicture SignalPictures[] = {ReportPicture::SignalMV, ReportPicture::SignalU,
                                            ReportPicture::SignalY1, ReportPicture::SignalY2};
constexpr ReportPicture HistogramPictures[] = {
    ReportPicture::HistogramMV, ReportPicture::HistogramU, ReportPicture::HistogramY1,
    ReportPicture::HistogramY2};

// Runs `restore` when it goes out of scope, whether the export got through
// or not.
template <typename Restore> class Restorer {
public:
    explicit Restorer(Restore restore) : restore_(std::move(restore)) {}
    ~Restorer() { restore_(); }
    Restorer(const Restorer&) = delete;
    Restorer& operator=(const Restorer&) = delete;

private:
    Restore restore_;
};

// The chart with its gradient shown for the picture, its own background again after.
void SaveWithGradient(const ReportChart& chart, const QString& fileName)
{
    const QBrush background = chart.Chart->backgroundBrush();
    Restorer restore([&] { chart.Chart->setBackgroundBrush(background); });
    SetBackgroundGradient(chart.Chart, BgrColor(ReportChartGradientStart),
                          BgrColor(ReportChartGradientEnd));
    SaveChartPicture(chart.Chart, chart.Size, fileName);
}

} // namespace

namespace {

QString FolderBase(const QString& folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

} // namespace

QStringList ExportSignalPictures(const ReportPictureCharts& charts, Podatki& store, int windowStart,
                                 int windowEnd, const QString& folder)
{
    const QString base = FolderBase(folder);
    QStringList written;
    auto save = [&](QChart* chart, const QSize& size, ReportPicture picture) {
        const QString fileName = base + ReportPictureFile(picture);
        SaveChartPicture(chart, size, fileName);
        written << fileName;
    };
    const QColor white(Qt::white);

    // 1. The large signal view.
    {
        charts.Signal->SetGradient(white, white);
        Restorer restore([&] { charts.Signal->RestoreGradient(); });
        for (std::size_t i = 0; i < std::size(SignalPictures); ++i) {
            charts.Signal->ShowSignal(store, AllProcessedSignals[i], windowStart, windowEnd);
            save(charts.Signal, charts.SignalSize, SignalPictures[i]);
        }
    }
    // 2. The histogram view.
    {
        charts.Histogram->SetGradient(white, white);
        Restorer restore([&] { charts.Histogram->RestoreGradient(); });
        for (std::size_t i = 0; i < std::size(HistogramPictures); ++i) {
            charts.Histogram->ShowSignalHistogram(store, AllProcessedSignals[i], windowStart,
                                                  windowEnd);
            save(charts.Histogram, charts.HistogramSize, HistogramPictures[i]);
        }
    }
    return written;
}

QString ExportChartPicture(const ReportChart& chart, ReportPicture picture, const QString& folder)
{
    const QString fileName = FolderBase(folder) + ReportPictureFile(picture);
    SaveWithGradient(chart, fileName);
    return fileName;
}

QStringList ExportReportPictures(const ReportPictureCharts& charts, Podatki& store, int windowStart,
                                 int windowEnd, const QString& folder)
{
    QStringList written = ExportSignalPictures(charts, store, windowStart, windowEnd, folder);
    // 3. The model and the response chart.
    written << ExportChartPicture(charts.Model, ReportPicture::Model, folder);
    written << ExportChartPicture(charts.Responses, ReportPicture::Responses, folder);
    return written;
}

OffscreenReportCharts::OffscreenReportCharts()
    : signal_(std::make_unique<LargeSignalChart>()), histogram_(std::make_unique<HistogramChart>()),
      model_(std::make_unique<ModelChart>()), responses_(std::make_unique<ResponseChart>())
{
}

OffscreenReportCharts::~OffscreenReportCharts() = default;

void OffscreenReportCharts::ShowModel(const Podatki& store, bool outer)
{
    model_->Plot(store.IdentTime.data(),
                 outer ? store.MeasuredOuter.data() : store.MeasuredInner.data(),
                 outer ? store.ModelOutputOuter.data() : store.ModelOutputInner.data(),
                 store.IdentSampleCount);
}

void OffscreenReportCharts::ShowResponses(const ResponseSet& responses)
{
    responses_->Plot(responses);
}

ReportPictureCharts OffscreenReportCharts::Charts() const
{
    ReportPictureCharts charts;
    charts.Signal = signal_.get();
    charts.SignalSize = QSize(LargeSignalChart::Width, LargeSignalChart::Height);
    charts.Histogram = histogram_.get();
    charts.HistogramSize = QSize(HistogramChart::Width, HistogramChart::Height);
    charts.Model = {model_.get(), ModelSize};
    charts.Responses = {responses_.get(), ResponsesSize};
    return charts;
}

QStringList OffscreenPictureExporter::Signals(Podatki& store, int start, int end,
                                              const QString& folder)
{
    return ExportSignalPictures(charts_.Charts(), store, start, end, folder);
}

QString OffscreenPictureExporter::Model(const Podatki& store, bool outer, const QString& folder)
{
    charts_.ShowModel(store, outer);
    return ExportChartPicture(charts_.Charts().Model, ReportPicture::Model, folder);
}

QString OffscreenPictureExporter::Responses(const ResponseSet* responses, const QString& folder)
{
    if (responses)
        charts_.ShowResponses(*responses);
    return ExportChartPicture(charts_.Charts().Responses, ReportPicture::Responses, folder);
}
