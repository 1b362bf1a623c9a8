// varkol-cli controller FILE.vkc: the controller page restored from a
// controller file and recomputed, as loading the file in the window does.

#include "cli/CliArguments.h"
#include "cli/Commands.h"
#include "cli/TuningJson.h"
#include "tuning/ControllerFile.h"

#include <algorithm>
#include <cstdio>

namespace {

// An index the list does not hold leaves nothing selected (-1).
int ItemIndex(int index, int count)
{
    return index >= 0 && index < count ? index : -1;
}

} // namespace

int RunController(int argc, char** argv)
{
    const CliArguments args(argc, argv, 2, SequencerOptions, {});
    args.ExpectPositionalCount(1);
    const ControllerSettings s = LoadController(QString::fromStdString(args.Positional()[0]));

    Podatki store;
    store.InnerModel.Gain = s.K1;
    store.InnerModel.TimeConstant = s.T1;
    store.InnerModel.DeadTime = s.L1;
    store.InnerModel.RelativeError = s.InnerRelativeError;
    store.OuterModel.Gain = s.K2;
    store.OuterModel.TimeConstant = s.T2;
    store.OuterModel.DeadTime = s.L2;
    store.OuterModel.RelativeError = s.OuterRelativeError;

    // The values as the page's controls take them: seven methods, two
    // responses, four forms and types, the slider 0..20.
    TuningRequest tuning;
    tuning.Method = ItemIndex(s.Method, 7);
    tuning.SliderPosition = std::clamp(s.SliderPosition, 0, 20);
    tuning.ResponseChoice = ItemIndex(s.ResponseChoice, 2);
    tuning.SamplingTimeText = s.SamplingTimeText;
    tuning.Cascade = s.Cascade;

    ControllerFormRequest form;
    form.Form = ItemIndex(s.Form, 4);
    form.Type = ItemIndex(s.Type, 4);
    form.ScaleP = s.ScaleP;
    form.ScaleI = s.ScaleI;
    form.ScaleD = s.ScaleD;
    ReadSequencerOptions(args, form);

    std::printf("%s\n", TuningJson(store, tuning, form).Serialize().c_str());
    return 0;
}
