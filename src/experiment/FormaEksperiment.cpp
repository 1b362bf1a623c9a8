#include "experiment/FormaEksperiment.h"

#include "base/ErrorGuard.h"
#include "base/Errors.h"
#include "base/NumberText.h"
#include "base/UserDialogs.h"
#include "experiment/LiveChart.h"
#include "opc/OpcClient.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <string_view>

namespace {

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Series colours, stored the Windows way (0x00BBGGRR).
constexpr unsigned ColourMV = 0x0000FF; // red
constexpr unsigned ColourU = 0x000080;  // maroon
constexpr unsigned ColourY1 = 0xFF0000; // blue
constexpr unsigned ColourY2 = 0x008000; // green

// One pump of the event queue while waiting for the MV tag: deliveries and
// user input are processed, without spinning the processor.
void PumpEvents()
{
    QEventLoop loop;
    QTimer::singleShot(10, &loop, &QEventLoop::quit);
    loop.exec();
}

QLabel* ValueLabel(const QString& name, QWidget* parent)
{
    auto* label = new QLabel(QStringLiteral("0"), parent);
    label->setObjectName(name);
    label->setMinimumWidth(110);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

} // namespace

TEksperiment::TEksperiment(Podatki& store, OpcServer& server, QWidget* parent)
    : QDialog(parent), Plant(server), Engine(store, Plant, MakeUnseededUniformGenerator()),
      server_(server)
{
    setObjectName(QStringLiteral("Eksperiment"));
    setWindowTitle(QStringLiteral("Eksperiment"));
    resize(900, 760);
    BuildControls();
    ConnectHandlers();

    Engine.Hooks.WaitForMvQuality = [this] { return WaitForMvQuality(); };
    Engine.Hooks.WarnNoConnection = [this] {
        Dialogs().ShowMessage(this,
                              Text(LoopWithoutTags() ? NoLoopTagsMessage : NoConnectionMessage));
    };
    Engine.Hooks.ShowExperimentData = [this] {
        if (Host.ShowExperimentData)
            Host.ShowExperimentData(Host.ReadConditioningTexts ? Host.ReadConditioningTexts()
                                                               : ConditioningTexts{});
    };
    Engine.Hooks.SetAnalysisStart = [this](int position) {
        if (Host.SetAnalysisStart)
            Host.SetAnalysisStart(position);
    };

    Guard(this, [this] { FormCreate(); });
}

TEksperiment::~TEksperiment() = default;

void TEksperiment::BuildControls()
{
    Chart1 =
        new LiveChart(QStringLiteral("Chart1"), QStringLiteral("LineSeries1"),
                      QStringLiteral("Manipulativni signal (mv)"), LiveChart::Style::Stairs, this);
    Chart_U =
        new LiveChart(QStringLiteral("Chart_U"), QStringLiteral("Series1"),
                      QStringLiteral("Izhod regulatorja (u)"), LiveChart::Style::Stairs, this);
    Chart3 = new LiveChart(QStringLiteral("Chart3"), QStringLiteral("Series2"),
                           QStringLiteral("Izhod iz procesa - meritev 1 (y)"),
                           LiveChart::Style::Line, this);
    Chart2 = new LiveChart(QStringLiteral("Chart2"), QStringLiteral("LineSeries5"),
                           QStringLiteral("Zunanji izhod iz procesa - meritev 2 (yz)"),
                           LiveChart::Style::Line, this);
    LineSeries1 = Chart1->Series();
    Series1 = Chart_U->Series();
    Series2 = Chart3->Series();
    LineSeries5 = Chart2->Series();
    Chart1->SetColor(WindowsColor(ColourMV));
    Chart_U->SetColor(WindowsColor(ColourU));
    Chart3->SetColor(WindowsColor(ColourY1));
    Chart2->SetColor(WindowsColor(ColourY2));

    Label_Exp_MV = ValueLabel(QStringLiteral("Label_Exp_MV"), this);
    Label_Exp_U1 = ValueLabel(QStringLiteral("Label_Exp_U1"), this);
    Label_Exp_Y1 = ValueLabel(QStringLiteral("Label_Exp_Y1"), this);
    Label_Exp_Y2 = ValueLabel(QStringLiteral("Label_Exp_Y2"), this);
    Label1 = new QLabel(QStringLiteral("t="), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(QStringLiteral("0"), this);
    Label2->setObjectName(QStringLiteral("Label2"));

    ScrollBar1 = new QScrollBar(Qt::Vertical, this);
    ScrollBar1->setObjectName(QStringLiteral("ScrollBar1"));
    ScrollBar1->setRange(0, 100);
    ScrollBar1->setValue(100);
    ScrollBar1->setSingleStep(1);
    ScrollBar1->setPageStep(10);
    VrednostVhodaEdit = new QLineEdit(QStringLiteral("0"), this);
    VrednostVhodaEdit->setObjectName(QStringLiteral("VrednostVhodaEdit"));
    VrednostVhodaEdit->setMaximumWidth(110);
    SetManualInputEnabled(false);

    // Neither button may be a default button: Enter in the MV edit would
    // otherwise press it.
    RocniAvtomatski = new QPushButton(QStringLiteral("Preklop v ročno"), this);
    RocniAvtomatski->setObjectName(QStringLiteral("RocniAvtomatski"));
    KonecEksperimenta = new QPushButton(QStringLiteral("Konec eksperimenta"), this);
    KonecEksperimenta->setObjectName(QStringLiteral("KonecEksperimenta"));
    for (QPushButton* button : {RocniAvtomatski, KonecEksperimenta}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));

    auto* charts = new QGridLayout;
    const std::pair<LiveChart*, QLabel*> rows[] = {{Chart1, Label_Exp_MV},
                                                   {Chart_U, Label_Exp_U1},
                                                   {Chart3, Label_Exp_Y1},
                                                   {Chart2, Label_Exp_Y2}};
    for (int row = 0; row < 4; ++row) {
        charts->addWidget(rows[row].first, row, 0);
        charts->addWidget(rows[row].second, row, 1);
        charts->setRowStretch(row, 1);
    }
    charts->setColumnStretch(0, 1);

    auto* time = new QHBoxLayout;
    time->addWidget(Label1);
    time->addWidget(Label2, 1);
    auto* side = new QVBoxLayout;
    side->addLayout(time);
    side->addWidget(ScrollBar1, 1, Qt::AlignHCenter);
    side->addWidget(VrednostVhodaEdit);
    side->addSpacing(12);
    side->addWidget(RocniAvtomatski);
    side->addWidget(KonecEksperimenta);

    auto* body = new QHBoxLayout;
    body->addLayout(charts, 1);
    body->addLayout(side);
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(6, 6, 6, 0);
    root->addLayout(body, 1);
    root->addWidget(StatusBar1);
}

void TEksperiment::ConnectHandlers()
{
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    connect(ScrollBar1, &QScrollBar::valueChanged, this,
            [this](int position) { Guard(this, [&] { ScrollBar1Change(position); }); });
    connect(VrednostVhodaEdit, &QLineEdit::returnPressed, this,
            [this] { Guard(this, [this] { VrednostVhodaEditKeyPress(); }); });
    connect(RocniAvtomatski, &QPushButton::clicked, this,
            [this] { Guard(this, [this] { RocniAvtomatskiClick(); }); });
    connect(KonecEksperimenta, &QPushButton::clicked, this, [this] { KonecEksperimentaClick(); });
}

void TEksperiment::FormCreate()
{
    Engine.FormCreate();
    ExperimentGroup = server_.AddGroup(QStringLiteral("Skupina1"));
    ExperimentGroup->SetDeadBand(0);
    ExperimentGroup->SetUpdateRate(10);
}

void TEksperiment::ClearItems()
{
    if (ExperimentGroup)
        server_.ClearItems(*ExperimentGroup);
    Plant.ForgetItems();
}

// ---------------------------------------------------------------- start

bool TEksperiment::LoopWithoutTags() const
{
    return server_.Active() && !Plant.Active();
}

bool TEksperiment::WaitForMvQuality()
{
    // A loop without tags has nothing to wait for.
    if (LoopWithoutTags())
        return false;
    QElapsedTimer clock;
    clock.start();
    return WaitForGoodQuality([this] { return Plant.IsMVQualityGood(); }, PumpEvents,
                              [&clock] { return clock.elapsed(); }, QualityWaitLimitMs);
}

bool TEksperiment::StartAutomaticRun()
{
    // The wait pumps the event queue, so the caller's button can be pressed
    // again before it ends.
    if (starting_)
        throw VarkolError("Eksperiment se že začenja.");
    starting_ = true;
    const auto done = qScopeGuard([this] { starting_ = false; });
    manualTrial_ = false;
    SyncManualMode();
    Engine.SliderEnabled = false;
    SetManualInputEnabled(false);
    return Engine.StartAutomaticRun();
}

void TEksperiment::StartManualRun()
{
    if (starting_)
        throw VarkolError("Eksperiment se že začenja.");
    starting_ = true;
    const auto done = qScopeGuard([this] { starting_ = false; });
    manualTrial_ = true;
    SyncManualMode();
    Engine.StartManualRun();
    SetManualInputEnabled(Engine.SliderEnabled);
}

void TEksperiment::SyncManualMode()
{
    Engine.ManualMode = manualTrial_ || (Host.IsManualTrial && Host.IsManualTrial());
}

// ---------------------------------------------------------------- show

void TEksperiment::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return; // a restore from the task bar, not a new run
    // A run that cannot start closes the window again; the caller's modal
    // show then returns Rejected.
    if (!Guard(this, [this] { FormShow(); }))
        QMetaObject::invokeMethod(
            this, [this] { QDialog::done(Rejected); }, Qt::QueuedConnection);
}

