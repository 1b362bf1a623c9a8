// varkol-cli condition FILE: a data file conditioned as the processing page
// does it, with the statistics of the four processed signals.

#include "base/NumberText.h"
#include "cli/CliArguments.h"
#include "cli/Commands.h"
#include "cli/DataFileCommandSupport.h"
#include "cli/JsonWriter.h"
#include "data/SignalStatistics.h"

#include <cstdio>

namespace {

struct NamedSignal {
    const char* Name;
    const Podatki::Signal& Values;
};

JsonValue StatisticsJson(const SignalStatistics& s)
{
    JsonValue json;
    json.Add("max", s.Max);
    json.Add("min", s.Min);
    json.Add("std", s.Std);
    json.Add("max_text", FormatGeneralC(s.Max, 8));
    json.Add("min_text", FormatGeneralC(s.Min, 8));
    json.Add("std_text", FormatGeneralC(s.Std, 8));
    return json;
}

} // namespace

int RunCondition(int argc, char** argv)
{
    const CliArguments args(argc, argv, 2, ConditioningOptionNames, {"signals"});
    if (args.Positional().size() != 1)
        throw UsageError("usage: condition FILE [--mv N] [--u N] [--y1 N] [--y2 N] [--filter S] "
                         "[--umax X] [--umin X] [--topen S] [--start I] [--end I] [--signals]");
    LoadedDataFile file = LoadDataFile(args.Required(0, "FILE"));
    Podatki& store = *file.Store;
    const ConditioningOptions o = ReadConditioningOptions(args, file);
    const ConditioningSettings& settings = o.Settings;
    const int start = o.Start;
    const int end = o.End;

    ConditionSignals(store, o.Columns, settings);

    JsonValue json;
    json.Add("sampling_time", store.SamplingTime);
    json.Add("sample_count", store.SampleCount);
    json.Add("signal_count", store.SignalCount);
    JsonValue::Array names;
    for (int k = 0; k < store.SignalCount; ++k)
        names.emplace_back(store.ColumnNames[static_cast<std::size_t>(k)]);
    json.Add("column_names", JsonValue(std::move(names)));
    json.Add("date", file.Texts.Date.toStdString());
    json.Add("time", file.Texts.Time.toStdString());
    JsonValue window;
    window.Add("start", start);
    window.Add("end", end);
    json.Add("window", std::move(window));
    JsonValue settingsJson;
    settingsJson.Add("filter", settings.FilterTime);
    settingsJson.Add("umax", settings.Maximum);
    settingsJson.Add("umin", settings.Minimum);
    settingsJson.Add("topen", settings.Velocity);
    json.Add("settings", std::move(settingsJson));

    const NamedSignal processed[] = {{"MV", store.ProcessedMV},
                                     {"U", store.ProcessedU},
                                     {"Y1", store.ProcessedY1},
                                     {"Y2", store.ProcessedY2}};
    JsonValue stats;
    for (const NamedSignal& signal : processed)
        stats.Add(signal.Name,
                  StatisticsJson(ComputeSignalStatistics(signal.Values.data(), start, end)));
    json.Add("stats", std::move(stats));

    if (args.Flag("signals")) {
        const int count = end - start + 1;
        JsonValue values;
        values.Add("time", JsonValue::NumberArray(store.Time.data() + (start - 1), count));
        for (const NamedSignal& signal : processed)
            values.Add(signal.Name,
                       JsonValue::NumberArray(signal.Values.data() + (start - 1), count));
        json.Add("signals", std::move(values));
    }
    std::printf("%s\n", json.Serialize().c_str());
    return 0;
}
