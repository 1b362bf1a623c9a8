// Dragging the robustness slider of the controller page, offscreen: the
// slider's handler recomputes the tuning at the largest horizon (4999
// samples, cascade), shows the labels and the robustness figures and
// refills the five response series; the painted variant also draws the
// chart, the robustness table and the slider's group, as the screen would.
// One move must fit in a frame (16 ms).

#include "base/ChartView.h"
#include "app/Glavna.h"
#include "base/TextComboBox.h"
#include "data/Podatki.h"
#include "opc/OpcClient.h"
#include "support/ScriptedDialogs.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineSeries>
#include <QPixmap>
#include <QScrollBar>
#include <QTabWidget>

namespace {

void DragSlider(benchmark::State& state, bool paint)
{
    ScriptedDialogs dialogs;
    Podatki store;
    // Five time constants of 1200 s at Ts = 1 s give more than 4999 samples;
    // no dead time, so nothing else bounds the horizon.
    store.InnerModel = {.Gain = 1.5, .TimeConstant = 1200};
    store.OuterModel = {.Gain = 2, .TimeConstant = 300};
    OpcClientObjects opc = CreateDefaultOpcClient();
    TForm1 form(store, *opc.Server, *opc.Browser);
    form.resize(1280, 860);
    form.show();
    form.PageControl1->setCurrentIndex(4);
    form.ComboBox1->SetItemIndex(1);
    form.CheckBox_CascadeReg->setChecked(true); // recomputes once
    QApplication::processEvents();

    int slider = 10;
    for (auto _ : state) {
        slider = (slider + 1) % 21;
        form.ScrollBar_Robust->setValue(slider); // the handler, through its guard
        if (paint) {
            // What the step changes: the chart, the robustness table and the
            // Ms beside the slider.
            benchmark::DoNotOptimize(form.Chart1->grab());
            benchmark::DoNotOptimize(form.GroupBox_Robustnost->grab());
            benchmark::DoNotOptimize(form.GroupBox_Robust->grab());
        }
    }
    if (!dialogs.Errors.isEmpty())
        state.SkipWithError(dialogs.Errors.first().toStdString().c_str());
    else if (form.LineSeries4->at(form.LineSeries4->count() - 1).x() != 4998)
        state.SkipWithError("not the largest horizon");
    // The points drawn of the five curves of the last position.
    qsizetype points = 0;
    for (const QLineSeries* series :
         {form.LineSeries3, form.Series3, form.Series4, form.LineSeries4, form.Series5})
        points += series->count();
    state.counters["points"] = static_cast<double>(points);
}

} // namespace

static void BM_RobustSliderCascadeHandler(benchmark::State& state)
{
    DragSlider(state, false);
}
BENCHMARK(BM_RobustSliderCascadeHandler)->Unit(benchmark::kMillisecond);

static void BM_RobustSliderCascadeHandlerAndPaint(benchmark::State& state)
{
    DragSlider(state, true);
}
BENCHMARK(BM_RobustSliderCascadeHandlerAndPaint)->Unit(benchmark::kMillisecond);

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