void TEksperiment::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (event->spontaneous())
        return;
    Timer1->stop();
    running_ = false;
}

void TEksperiment::FormShow()
{
    running_ = false;
    Timer1->stop();
    SyncManualMode();
    const MvSliderTexts texts = Host.ReadSliderTexts ? Host.ReadSliderTexts() : MvSliderTexts{};
    const double maximum = ParseFieldNumber(texts.Maximum, QStringLiteral("Drsnik MV, Maksimum"));
    const double minimum = ParseFieldNumber(texts.Minimum, QStringLiteral("Drsnik MV, Minimum"));
    const double step = ParseFieldNumber(texts.Step, QStringLiteral("Drsnik MV, Korak"));

    Engine.FormShow(maximum, minimum, step);

    // The button may have been used in an earlier run.
    RocniAvtomatski->setEnabled(true);
    ShowSlider();
    ShowMVInEdit();
    for (LiveChart* chart : {Chart1, Chart_U, Chart3, Chart2})
        chart->Clear();
    Chart1->SetColor(WindowsColor(ColourMV));
    Chart_U->SetColor(WindowsColor(ColourU));
    Chart3->SetColor(WindowsColor(ColourY1));
    Chart2->SetColor(WindowsColor(ColourY2));
    setWindowTitle(QStringLiteral("Eksperiment ") + QString::fromStdString(Engine.ExperimentLabel));
    Timer1->setInterval(Engine.SamplingMs);
    ShowSample(Engine.LastSample());
    running_ = true;
    if (Engine.TimerEnabled)
        Timer1->start();
}

