#include "experiment/RunPlan.h"

#include "base/Errors.h"
#include "base/NumberText.h"
#include "data/GlobalProcedures.h"
#include "experiment/SettingsFile.h"

#include <cmath>
#include <limits>

namespace {

double Field(const QString& text, const char* name)
{
    return ParseFieldNumber(text, QString::fromUtf8(name));
}

int WholeField(const QString& text, const char* name)
{
    try {
        return ParseInteger(text);
    } catch (const ConversionError& e) {
        throw ConversionError(std::string(name) + ": " + e.what());
    }
}

} // namespace

bool CorrectRunTimes(ExperimentSettings& s)
{
    bool changed = false;
    double period = Field(s.SamplingPeriod, "Čas vzorčenja");
    if (period < MinSamplingPeriod) {
        period = MinSamplingPeriod;
        s.SamplingPeriod = FormatGeneral(period, 15);
        changed = true;
    }
    if (Field(s.WaitTime, "Čas čakanja") < 2 * period) {
        s.WaitTime = FormatGeneral(2 * period, 10);
        changed = true;
    }
    return changed;
}

RunPlan MakeRunPlan(const ExperimentSettings& settings, const QString& label, bool automatic)
{
    ExperimentSettings s = settings;
    CorrectRunTimes(s);
    RunPlan plan;
    plan.Label = label;
    plan.Automatic = automatic;
    const double samplingMs = Field(s.SamplingPeriod, "Čas vzorčenja") * 1000;
    if (samplingMs > std::numeric_limits<int>::max())
        throw ConversionError(
            QStringLiteral("Čas vzorčenja: %1 s je predolg.").arg(s.SamplingPeriod).toStdString());
    plan.SamplingMs = RoundHalfEven(samplingMs);
    plan.KeepInitialInput = s.KeepInitialInput;
    if (!s.KeepInitialInput)
        plan.InitialInput = Field(s.InitialInput, "Začetni vhod");
    if (automatic) {
        plan.WaitTime = Field(s.WaitTime, "Čas čakanja");
        plan.StepSize = Field(s.StepSize, "Velikost stopnice");
        plan.StepDuration = Field(s.StepDuration, "Čas ene stopnice");
        plan.NumberOfSteps = WholeField(s.NumberOfSteps, "Število stopnic");
    }
    plan.BothDirections = s.BothDirections;
    plan.ClosedLoopDuring = s.ClosedLoopDuring;
    plan.ClosedLoopAfter = s.ClosedLoopAfter;
    plan.NoOPCWrite = s.NoOPCWrite;
    plan.MVMax = Field(s.MVMax, "Drsnik MV, Maksimum");
    plan.MVMin = Field(s.MVMin, "Drsnik MV, Minimum");
    plan.MVStep = Field(s.MVStep, "Drsnik MV, Korak");
    const double span = plan.MVMax - plan.MVMin;
    if (!std::isfinite(span) || RoundHalfEven(SafeDivide(span, plan.MVStep, span)) < 0)
        throw ConversionError("Drsnik MV: maksimum, minimum in korak ne dajo veljavnega območja "
                              "drsnika.");
    plan.Loop = s.Loop;
    if (plan.Loop.Switch1.SingleTag() && plan.Loop.Switch1.ManualValue != 0 &&
        plan.Loop.Switch1.ManualValue != 1)
        throw ConversionError("Vrednost R/A stikala za ročni način (\"Ročno:\") ni izbrana.");
    return plan;
}

QString MissingSwitchQuestion(const RunPlan& plan, bool connected)
{
    const LoopTags& loop = plan.Loop;
    if (!connected || plan.NoOPCWrite || !loop.HasTag(TagRole::MV))
        return {};
    QStringList missing;
    if (loop.Switch1.SingleTag()) {
        if (!loop.HasTag(TagRole::RA))
            missing << QStringLiteral("R/A");
    } else {
        if (!loop.HasTag(TagRole::Manual))
            missing << QStringLiteral("Ročno");
        if (!loop.HasTag(TagRole::Auto))
            missing << QStringLiteral("Avtomatsko");
    }
    if (missing.isEmpty())
        return {};
    return QStringLiteral("Preklop regulatorja ni določen: v tabeli OPC točk manjka točka %1. "
                          "Eksperiment bo pisal MV, regulator pa ostane v načinu, v katerem je. "
                          "Nadaljujem brez preklopa?")
        .arg(missing.join(QStringLiteral(" in ")));
}
