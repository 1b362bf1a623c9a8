// varkol-cli convert IN OUT.vkd: any readable data file written as a .vkd,
// as loading it on the processing page and saving it again would: the
// standard columns, the file's window and settings, the present date and
// time.

#include "cli/CliArguments.h"
#include "cli/Commands.h"
#include "cli/DataFileCommandSupport.h"
#include "cli/JsonWriter.h"

#include <cstdio>

int RunConvert(int argc, char** argv)
{
    const CliArguments args(argc, argv, 2, {}, {});
    args.ExpectPositionalCount(2);
    const std::string output = args.Required(1, "OUT.vkd");
    const LoadedDataFile file = LoadDataFile(args.Required(0, "IN"));
    const Podatki& store = *file.Store;
    SaveMeasurements(store, QString::fromLocal8Bit(output.c_str()), CurrentDateText(),
                     CurrentTimeText(), store.SamplingTime, store.SampleCount,
                     file.Window.Start.Position, file.Window.End.Position, file.Settings,
                     file.Columns, FieldNames(store, file.Columns));

    JsonValue json;
    json.Add("input", args.Required(0, "IN"));
    json.Add("output", output);
    json.Add("sample_count", store.SampleCount);
    json.Add("signal_count", store.SignalCount);
    std::printf("%s\n", json.Serialize().c_str());
    return 0;
}