// ---------------------------------------------------------------- sampling

void TEksperiment::Timer1Timer()
{
    // A tick whose error message is still open lets later timer events pass
    // by; time stays nominal.
    if (!running_ || inTick_)
        return;
    inTick_ = true;
    const auto done = qScopeGuard([this] { inTick_ = false; });
    Guard(this, [this] {
        SyncManualMode();
        ShowSample(Engine.Tick());
    });
    CloseWhenFinished();
}

void TEksperiment::ShowSample(const TickSample& sample)
{
    Label_Exp_MV->setText(FormatFixed(sample.MV, 10, 4));
    Label_Exp_U1->setText(FormatFixed(sample.U, 10, 4));
    Label_Exp_Y1->setText(FormatFixed(sample.Y1, 10, 4));
    Label_Exp_Y2->setText(FormatFixed(sample.Y2, 10, 4));
    Label2->setText(FormatFixed(sample.Time, 10, 4));
    if (!sample.Simulated)
        StatusBar1->showMessage(Text(StatusConnectedText));
    else
        StatusBar1->showMessage(
            Text(LoopWithoutTags() ? StatusNoLoopTagsText : StatusSimulationText));

    const std::pair<LiveChart*, double> points[] = {
        {Chart1, sample.MV}, {Chart_U, sample.U}, {Chart3, sample.Y1}, {Chart2, sample.Y2}};
    for (const auto& [chart, value] : points) {
        if (sample.DropFirstPointBefore)
            chart->DropFirst();
        chart->Append(sample.Time, value);
        if (sample.DropFirstPointAfter)
            chart->DropFirst();
    }
}

