// Pictures of the main window's seven pages for a visual check of the
// layout. Runs only when VARKOL_SCREENSHOT_DIR names a directory, on a real
// display, e.g. (one command line)
//   xvfb-run -s "-screen 0 1280x900x24" env QT_QPA_PLATFORM=xcb
//     VARKOL_SCREENSHOT_DIR=/tmp/shots build/tests/varkol_gui_tests
//     --gtest_filter='PageScreenshots.*'

#include "app/VarkolWindows.h"
#include "data/Podatki.h"
#include "opc/OpcClient.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
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
