// Drawing four charts of 5000 samples each, as the processing page does,
// offscreen: filling the series (thinned for display or whole) and painting
// the views; and the processing page of the real main window redrawn by
// "Uporabi filter in omejitve".

#include "app/Glavna.h"
#include "data/ChartSeries.h"
#include "data/Podatki.h"
#include "opc/OpcClient.h"
#include "support/ScriptedDialogs.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QValueAxis>

#include <array>
#include <cmath>
#include <memory>
#include <vector>

namespace {

struct Page {
    std::array<QChartView*, 4> Views{};
    std::array<QLineSeries*, 4> Series{};
    std::array<QValueAxis*, 4> Left{};
    std::array<QValueAxis*, 4> Bottom{};

    Page()
    {
        for (std::size_t c = 0; c < 4; ++c) {
            auto* chart = new QChart();
            chart->legend()->hide();
            chart->setAnimationOptions(QChart::NoAnimation);
            Series[c] = new QLineSeries(chart);
            chart->addSeries(Series[c]);
            Left[c] = new QValueAxis(chart);
            Bottom[c] = new QValueAxis(chart);
            chart->addAxis(Bottom[c], Qt::AlignBottom);
            chart->addAxis(Left[c], Qt::AlignLeft);
            Series[c]->attachAxis(Bottom[c]);
            Series[c]->attachAxis(Left[c]);
            Views[c] = new QChartView(chart);
            Views[c]->resize(420, 260);
        }
    }
    ~Page()
    {
        for (QChartView* view : Views)
            delete view;
    }
};

void Redraw(benchmark::State& state, int columns)
{
    const int n = 5000;
    std::vector<double> time(n), signal(n);
    for (int i = 0; i < n; ++i) {
        time[static_cast<std::size_t>(i)] = 0.2 * i;
        signal[static_cast<std::size_t>(i)] = 50 + 40 * std::sin(0.01 * i) + (i % 13) * 0.1;
    }
    Page page;
    for (auto _ : state) {
        for (std::size_t c = 0; c < 4; ++c) {
            FillLineSeries(page.Series[c], time.data(), signal.data(), n, columns);
            page.Left[c]->setRange(5, 95);
            page.Bottom[c]->setRange(0, time.back());
            benchmark::DoNotOptimize(page.Views[c]->grab());
        }
    }
}

} // namespace

static void BM_FourChartsThinned(benchmark::State& state)
{
    Redraw(state, DisplayColumns);
}
BENCHMARK(BM_FourChartsThinned)->Unit(benchmark::kMillisecond);

static void BM_FourChartsWhole(benchmark::State& state)
{
    Redraw(state, 0);
}
BENCHMARK(BM_FourChartsWhole)->Unit(benchmark::kMillisecond);

namespace {

// The main window on its processing page, showing a full record of 5000
// samples of six signals as an experiment leaves it.
struct ProcessingPage {
    ScriptedDialogs Dialogs;
    std::unique_ptr<Podatki> Store = std::make_unique<Podatki>();
    OpcClientObjects Opc = CreateDefaultOpcClient();
    std::unique_ptr<TForm1> Form;

    ProcessingPage()
    {
        Store->SampleCount = Podatki::MaxSamples;
        Store->SignalCount = 6;
        Store->SamplingTime = 0.2;
        for (int i = 1; i <= Podatki::MaxSamples; ++i) {
            Sample(Store->Time, i) = 0.2 * (i - 1);
            for (int k = 1; k <= 6; ++k)
                Store->Column(k)[i - 1] = 50 + 40 * std::sin(0.001 * i * k) + 0.1 * (i % 13);
        }
        Form = std::make_unique<TForm1>(*Store, *Opc.Server, *Opc.Browser);
        Form->resize(1280, 860);
        Form->PageControl1->setCurrentWidget(Form->ObdTab);
        Form->show();
        QApplication::processEvents();
        Form->ShowExperimentData(QStringLiteral("2"), QStringLiteral("100"), QStringLiteral("0"),
                                 QStringLiteral("10"));
    }

    void Check(benchmark::State& state) const
    {
        if (!Dialogs.Errors.isEmpty())
            state.SkipWithError(Dialogs.Errors.constFirst().toStdString().c_str());
    }
};

} // namespace

// Conditioning, series, statistics and axes of the four charts.
static void BM_ProcessingPageApply(benchmark::State& state)
{
    ProcessingPage page;
    for (auto _ : state)
        page.Form->Button2->click();
    page.Check(state);
}
BENCHMARK(BM_ProcessingPageApply)->Unit(benchmark::kMillisecond);

// The same and the page painted, as the user sees it.
static void BM_ProcessingPageApplyAndPaint(benchmark::State& state)
{
    ProcessingPage page;
    for (auto _ : state) {
        page.Form->Button2->click();
        benchmark::DoNotOptimize(page.Form->ObdTab->grab());
    }
    page.Check(state);
}
BENCHMARK(BM_ProcessingPageApplyAndPaint)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
