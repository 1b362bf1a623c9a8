// varkol-cli model FILE.vkm: the models of a saved model file.

#include "cli/CliArguments.h"
#include "cli/Commands.h"
#include "cli/ModelReport.h"
#include "data/Podatki.h"
#include "model/ModelFile.h"

#include <QString>

#include <cstdio>
#include <memory>

int RunModel(int argc, char** argv)
{
    const CliArguments args(argc, argv, 2, {}, {});
    args.ExpectPositionalCount(1);
    auto store = std::make_unique<Podatki>();
    LoadModel(QString::fromLocal8Bit(args.Required(0, "model file")), *store);
    std::printf("%s\n", ModelReport(*store, JsonValue()).Serialize().c_str());
    return 0;
}
