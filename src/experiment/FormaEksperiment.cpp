#include "experiment/FormaEksperiment.h"

#include "base/ErrorGuard.h"
#include "base/Errors.h"
#include "base/EventWait.h"
#include "base/NumberText.h"
#include "base/UserDialogs.h"
#include "data/Podatki.h"
#include "experiment/LiveChart.h"
#include "opc/OpcClient.h"

#include <QDateTime>
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

#include <algorithm>
#include <array>
#include <string>
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
      store_(store), server_(server)
{
    setObjectName(QStringLiteral("Eksperiment"));
    setWindowTitle(QStringLiteral("Eksperiment"));
    resize(900, 760);
    BuildControls();
    ConnectHandlers();

    Engine.Hooks.SampleRecorded = [this](const TickSample& sample) {
        Journal.Append({sample.Time, sample.MV, sample.U, sample.Y1, sample.Y2});
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
        // Each value under its signal's name and the description of its tag
        // (which names the unit).
        auto* caption = new QLabel(this);
        caption->setObjectName(QStringLiteral("Caption_") + rows[row].second->objectName());
        caption->setAlignment(Qt::AlignRight | Qt::AlignBottom);
        caption->setWordWrap(true);
        caption->setMaximumWidth(160);
        ValueCaptions[static_cast<std::size_t>(row)] = caption;
        auto* value = new QVBoxLayout;
        value->addStretch();
        value->addWidget(caption);
        value->addWidget(rows[row].second);
        value->addStretch();
        charts->addWidget(rows[row].first, row, 0);
        charts->addLayout(value, row, 1);
        charts->setRowStretch(row, 1);
    }
    charts->setColumnStretch(0, 1);
    ShowValueCaptions(LoopTags{});

    auto* time = new QHBoxLayout;
    time->addWidget(Label1);
    time->addWidget(Label2, 1);
    auto* seconds = new QLabel(QStringLiteral("s"), this);
    seconds->setObjectName(QStringLiteral("Label_EnotaCasa"));
    time->addWidget(seconds);
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
    return WaitWithEvents([this] { return Plant.IsMVQualityGood(); }, QualityWaitLimitMs);
}

RunStart TEksperiment::Start(const RunPlan& plan)
{
    // The wait for the plant keeps the program alive, so the caller's button
    // can be pressed again before it ends.
    if (starting_)
        throw VarkolError("Eksperiment se že začenja.");
    if (!ExperimentGroup)
        throw OpcError("Skupina \"Skupina1\" okna eksperimenta ne obstaja.");
    RunStart start;
    notes_.clear();
    {
        starting_ = true;
        const auto done = qScopeGuard([this] { starting_ = false; });
        RunStartHooks hooks;
        hooks.WaitForMvQuality = [this] { return WaitForMvQuality(); };
        hooks.Ask = [this](const QString& question) {
            if (!Unattended)
                return Dialogs().Ask(this, question);
            Tell(question + QStringLiteral(" (potrjeno ob aktiviranju)"));
            return true;
        };
        hooks.WarnNoConnection = [this] {
            Tell(Text(LoopWithoutTags() ? NoLoopTagsMessage : NoConnectionMessage));
        };
        start = StartRun(plan, server_, *ExperimentGroup, Plant, Engine, hooks);
    }
    if (!start.Started)
        return start;
    plan_ = plan;
    switchedToManual_ = false;
    untagged_ = start.UntaggedSignals;
    loopNotSwitched_ = start.LoopNotSwitched;
    if (!untagged_.isEmpty())
        Tell(QStringLiteral("OPC strežnik ne pozna točk teh signalov: %1. Eksperiment jih "
                            "zapisuje brez vrednosti s strežnika.")
                 .arg(untagged_.join(QStringLiteral(", "))));
    RocniAvtomatski->setVisible(plan.Automatic);
    SetManualInputEnabled(Engine.SliderEnabled);
    ShowValueCaptions(plan.Loop);

    // The store takes the new record's header now; Run gives the previous
    // record its header back when the run stops before its first sample.
    std::copy_n(store_.ColumnNames.begin(), previousNames_.size(), previousNames_.begin());
    previousSampleCount_ = store_.SampleCount;
    previousSignalCount_ = store_.SignalCount;
    previousSamplingTime_ = store_.SamplingTime;
    BeginRecord(store_, plan);
    return start;
}

