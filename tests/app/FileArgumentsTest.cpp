// Files named at start open on their pages, as the load buttons open them.

#include "data/DataFile.h"
#include "experiment/SettingsFile.h"
#include "model/ModelFile.h"
#include "support/MainWindowFixture.h"
#include "tuning/ControllerFile.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>

namespace {

class FileArgumentsTest : public MainWindowFixture {
protected:
    FileArgumentsTest()
    {
        Podatki data;
        data.SampleCount = 30;
        data.SignalCount = 6;
        data.SamplingTime = 0.5;
        for (int i = 0; i < 30; ++i) {
            data.Time[static_cast<std::size_t>(i)] = 0.5 * i;
            for (int k = 1; k <= 6; ++k)
                data.Column(k)[static_cast<std::size_t>(i)] = i < 10 ? 0 : k;
        }
        SaveMeasurements(data, Path("meritev.vkd"), QStringLiteral("1. 2. 2026"),
                         QStringLiteral("10:00:00"), 0.5, 30, 1, 30, {}, {}, FieldNames(data, {}));
        Podatki model;
        model.SamplingTime = 1;
        model.InnerModel = {.Gain = 2, .TimeConstant = 5, .DeadTime = 1};
        model.OuterModel = model.InnerModel;
        SaveModel(Path("proces.vkm"), model);
        ControllerSettings controller;
        controller.K1 = 1;
        controller.T1 = 10;
        controller.L1 = 2;
        controller.SamplingTimeText = QStringLiteral("0.25");
        SaveController(Path("regulator.vkc"), controller);
        ExperimentSettings settings;
        settings.SamplingPeriod = QStringLiteral("7");
        WriteExperimentSettings(Path("poizkus.vkx"), settings);
    }

    QString Path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    QWidget* Page() const { return form->PageControl1->currentWidget(); }

    QTemporaryDir dir;
};

TEST_F(FileArgumentsTest, EachKindOpensOnItsPage)
{
    form->OpenFiles({Path("meritev.vkd")});
    EXPECT_EQ(Page(), form->ObdTab);
    EXPECT_EQ(form->Label_Ime->text(), "meritev.vkd");

    form->OpenFiles({Path("proces.vkm")});
    EXPECT_EQ(Page(), form->ModTab);
    EXPECT_EQ(form->Label_IzvorModela->text(), "Iz: proces.vkm");

    form->OpenFiles({Path("regulator.vkc")});
    EXPECT_EQ(Page(), form->RegTab);
    EXPECT_EQ(form->Edit_Vzorcenje->text(), "0.25");
    EXPECT_TRUE(form->TuningCurrent);

    form->OpenFiles({Path("poizkus.vkx")});
    EXPECT_EQ(Page(), form->EkspTab);
    EXPECT_EQ(form->CasVzorcenjaEdit->text(), "7");
    EXPECT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
}

TEST_F(FileArgumentsTest, AFileThatFailsShowsItsMessageAndTheRestOpen)
{
    // A model under a name that does not tell: its first line does.
    ASSERT_TRUE(QFile::copy(Path("proces.vkm"), Path("proces.kopija")));
    form->OpenFiles({Path("poizkus.vkx"), Path("manjka.vkd"), Path("proces.kopija")});
    ASSERT_EQ(dialogs.Errors.size(), 1);
    EXPECT_TRUE(dialogs.Errors[0].contains("manjka.vkd")) << dialogs.Errors[0].toStdString();
    EXPECT_EQ(Page(), form->ModTab); // the last file opened
    EXPECT_EQ(form->Label_IzvorModela->text(), "Iz: proces.kopija");
    EXPECT_TRUE(form->Label_Ime->text().isEmpty()); // the missing file changed nothing

    // A failing last file leaves the page of the last one opened.
    form->OpenFiles({Path("poizkus.vkx"), Path("manjka.vkc")});
    EXPECT_EQ(dialogs.Errors.size(), 2);
    EXPECT_EQ(Page(), form->EkspTab);
}

} // namespace
