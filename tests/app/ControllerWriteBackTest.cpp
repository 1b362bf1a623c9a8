// "Naloži v regulator": the P, I and D fields written to the tags of rows 7
// to 9 on the demo server, and every way the write-back refuses or stops.

#include "ProgramFixture.h"
#include "base/NumberText.h"
#include "support/LocaleScope.h"

#include <QLineEdit>
#include <QStatusBar>

namespace {

using Log = QList<QPair<QString, QVariant>>;

class WriteBack : public ProgramFixture {
protected:
    WriteBack()
    {
        Tags().SetCell(0, 7, DemoTags::P1);
        Tags().SetCell(0, 8, DemoTags::I1);
        Tags().SetCell(0, 9, DemoTags::D1);
        // Deliveries without the default second between them.
        form->WriteBackGroup->SetUpdateRate(20);
    }

    void Fields(const QString& p, const QString& i, const QString& d)
    {
        Find<QLineEdit>("Edit_Reg_Kp")->setText(p);
        Find<QLineEdit>("Edit_Reg_Ki")->setText(i);
        Find<QLineEdit>("Edit_Reg_Kd")->setText(d);
    }
    void Load() { Find<QPushButton>("Button16")->click(); }
    QString LastError() const { return dialogs.Errors.value(dialogs.Errors.size() - 1); }
};

} // namespace

TEST_F(WriteBack, ParametersArriveInOrderAnEmptyFieldAsTheIntegerZero)
{
    LocaleScope comma(LocaleScope::Comma());
    Connect();
    Fields("1,5", "0,25", "");
    Load();
    ASSERT_TRUE(dialogs.Errors.isEmpty()) << LastError().toStdString();
    ASSERT_EQ(demo->WriteLog, (Log{{DemoTags::P1, 1.5}, {DemoTags::I1, 0.25}, {DemoTags::D1, 0}}));
    EXPECT_EQ(demo->WriteLog[0].second.typeId(), QMetaType::Double);
    EXPECT_EQ(demo->WriteLog[2].second.typeId(), QMetaType::Int);
    // The controller tags keep what was written.
    EXPECT_EQ(demo->FindTag(DemoTags::P1)->Value, QVariant(1.5));
    EXPECT_EQ(demo->FindTag(DemoTags::D1)->Value, QVariant(0.0));
    // The write-back group holds the three parameter items, and the button
    // is usable again.
    ASSERT_EQ(form->WriteBackGroup->OPCItems().size(), 3u);
    EXPECT_EQ(form->WriteBackGroup->OPCItems()[2]->ItemID, DemoTags::D1);
    EXPECT_TRUE(Find<QPushButton>("Button16")->isEnabled());

    // A second write-back starts again from an empty group.
    Fields("2", "", "0,5");
    Load();
    EXPECT_EQ(form->WriteBackGroup->OPCItems().size(), 3u);
    EXPECT_EQ(demo->WriteLog.mid(3),
              (Log{{DemoTags::P1, 2.0}, {DemoTags::I1, 0}, {DemoTags::D1, 0.5}}));
    // Said in the status bar, as the fields show it; and gone when the next
    // write-back fails.
    EXPECT_EQ(form->StatusBar1->currentMessage(),
              QStringLiteral("Naloženo v regulator: Loop1.Controller1.P = 2; Loop1.Controller1.I "
                             "= 0; Loop1.Controller1.D = 0,5."));
    demo->RefuseWrite(DemoTags::P1);
    Load();
    EXPECT_EQ(dialogs.Errors.size(), 1);
    EXPECT_TRUE(form->StatusBar1->currentMessage().isEmpty());
}

TEST_F(WriteBack, AFieldThatIsNotAFiniteNumberWritesNothing)
{
    LocaleScope point(LocaleScope::Point());
    Connect();
    const std::pair<const char*, QStringList> cases[] = {
        {"I", {"1.5", "abc", "0.1"}},
        {"D", {"1.5", "0.2", "inf"}},
        {"P", {"nan", "0.2", "0.1"}},
        {"I", {"1.5", "1,5", "0.1"}}, // the other decimal mark is not this locale's
    };
    for (const auto& [field, texts] : cases) {
        dialogs.Errors.clear();
        Fields(texts[0], texts[1], texts[2]);
        Load();
        ASSERT_EQ(dialogs.Errors.size(), 1) << field;
        EXPECT_TRUE(LastError().startsWith(QStringLiteral("Parameter %1: ").arg(field)))
            << LastError().toStdString();
        EXPECT_TRUE(LastError().contains("noben parameter")) << LastError().toStdString();
    }
    EXPECT_TRUE(demo->WriteLog.isEmpty());
}

TEST_F(WriteBack, WithoutGoodQualityOfThePItemNothingIsWritten)
{
    Fields("1", "2", "3");

    // No connection: said at once.
    Load();
    ASSERT_EQ(dialogs.Errors.size(), 1);
    EXPECT_TRUE(LastError().contains(QStringLiteral("povezava z OPC strežnikom ni vzpostavljena")))
        << LastError().toStdString();

    // A parameter without a tag: nothing is written, and it is said which.
    Connect();
    Tags().SetCell(0, 9, QString());
    Load();
    ASSERT_EQ(dialogs.Errors.size(), 2);
    EXPECT_TRUE(LastError().endsWith(QStringLiteral("manjka oznaka točke \"D člen\".")))
        << LastError().toStdString();
    Tags().SetCell(0, 9, DemoTags::D1);

    // A P tag the server does not know never gets a good quality: the wait
    // ends at its bound.
    form->WriteBackQualityWaitMs = 300;
    Tags().SetCell(0, 7, QStringLiteral("Loop1.Controller1.Nope"));
    Load();
    ASSERT_EQ(dialogs.Errors.size(), 3);
    EXPECT_TRUE(LastError().contains(QStringLiteral("\"Loop1.Controller1.Nope\" v %1 s ni dobila "
                                                    "dobre kakovosti")
                                         .arg(FormatGeneral(0.3, 6))))
        << LastError().toStdString();
    // The refused add was reported on its own.
    EXPECT_EQ(dialogs.Messages.size(), 1);
    EXPECT_TRUE(demo->WriteLog.isEmpty());
    EXPECT_TRUE(Find<QPushButton>("Button16")->isEnabled());
}

TEST_F(WriteBack, ARefusedWriteStopsTheRestAndSaysWhatWasWritten)
{
    LocaleScope point(LocaleScope::Point());
    Connect();
    demo->RefuseWrite(DemoTags::I1);
    Fields("1.5", "0.5", "0.1");
    Load();
    EXPECT_EQ(demo->WriteLog, (Log{{DemoTags::P1, 1.5}}));
    ASSERT_EQ(dialogs.Errors.size(), 1);
    EXPECT_TRUE(LastError().startsWith(QStringLiteral("Cannot write Items:\r\n") + DemoTags::I1))
        << LastError().toStdString();
    EXPECT_TRUE(LastError().endsWith(QStringLiteral("Zapisano: P."))) << LastError().toStdString();

    demo->AcceptAll();
    demo->RefuseWrite(DemoTags::P1);
    Load();
    EXPECT_EQ(demo->WriteLog.size(), 1);
    EXPECT_TRUE(LastError().endsWith(QStringLiteral("Noben parameter ni bil zapisan.")));
}
