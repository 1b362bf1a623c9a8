// "Naloži v regulator" and "Povrni prejšnje" on the controller page: the
// page's fields and tags reach the demo server after the question is
// answered Yes, and the previous values go back. The rules of the
// write-back are tested with ControllerWriteBack itself.

#include "ProgramFixture.h"
#include "support/LocaleScope.h"

#include <QLineEdit>
#include <QStatusBar>

namespace {

using Log = QList<QPair<QString, QVariant>>;

class WriteBack : public ProgramFixture {
protected:
    WriteBack()
    {
        Tags().SetCell(0, RoleRow(TagRole::P), DemoTags::P1);
        Tags().SetCell(0, RoleRow(TagRole::I), DemoTags::I1);
        Tags().SetCell(0, RoleRow(TagRole::D), DemoTags::D1);
        // Deliveries without the default second between them.
        form->WriteBackGroup->SetUpdateRate(20);
        form->TuningCurrent = true;
    }

    void Fields(const QString& p, const QString& i, const QString& d)
    {
        Find<QLineEdit>("Edit_Reg_Kp")->setText(p);
        Find<QLineEdit>("Edit_Reg_Ki")->setText(i);
        Find<QLineEdit>("Edit_Reg_Kd")->setText(d);
    }
    QString Status() const { return form->StatusBar1->currentMessage(); }
};

} // namespace

TEST_F(WriteBack, TheFieldsGoToTheControllerWhenTheUserSaysYesAndComeBackOnRequest)
{
    LocaleScope comma(LocaleScope::Comma());
    Connect();
    demo->SetTagValue(DemoTags::P1, 2.0);
    Fields("1,5", "0,25", "");
    auto* load = Find<QPushButton>("Button16");
    auto* restore = Find<QPushButton>("Button_PovrniPrejsnje");
    EXPECT_FALSE(restore->isEnabled());

    load->click(); // No, the default answer
    EXPECT_EQ(dialogs.Questions.value(0), "Zapišem v regulator?\nP (Loop1.Controller1.P) = 1,5\n"
                                          "I (Loop1.Controller1.I) = 0,25\n"
                                          "D (Loop1.Controller1.D) = 0");
    EXPECT_TRUE(demo->WriteLog.isEmpty());
    EXPECT_EQ(Status(), "Parametri niso bili naloženi v regulator.");

    dialogs.AskAnswers = {true};
    load->click();
    ASSERT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
    EXPECT_EQ(demo->WriteLog, (Log{{DemoTags::P1, 1.5}, {DemoTags::I1, 0.25}, {DemoTags::D1, 0}}));
    EXPECT_TRUE(Status().startsWith("Naloženo v regulator: P (Loop1.Controller1.P) 2 → 1,5;"));
    EXPECT_TRUE(load->isEnabled());
    ASSERT_TRUE(restore->isEnabled());

    dialogs.AskAnswers = {true};
    restore->click();
    EXPECT_EQ(demo->WriteLog.value(3), (QPair<QString, QVariant>{DemoTags::P1, 2.0}));
    EXPECT_EQ(demo->FindTag(DemoTags::P1)->Value, QVariant(2.0));
}

TEST_F(WriteBack, NothingIsAskedOrWrittenWithoutATuningOrAConnection)
{
    Fields("1", "2", "3");
    form->TuningCurrent = false;
    Connect();
    Find<QPushButton>("Button16")->click();
    ASSERT_EQ(dialogs.Errors.size(), 1);
    EXPECT_TRUE(dialogs.Errors[0].contains("še ni izračunanih")) << dialogs.Errors[0].toStdString();

    form->TuningCurrent = true;
    connection.DisconnectServer();
    Find<QPushButton>("Button16")->click();
    ASSERT_EQ(dialogs.Errors.size(), 2);
    EXPECT_TRUE(dialogs.Errors[1].contains("povezava z OPC strežnikom ni vzpostavljena"));
    EXPECT_TRUE(dialogs.Questions.isEmpty());
    EXPECT_TRUE(demo->WriteLog.isEmpty());
}
