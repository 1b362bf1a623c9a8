// The checks of the program's own files and the foreign data exports.

#include "FuzzChecks.h"
#include "FuzzInput.h"

#include "base/Errors.h"
#include "base/NumberText.h"
#include "data/DataFile.h"
#include "data/Podatki.h"
#include "experiment/SettingsFile.h"
#include "model/ModelFile.h"
#include "tuning/ControllerFile.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

bool AllFinite(const Podatki::Signal& signal, int count)
{
    return std::all_of(signal.begin(), signal.begin() + count,
                       [](double v) { return std::isfinite(v); });
}

// The record of a store that held a data set before the input was read.
void FillRecord(Podatki& store)
{
    store.SamplingTime = 0.25;
    store.SampleCount = 12;
    store.SignalCount = 6;
    store.WindowGap = Podatki::WindowGapFor(12);
    for (int i = 0; i < store.SampleCount; ++i) {
        store.Time[static_cast<std::size_t>(i)] = 0.25 * i;
        for (int k = 1; k <= 6; ++k)
            store.Column(k)[i] = k * 100.0 + i;
    }
    for (int k = 0; k < 6; ++k)
        store.ColumnNames[static_cast<std::size_t>(k)] = "stolpec " + std::to_string(k + 1);
}

void CopyRecord(const Podatki& from, Podatki& to)
{
    to.SamplingTime = from.SamplingTime;
    to.SampleCount = from.SampleCount;
    to.SignalCount = from.SignalCount;
    to.WindowGap = from.WindowGap;
    to.Time = from.Time;
    to.RawColumns = from.RawColumns;
    to.ColumnNames = from.ColumnNames;
}

bool SameRecord(const Podatki& a, const Podatki& b)
{
    return a.SamplingTime == b.SamplingTime && a.SampleCount == b.SampleCount &&
           a.SignalCount == b.SignalCount && a.WindowGap == b.WindowGap && a.Time == b.Time &&
           a.RawColumns == b.RawColumns && a.ColumnNames == b.ColumnNames;
}

// The identification part of a store that held a model.
void FillModel(Podatki& store)
{
    store.InnerModel = ProcessModel{2, 10, 1, 0.1, 0.5, 0.01, 0.02};
    store.OuterModel = ProcessModel{3, 20, 2, 0.2, 0.7, 0.03, 0.04};
    store.IdentSampleCount = 4;
    for (int i = 0; i < 4; ++i)
        for (Podatki::Signal* s : {&store.IdentTime, &store.IdentU, &store.ModelOutputOuter})
            (*s)[static_cast<std::size_t>(i)] = i + 0.5;
    store.InnerDelaySamples = 1;
    store.OuterDelaySamples = 2;
}

void CopyModel(const Podatki& from, Podatki& to)
{
    to.InnerModel = from.InnerModel;
    to.OuterModel = from.OuterModel;
    to.SamplingTime = from.SamplingTime;
    to.IdentSampleCount = from.IdentSampleCount;
    for (auto member :
         {&Podatki::IdentTime, &Podatki::IdentU, &Podatki::IdentY1, &Podatki::MeasuredInner,
          &Podatki::MeasuredOuter, &Podatki::ModelOutputInner, &Podatki::ModelOutputOuter})
        to.*member = from.*member;
    to.InnerDelaySamples = from.InnerDelaySamples;
    to.OuterDelaySamples = from.OuterDelaySamples;
}

bool SameModel(const Podatki& a, const Podatki& b)
{
    const auto same = [](const ProcessModel& x, const ProcessModel& y) {
        return x.Gain == y.Gain && x.TimeConstant == y.TimeConstant && x.DeadTime == y.DeadTime &&
               x.GainDeviation == y.GainDeviation && x.TimeDeviation == y.TimeDeviation &&
               x.ResidualSTD == y.ResidualSTD && x.RelativeError == y.RelativeError;
    };
    return same(a.InnerModel, b.InnerModel) && same(a.OuterModel, b.OuterModel) &&
           a.SamplingTime == b.SamplingTime && a.IdentSampleCount == b.IdentSampleCount &&
           a.IdentTime == b.IdentTime && a.IdentU == b.IdentU && a.IdentY1 == b.IdentY1 &&
           a.MeasuredInner == b.MeasuredInner && a.MeasuredOuter == b.MeasuredOuter &&
           a.ModelOutputInner == b.ModelOutputInner && a.ModelOutputOuter == b.ModelOutputOuter &&
           a.InnerDelaySamples == b.InnerDelaySamples && a.OuterDelaySamples == b.OuterDelaySamples;
}

bool FiniteModel(const ProcessModel& m)
{
    for (const double v : {m.Gain, m.TimeConstant, m.DeadTime, m.GainDeviation, m.TimeDeviation,
                           m.ResidualSTD, m.RelativeError})
        if (!std::isfinite(v))
            return false;
    return true;
}

// The files are read under a locale with the decimal point, that of the
// seeds; the sample fields accept either mark whatever the locale.
void UsePointLocale()
{
    static const bool set = [] {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        return true;
    }();
    (void)set;
}

bool IsInteger(const QString& text)
{
    try {
        ParseInteger(text);
        return true;
    } catch (const ConversionError&) {
        return false;
    }
}