// ---------------------------------------------------------------- ending

void TEksperiment::FinishExperiment()
{
    SyncManualMode();
    Engine.FinishExperiment();
}

void TEksperiment::CloseWhenFinished()
{
    if (!running_ || !Engine.CloseRequested)
        return;
    running_ = false;
    Timer1->stop();
    QDialog::done(Accepted);
}

void TEksperiment::KonecEksperimentaClick()
{
    if (!running_)
        return;
    Guard(this, [this] { FinishExperiment(); });
    CloseWhenFinished();
}

void TEksperiment::reject()
{
    // Esc and the close box end a running experiment only when the user
    // confirms: a second Esc meant for a message box must not end it.
    if (running_) {
        if (Dialogs().Ask(this, QStringLiteral("Končam eksperiment?")))
            KonecEksperimentaClick();
        return;
    }
    QDialog::reject();
}

// ---------------------------------------------------------------- MV by hand

void TEksperiment::SetManualInputEnabled(bool enabled)
{
    ScrollBar1->setEnabled(enabled);
    VrednostVhodaEdit->setEnabled(enabled);
}

// Applying the engine's slider must not come back as a slider move, which
// would snap the MV to the slider's grid.
void TEksperiment::ShowSlider()
{
    const QSignalBlocker blocker(ScrollBar1);
    ScrollBar1->setRange(Engine.Slider.Min, Engine.Slider.Max);
    ScrollBar1->setValue(Engine.Slider.Position);
}

void TEksperiment::ShowMVInEdit()
{
    VrednostVhodaEdit->setText(FormatGeneral(Engine.CurrentMV, 8));
}

void TEksperiment::ScrollBar1Change(int position)
{
    if (Engine.ScrollBar1Change(position))
        ShowMVInEdit();
}

void TEksperiment::VrednostVhodaEditKeyPress()
{
    const double value = ParseFieldNumber(VrednostVhodaEdit->text(), QStringLiteral("Vrednost MV"));
    // A value beyond the slider goes to the plant only when the user
    // confirms it; a slip of the keyboard (1e9 for 1e2) stays in the edit.
    if (!Engine.SliderHolds(value) &&
        !Dialogs().Ask(this, QStringLiteral("MV = %1 je zunaj drsnika %2 … %3. Zapišem?")
                                 .arg(FormatGeneral(value, 8), FormatGeneral(Engine.SliderLowest(), 8),
                                      FormatGeneral(Engine.SliderHighest(), 8)))) {
        ShowMVInEdit();
        return;
    }
    Engine.TypedValue(value);
    ShowSlider();
}

void TEksperiment::RocniAvtomatskiClick()
{
    SetManualInputEnabled(true);
    manualTrial_ = true;
    if (Host.CheckManualTrial)
        Host.CheckManualTrial();
    Engine.SwitchToManual();
    ShowMVInEdit();
    ShowSlider();
    RocniAvtomatski->setEnabled(false);
}
