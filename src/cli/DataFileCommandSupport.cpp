#include "cli/DataFileCommandSupport.h"

#include "base/NumberText.h"
#include "cli/CliArguments.h"
#include "data/ProcessingText.h"

LoadedDataFile LoadDataFile(const std::string& fileName)
{
    LoadedDataFile file;
    file.Store = std::make_unique<Podatki>();
    file.Texts = LoadMeasurements(*file.Store, QString::fromLocal8Bit(fileName.c_str()));
    const MeasurementFileSettings& t = file.Texts;
    file.Settings = ParseConditioningSettings(t.FilterTime, t.ActuatorMaximum, t.ActuatorMinimum,
                                              t.ActuatorVelocity);
    file.Columns = DefaultColumns(file.Store->SignalCount);
    file.Window = LoadedWindowChoosers(file.Store->SampleCount, file.Store->WindowGap,
                                       ParseInteger(t.WindowStart), ParseInteger(t.WindowEnd));
    return file;
}

const std::set<std::string> ConditioningOptionNames = {"mv",   "u",    "y1",    "y2",    "filter",
                                                       "umax", "umin", "topen", "start", "end"};

namespace {

int ColumnOption(const CliArguments& args, const std::string& name, int fallback, int signalCount)
{
    const int column = args.Integer(name).value_or(fallback);
    if (column < 1 || column > signalCount)
        throw UsageError("--" + name + ": column " + std::to_string(column) + " is outside 1.." +
                         std::to_string(signalCount));
    return column;
}

} // namespace

ConditioningOptions ReadConditioningOptions(const CliArguments& args, const LoadedDataFile& file)
{
    const Podatki& store = *file.Store;
    ConditioningOptions o;
    o.Columns.MV = ColumnOption(args, "mv", file.Columns.MV, store.SignalCount);
    o.Columns.U = ColumnOption(args, "u", file.Columns.U, store.SignalCount);
    o.Columns.Y1 = ColumnOption(args, "y1", file.Columns.Y1, store.SignalCount);
    o.Columns.Y2 = ColumnOption(args, "y2", file.Columns.Y2, store.SignalCount);

    o.Settings = file.Settings;
    o.Settings.FilterTime = args.Number("filter").value_or(o.Settings.FilterTime);
    o.Settings.Maximum = args.Number("umax").value_or(o.Settings.Maximum);
    o.Settings.Minimum = args.Number("umin").value_or(o.Settings.Minimum);
    o.Settings.Velocity = args.Number("topen").value_or(o.Settings.Velocity);
    CheckConditioningSettings(o.Settings);

    o.Start = args.Integer("start").value_or(file.Window.Start.Position);
    o.End = args.Integer("end").value_or(file.Window.End.Position);
    if (o.Start < 1 || o.End > store.SampleCount || o.Start > o.End)
        throw UsageError("the window " + std::to_string(o.Start) + ".." + std::to_string(o.End) +
                         " must lie within 1.." + std::to_string(store.SampleCount) +
                         " with start <= end");
    return o;
}