RunOutcome TEksperiment::Run(const RunPlan& plan)
{
    RunOutcome outcome;
    const RunStart start = Start(plan);
    if (!start.Started) {
        outcome.Refusal = start.Refusal;
        outcome.Notes = notes_;
        return outcome;
    }
    outcome.Finished = exec() == Accepted;
    outcome.SwitchedToManual = switchedToManual_;
    outcome.UntaggedSignals = untagged_;
    outcome.Notes = notes_;
    if (outcome.Finished) {
        // The record exists only in the store until it is saved.
        Journal.Close();
        if (Engine.ConnectionLost) {
            Tell(QStringLiteral("Povezava z OPC strežnikom se je med eksperimentom prekinila, "
                                "zato je eksperiment končan. Posnetek hrani %1 vzorcev, "
                                "izmerjenih do prekinitve.")
                     .arg(store_.SampleCount));
            outcome.Notes = notes_;
        }
        outcome.AnalysisStart = Engine.AnalysisStart;
        return outcome;
    }
    // The run stopped at its first sample (the reason has been shown): the
    // previous record keeps its header, and the loop, switched for the run,
    // goes where a finished run would leave it.
    Journal.Discard();
    std::copy(previousNames_.begin(), previousNames_.end(), store_.ColumnNames.begin());
    store_.SampleCount = previousSampleCount_;
    store_.SignalCount = previousSignalCount_;
    store_.SamplingTime = previousSamplingTime_;
    outcome.Refusal = QStringLiteral("Eksperiment se ni začel.");
    if (plan.NoOPCWrite || loopNotSwitched_)
        return outcome;
    try {
        if (plan.ClosedLoopAfter)
            Engine.SetLoopAuto();
        else
            Engine.SetLoopManual();
        outcome.Refusal += plan.ClosedLoopAfter
                               ? QStringLiteral(" Regulator je preklopljen v avtomatski način.")
                               : QStringLiteral(" Regulator je preklopljen v ročni način.");
    } catch (const VarkolError& e) {
        outcome.Refusal += QStringLiteral(" Regulatorja ni bilo mogoče preklopiti nazaj.\n") +
                           QString::fromUtf8(e.what());
    }
    return outcome;
}

template <typename Handler> bool TEksperiment::Attempt(Handler&& handler)
{
    if (!Unattended)
        return Guard(this, std::forward<Handler>(handler));
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (const std::exception& e) {
        Tell(QString::fromUtf8(e.what()));
    }
    return false;
}

void TEksperiment::Tell(const QString& message)
{
    if (!Unattended) {
        Dialogs().ShowMessage(this, message);
        return;
    }
    // A failure that repeats on every tick is noted once.
    if (notes_.isEmpty() || notes_.back() != message)
        notes_ << message;
    StatusBar1->showMessage(message);
}

// ---------------------------------------------------------------- show

void TEksperiment::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return; // a restore from the task bar, not a new run
    // A run that cannot start closes the window again; the caller's modal
    // show then returns Rejected.
    if (!Attempt([this] { FormShow(); }))
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
    // The journal takes the samples from the first one on.
    Engine.CheckStart(plan_.MVMax, plan_.MVMin, plan_.MVStep);
    BeginJournal();
    Engine.FormShow(plan_.MVMax, plan_.MVMin, plan_.MVStep);
    Journal.Flush();

    // The button may have been used in an earlier run.
    RocniAvtomatski->setEnabled(true);
    ShowSlider();
    ShowMVInEdit();
    for (LiveChart* chart : {Chart1, Chart_U, Chart3, Chart2})
        chart->Clear();
    ticksShown_ = 0;
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
    Attempt([this] { ShowSample(Engine.Tick()); });
    ReportPlantFaults();
    CloseWhenFinished();
}

