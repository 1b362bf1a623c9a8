#include "SoakRun.h"

#include "base/UserDialogs.h"
#include "data/Podatki.h"
#include "experiment/FormaEksperiment.h"
#include "experiment/RecordJournal.h"
#include "opc/InProcessConnection.h"
#include "opc/InProcessServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <memory>

#include <unistd.h>

namespace {

// No message may wait for a user (the run starts without a server).
class QuietDialogs : public UserDialogs {
public:
    QuietDialogs() { SetDialogs(this); }
    ~QuietDialogs() override { SetDialogs(nullptr); }
    void ShowError(QWidget*, const QString&) override {}
    void ShowMessage(QWidget*, const QString&) override {}
    bool Ask(QWidget*, const QString&) override { return true; }
};

// What the event loop paints after a tick, and only that: the charts'
// scene updates are posted first, the window's update request after them.
void PaintWhatChanged()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents();
}

double ThreadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec * 1e-6;
}

double ResidentMb()
{
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double Percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(std::ceil(share * double(values.size())) - 1);
    return values[std::min(index, values.size() - 1)];
}

} // namespace

SoakFigures RunSoak(double seconds, int baselineSample, int fastForward)
{
    QuietDialogs dialogs;
    const QTemporaryDir journals;
    const QString previousJournals = RecordJournal::DefaultFolder();
    RecordJournal::SetDefaultFolder(journals.path());

    auto store = std::make_unique<Podatki>();
    InProcessConnection connection(std::make_shared<InProcessRegistry>()); // not connected
    TEksperiment window(*store, connection);
    window.QualityWaitLimitMs = 0;
    RunPlan plan;
    plan.Label = QStringLiteral("soak");
    plan.SamplingMs = 50;
    plan.InitialInput = 20;

    SoakFigures figures;
    figures.PeriodMs = plan.SamplingMs;
    std::vector<double> wall, cpu;
    wall.reserve(5000);
    cpu.reserve(5000);
    if (window.Start(plan).Started) {
        window.show();
        // The window's own timer gives way to one that times each tick.
        window.Timer1->stop();
        // The first paint of the window is not a tick's.
        window.repaint();
        QCoreApplication::processEvents();
        for (int sample = 2; sample <= fastForward && window.isVisible(); ++sample) {
            window.Timer1Timer();
            PaintWhatChanged();
            if (sample == baselineSample) {
                figures.BaselineSample = baselineSample;
                figures.BaselineRssMb = ResidentMb();
            }
        }
        QCoreApplication::processEvents();
        QTimer clock;
        clock.setTimerType(Qt::PreciseTimer);
        clock.setInterval(plan.SamplingMs);
        QEventLoop loop;
        QElapsedTimer elapsed;
        QObject::connect(&clock, &QTimer::timeout, [&] {
            QElapsedTimer tick;
            tick.start();
            const double cpuStart = ThreadCpuMs();
            window.Timer1Timer();
            if (window.isVisible())
                PaintWhatChanged();
            cpu.push_back(ThreadCpuMs() - cpuStart);
            wall.push_back(double(tick.nsecsElapsed()) * 1e-6);
            if (store->SampleCount - 1 == baselineSample) {
                figures.BaselineSample = baselineSample;
                figures.BaselineRssMb = ResidentMb();
            }
            if (!window.isVisible() || elapsed.elapsed() >= seconds * 1000)
                loop.quit();
        });
        elapsed.start();
        clock.start();
        loop.exec();
        clock.stop();
        figures.FinalRssMb = ResidentMb();
        if (window.isVisible())
            window.KonecEksperimentaClick();
    }
    figures.Samples = store->SampleCount;
    figures.WallMedian = Percentile(wall, 0.5);
    figures.WallP99 = Percentile(wall, 0.99);
    figures.WallMax = wall.empty() ? 0 : *std::max_element(wall.begin(), wall.end());
    figures.CpuMedian = Percentile(cpu, 0.5);
    figures.CpuP99 = Percentile(cpu, 0.99);
    figures.CpuMax = cpu.empty() ? 0 : *std::max_element(cpu.begin(), cpu.end());
    window.Journal.Discard();
    RecordJournal::SetDefaultFolder(previousJournals);
    return figures;
}
