// Pictures of the main window's seven pages for a visual check of the
// layout. Runs only when VARKOL_SCREENSHOT_DIR names a directory, on a real
// display, e.g. (one command line)
//   xvfb-run -s "-screen 0 1280x900x24" env QT_QPA_PLATFORM=xcb
//     VARKOL_SCREENSHOT_DIR=/tmp/shots build/tests/varkol_gui_tests
//     --gtest_filter='PageScreenshots.*'

#include "app/Glavna.h"
#include "base/RadioGroup.h"
#include "app/VarkolWindows.h"
#include "data/Podatki.h"
#include "opc/OpcClient.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

TEST(PageScreenshots, EveryPage)
{
    const QString directory = qEnvironmentVariable("VARKOL_SCREENSHOT_DIR");
    if (directory.isEmpty())
        GTEST_SKIP() << "VARKOL_SCREENSHOT_DIR not set";
    ScriptedDialogs dialogs;
    Podatki store;
    OpcClientObjects opc = CreateDefaultOpcClient();
    VarkolWindows windows = CreateVarkolWindows(store, *opc.Server, *opc.Browser);
    windows.Form1->move(0, 0);
    windows.Form1->resize(1280, 860);
    windows.Form1->show();
    auto* pages = windows.Form1->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    ASSERT_NE(pages, nullptr);
    QDir().mkpath(directory);
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        QTest::qWait(400);
        const QString file = QDir(directory).filePath(QStringLiteral("page%1.png").arg(page));
        const int status = QProcess::execute(
            QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), file});
        EXPECT_EQ(status, 0) << file.toStdString();
    }
}

// The controller page after "Izračun PID parametrov" on an identified model,
// for a single loop and for a cascade.
TEST(PageScreenshots, TunedControllerPage)
{
    const QString directory = qEnvironmentVariable("VARKOL_SCREENSHOT_DIR");
    if (directory.isEmpty())
        GTEST_SKIP() << "VARKOL_SCREENSHOT_DIR not set";
    ScriptedDialogs dialogs;
    Podatki store;
    store.InnerModel.Gain = 1.2;
    store.InnerModel.TimeConstant = 25;
    store.InnerModel.DeadTime = 4;
    store.OuterModel.Gain = 0.8;
    store.OuterModel.TimeConstant = 60;
    store.OuterModel.DeadTime = 6;
    OpcClientObjects opc = CreateDefaultOpcClient();
    VarkolWindows windows = CreateVarkolWindows(store, *opc.Server, *opc.Browser);
    TForm1& form = *windows.Form1;
    form.move(0, 0);
    form.resize(1280, 860);
    form.show();
    QDir().mkpath(directory);
    const auto shoot = [&](const char* name) {
        QTest::qWait(400);
        const QString file = QDir(directory).filePath(QString::fromLatin1(name));
        EXPECT_EQ(QProcess::execute(QStringLiteral("import"),
                                    {QStringLiteral("-window"), QStringLiteral("root"), file}),
                  0)
            << file.toStdString();
    };
    form.findChild<QPushButton*>(QStringLiteral("Button_PID"))->click();
    form.findChild<RadioGroup*>(QStringLiteral("RadioGroup_IzbiraTipaReg"))->SetItemIndex(3);
    shoot("controller.png");
    form.findChild<QCheckBox*>(QStringLiteral("CheckBox_CascadeReg"))->setChecked(true);
    shoot("controller-cascade.png");
    EXPECT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
}

// The README's first run: a data file (VARKOL_FIRST_RUN_FILE) loaded on the
// processing page, "Izračun modela", "Izračun PID parametrov", and the
// controller page as the user then sees it (controller.png).
TEST(PageScreenshots, FirstRun)
{
    const QString directory = qEnvironmentVariable("VARKOL_SCREENSHOT_DIR");
    const QString data = qEnvironmentVariable("VARKOL_FIRST_RUN_FILE");
    if (directory.isEmpty() || data.isEmpty())
        GTEST_SKIP() << "VARKOL_SCREENSHOT_DIR or VARKOL_FIRST_RUN_FILE not set";
    ScriptedDialogs dialogs;
    Podatki store;
    OpcClientObjects opc = CreateDefaultOpcClient();
    VarkolWindows windows = CreateVarkolWindows(store, *opc.Server, *opc.Browser);
    TForm1& form = *windows.Form1;
    form.resize(1280, 860);
    form.show();
    dialogs.FileAnswers.push_back(data);
    for (const char* button : {"Button3", "Button_Izracun", "Button_PID"}) {
        form.findChild<QPushButton*>(QString::fromLatin1(button))->click();
        QTest::qWait(200);
    }
    // The closed-loop sampling time at the recommended one.
    auto* ts = form.findChild<QLineEdit*>(QStringLiteral("Edit_Vzorcenje"));
    ts->setText(form.findChild<QLabel*>(QStringLiteral("Label_Priporocljiv"))->text());
    QTest::keyClick(ts, Qt::Key_Return);
    QTest::qWait(200);
    ASSERT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join('\n').toStdString();
    QDir().mkpath(directory);
    EXPECT_TRUE(form.grab().save(QDir(directory).filePath(QStringLiteral("controller.png"))));
}