bool IsNumber(const QString& text)
{
    try {
        ParseNumber(text);
        return true;
    } catch (const ConversionError&) {
        return false;
    }
}

} // namespace

std::string CheckDataFile(const std::uint8_t* data, std::size_t size)
{
    UsePointLocale();
    static const std::unique_ptr<Podatki> before = [] {
        auto store = std::make_unique<Podatki>();
        FillRecord(*store);
        return store;
    }();
    static const std::unique_ptr<Podatki> store = std::make_unique<Podatki>(*before);
    const FuzzInputFile file(data, size, "vkd");
    MeasurementFileSettings settings;
    try {
        settings = LoadMeasurements(*store, file.Path());
    } catch (const VarkolError&) {
        return SameRecord(*store, *before) ? std::string() : "a refused file changed the store";
    }
    std::string problem;
    const int n = store->SampleCount;
    if (n < 1 || n > Podatki::MaxSamples)
        problem = "sample count " + std::to_string(n) + " outside 1..5000";
    else if (!std::isfinite(store->SamplingTime) || !(store->SamplingTime > 0))
        problem = "sampling time not finite and positive";
    else if (store->SignalCount < 1 || store->SignalCount > Podatki::MaxColumns)
        problem = "column count " + std::to_string(store->SignalCount) + " outside 1..40";
    else if (store->WindowGap != Podatki::WindowGapFor(n))
        problem = "window gap does not follow the sample count";
    else if (!AllFinite(store->Time, n))
        problem = "a sample time is not finite";
    else if (!std::all_of(store->RawColumns.begin(), store->RawColumns.begin() + store->SignalCount,
                          [n](const Podatki::Signal& c) { return AllFinite(c, n); }))
        problem = "a sample value is not finite";
    else if (!IsInteger(settings.WindowStart) || !IsInteger(settings.WindowEnd))
        problem = "the window is not given as whole numbers";
    else if (!IsNumber(settings.FilterTime) || !IsNumber(settings.ActuatorMaximum) ||
             !IsNumber(settings.ActuatorMinimum) || !IsNumber(settings.ActuatorVelocity))
        problem = "a setting is not given as a number";
    CopyRecord(*before, *store);
    return problem;
}

std::string CheckModelFile(const std::uint8_t* data, std::size_t size)
{
    UsePointLocale();
    static const std::unique_ptr<Podatki> before = [] {
        auto store = std::make_unique<Podatki>();
        FillModel(*store);
        return store;
    }();
    static const std::unique_ptr<Podatki> store = std::make_unique<Podatki>(*before);
    const FuzzInputFile file(data, size, "vkm");
    try {
        LoadModel(file.Path(), *store);
    } catch (const VarkolError&) {
        return SameModel(*store, *before) ? std::string() : "a refused file changed the model";
    }
    std::string problem;
    const int n = store->IdentSampleCount;
    if (n < 0 || n > Podatki::MaxSamples)
        problem = "sample count " + std::to_string(n) + " outside 0..5000";
    else if (!FiniteModel(store->InnerModel) || !FiniteModel(store->OuterModel))
        problem = "a model value is not finite";
    else if (!std::isfinite(store->SamplingTime))
        problem = "the sampling time is not finite";
    else
        for (const Podatki::Signal* s :
             {&store->IdentTime, &store->IdentU, &store->IdentY1, &store->MeasuredInner,
              &store->MeasuredOuter, &store->ModelOutputInner, &store->ModelOutputOuter})
            if (!AllFinite(*s, n))
                problem = "a sample value is not finite";
    CopyModel(*before, *store);
    return problem;
}

std::string CheckControllerFile(const std::uint8_t* data, std::size_t size)
{
    UsePointLocale();
    const FuzzInputFile file(data, size, "vkc");
    ControllerSettings s;
    try {
        s = LoadController(file.Path());
    } catch (const VarkolError&) {
        return {};
    }
    for (const double v :
         {s.K1, s.T1, s.L1, s.InnerRelativeError, s.K2, s.T2, s.L2, s.OuterRelativeError})
        if (!std::isfinite(v))
            return "a model value is not finite";
    // What was loaded can be saved again.
    try {
        if (ControllerFileLines(s).size() != 38)
            return "the settings do not make 38 lines";
    } catch (const VarkolError& e) {
        return std::string("loaded settings cannot be saved: ") + e.what();
    }
    return {};
}

std::string CheckSettingsFile(const std::uint8_t* data, std::size_t size)
{
    UsePointLocale();
    const FuzzInputFile file(data, size, "vkx");
    ExperimentSettings s;
    try {
        s = ReadExperimentSettings(file.Path());
    } catch (const VarkolError&) {
        return {};
    }
    // Saving what was loaded and loading it again gives the same settings.
    const QStringList lines = ExperimentSettingsLines(s);
    if (lines.size() != ExperimentSettings::LineCount)
        return "the settings do not make 98 lines";
    try {
        if (!(ParseExperimentSettings(lines, file.Path()) == s))
            return "the settings change when saved and loaded again";
    } catch (const VarkolError& e) {
        return std::string("saved settings do not load again: ") + e.what();
    }
    return {};
}
