// Every seed of the fuzz corpora and every input a fuzz target ever failed
// on, through the target's check: the regressions of the readers.

#include "fuzz/FuzzChecks.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

TEST(FuzzReplay, SeedsAndRegressionsKeepEveryPromise)
{
    const QDir root(QStringLiteral(VARKOL_FUZZ_DIR));
    int replayed = 0;
    for (const FuzzTarget& target : FuzzTargets) {
        int seeds = 0;
        for (const char* kind : {"corpus", "regressions"}) {
            const QDir dir(root.filePath(QStringLiteral("%1/%2").arg(kind, target.Name)));
            for (const QString& name : dir.entryList(QDir::Files)) {
                QFile file(dir.filePath(name));
                ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
                const QByteArray bytes = file.readAll();
                EXPECT_EQ(target.Check(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                       static_cast<std::size_t>(bytes.size())),
                          "")
                    << kind << "/" << target.Name << "/" << name.toStdString();
                ++replayed;
                seeds += kind == std::string("corpus");
            }
        }
        EXPECT_GT(seeds, 0) << "no seeds for " << target.Name;
    }
    EXPECT_GT(replayed, 0);
}

} // namespace