void TEksperiment::ShowSample(const TickSample& sample)
{
    Label_Exp_MV->setText(FormatFixed(sample.MV, 10, 4));
    Label_Exp_U1->setText(FormatFixed(sample.U, 10, 4));
    Label_Exp_Y1->setText(FormatFixed(sample.Y1, 10, 4));
    Label_Exp_Y2->setText(FormatFixed(sample.Y2, 10, 4));
    Label2->setText(FormatFixed(sample.Time, 10, 4));
    const QString connection =
        !sample.Simulated ? Text(StatusConnectedText)
                          : Text(LoopWithoutTags() ? StatusNoLoopTagsText : StatusSimulationText);
    StatusBar1->showMessage(connection + RunNotes());

    // Drawing the charts is most of what a tick costs. At short sampling
    // periods each chart is drawn on every n-th tick only, in turn, so that
    // a chart follows its samples at least five times a second and a tick
    // draws one chart instead of four; the samples are all held and drawn.
    const int drawEvery =
        std::max(1, (MinChartRedrawMs + Engine.SamplingMs - 1) / std::max(1, Engine.SamplingMs));
    const std::pair<LiveChart*, double> points[] = {
        {Chart1, sample.MV}, {Chart_U, sample.U}, {Chart3, sample.Y1}, {Chart2, sample.Y2}};
    for (int i = 0; i < 4; ++i) {
        const auto& [chart, value] = points[i];
        chart->Step(sample.Time, value, sample.DropFirstPointBefore, sample.DropFirstPointAfter,
                    (ticksShown_ + i) % drawEvery == 0);
    }
    ++ticksShown_;
}

// ---------------------------------------------------------------- ending

void TEksperiment::ShowValueCaptions(const LoopTags& loop)
{
    const std::array<std::pair<const char*, TagRole>, 4> shown = {
        {{"MV", TagRole::MV}, {"U", TagRole::U}, {"Y1", TagRole::Y1}, {"Y2", TagRole::Y2}}};
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const QString description = loop.Description(shown[i].second).trimmed();
        const QString name = QString::fromLatin1(shown[i].first);
        ValueCaptions[i]->setText(description.isEmpty()
                                      ? name + u':'
                                      : QStringLiteral("%1 (%2):").arg(name, description));
    }
}

void TEksperiment::ReportPlantFaults()
{
    // A refused MV write is told once for a series of refusals, and outside
    // the tick, so that sampling goes on while the message is open; the
    // status line keeps the cause while the refusals last.
    if (Engine.WriteRefusal.empty()) {
        writeRefusalTold_ = false;
        return;
    }
    if (writeRefusalTold_)
        return;
    writeRefusalTold_ = true;
    const QString message =
        QStringLiteral("OPC strežnik je zavrnil zapis MV: %1\nEksperiment teče naprej in "
                       "zapisuje vzorce; MV se zapisuje znova ob vsakem vzorčenju.")
            .arg(QString::fromStdString(Engine.WriteRefusal));
    QMetaObject::invokeMethod(
        this, [this, message] { Tell(message); }, Qt::QueuedConnection);
}

void TEksperiment::BeginJournal()
{
    JournalHeader header;
    header.Label = QString::fromStdString(Engine.ExperimentLabel);
    header.SamplingTime = Engine.SamplingPeriod();
    for (std::size_t column = 0; column < header.ColumnNames.size(); ++column)
        header.ColumnNames[column] = QString::fromStdString(store_.ColumnNames[column]);
    header.Start = QDateTime::currentDateTime();
    try {
        Journal.Begin(header);
    } catch (const VarkolError&) {
        // The run goes on; the status line says why its record is not kept
        // on the disk.
    }
}

QString TEksperiment::RunNotes() const
{
    QString notes;
    if (!Journal.Error().isEmpty())
        notes += QStringLiteral("  Sprotni varnostni zapis ni mogoč: %1.").arg(Journal.Error());
    if (!Engine.WriteRefusal.empty())
        notes +=
            QStringLiteral("  MV ni zapisan: %1.").arg(QString::fromStdString(Engine.WriteRefusal));
    if (running_ && Plant.Active()) {
        const QStringList bad = Plant.SignalsWithoutGoodQuality();
        if (!bad.isEmpty())
            notes += QStringLiteral("  Slaba kakovost: %1.").arg(bad.join(QStringLiteral(", ")));
    }
    if (!untagged_.isEmpty())
        notes += QStringLiteral("  Brez točke na strežniku: %1.")
                     .arg(untagged_.join(QStringLiteral(", ")));
    if (loopNotSwitched_)
        notes += QStringLiteral("  Regulator ni preklopljen.");
    return notes;
}

void TEksperiment::FinishExperiment()
{
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
    Attempt([this] { FinishExperiment(); });
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
        !Dialogs().Ask(this,
                       QStringLiteral("MV = %1 je zunaj drsnika %2 … %3. Zapišem?")
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
    // The step sequence stops from the next tick on; the main window checks
    // "Ročno voden poizkus" when the run has ended (RunOutcome).
    switchedToManual_ = true;
    Engine.SwitchToManual();
    ShowMVInEdit();
    ShowSlider();
    RocniAvtomatski->setEnabled(false);
}
