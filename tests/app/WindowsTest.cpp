#include "app/VarkolWindows.h"
#include "data/Podatki.h"
#include "opc/OpcClient.h"
#include "support/LocaleScope.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QChartView>
#include <QComboBox>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTabWidget>
#include <QValueAxis>

#include <gtest/gtest.h>

TEST(ProgramWindows, FiveWindowsCreatedHiddenAndAttached)
{
    ScriptedDialogs dialogs;
    Podatki store;
    OpcClientObjects opc = CreateDefaultOpcClient();
    VarkolWindows windows = CreateVarkolWindows(store, *opc.Server, *opc.Browser);

    EXPECT_EQ(QApplication::applicationName(), QStringLiteral("Varkol"));
    EXPECT_EQ(windows.Form1->windowTitle(), QStringLiteral(" Varkol 1.0.7"));
    EXPECT_EQ(windows.Eksperiment->windowTitle(), QStringLiteral("Eksperiment"));
    EXPECT_EQ(windows.Form_SamodNastav->windowTitle(),
              QStringLiteral("Dodatne nastavitve samodejnega poizkusa"));
    EXPECT_EQ(windows.Form_Histogram->windowTitle(), QStringLiteral("Histogram"));
    EXPECT_EQ(windows.Form_Obdelava_Large->windowTitle(), QStringLiteral("Prikaz signala"));

    EXPECT_EQ(windows.Form1->Eksperiment, windows.Eksperiment.get());
    EXPECT_EQ(windows.Form1->Form_SamodNastav, windows.Form_SamodNastav.get());
    EXPECT_EQ(windows.Form1->Form_Histogram, windows.Form_Histogram.get());
    EXPECT_EQ(windows.Form1->Form_Obdelava_Large, windows.Form_Obdelava_Large.get());
    // Each window is a window of its own, so names are looked up per window.
    EXPECT_TRUE(windows.Eksperiment->isWindow());
    EXPECT_FALSE(windows.Form1->isAncestorOf(windows.Eksperiment.get()));

    for (QWidget* window : {static_cast<QWidget*>(windows.Form1.get()),
                            static_cast<QWidget*>(windows.Eksperiment.get()),
                            static_cast<QWidget*>(windows.Form_SamodNastav.get()),
                            static_cast<QWidget*>(windows.Form_Histogram.get()),
                            static_cast<QWidget*>(windows.Form_Obdelava_Large.get())})
        EXPECT_FALSE(window->isVisible()) << window->objectName().toStdString();
}

TEST(ProgramWindows, OtherAutomaticSettingsOpenWithoutBlocking)
{
    ScriptedDialogs dialogs;
    Podatki store;
    OpcClientObjects opc = CreateDefaultOpcClient();
    VarkolWindows windows = CreateVarkolWindows(store, *opc.Server, *opc.Browser);
    windows.Form1->show();

    windows.Form1->findChild<QPushButton*>(QStringLiteral("Button10"))->click();
    EXPECT_TRUE(windows.Form_SamodNastav->isVisible());
    EXPECT_FALSE(windows.Form_SamodNastav->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(windows.Form1->isEnabled());
}

TEST(ProgramWindows, TheDefaultClientOffersTheDemoServer)
{
    ScriptedDialogs dialogs;
    Podatki store;
    OpcClientObjects opc = CreateDefaultOpcClient();
    opc.Server->ConnectDelay = 0;
    VarkolWindows windows = CreateVarkolWindows(store, *opc.Server, *opc.Browser);

    auto* servers = windows.Form1->findChild<QComboBox*>(QStringLiteral("ComboBox2"));
    ASSERT_GE(servers->count(), 1);
    EXPECT_EQ(servers->currentText(), QStringLiteral("Varkol.DemoServer.1"));
    windows.Form1->findChild<QPushButton*>(QStringLiteral("PoveziOPCStreznik"))->click();
    EXPECT_TRUE(opc.Server->Active());
    EXPECT_EQ(windows.Form1->findChild<QLabel*>(QStringLiteral("Label54"))->text(),
              QStringLiteral("running"));
    EXPECT_TRUE(dialogs.Errors.isEmpty());
}

TEST(ProgramWindows, TheMainWindowsGroupComesBeforeTheRunWindows)
{
    ScriptedDialogs dialogs;
    Podatki store;
    OpcClientObjects opc = CreateDefaultOpcClient();
    VarkolWindows windows = CreateVarkolWindows(store, *opc.Server, *opc.Browser);
    ASSERT_EQ(opc.Server->OPCGroups().size(), 2u);
    EXPECT_EQ(opc.Server->OPCGroups()[0]->Name(), QStringLiteral("SkupReg"));
    EXPECT_EQ(opc.Server->OPCGroups()[1]->Name(), QStringLiteral("Skupina1"));
    EXPECT_TRUE(dialogs.Errors.isEmpty());
}

namespace {

// The numbers among the texts a chart has drawn (axis labels).
QStringList NumberLabels(QChartView* view)
{
    static const QRegularExpression number(QStringLiteral(R"(^-?\d[\d.,]*$)"));
    QStringList labels;
    for (QGraphicsItem* item : view->scene()->items())
        if (auto* text = qgraphicsitem_cast<QGraphicsTextItem*>(item))
            if (number.match(text->toPlainText()).hasMatch())
                labels << text->toPlainText();
    return labels;
}

} // namespace

TEST(ProgramWindows, EveryChartLabelsItsAxesWithTheLocalesDecimalMark)
{
    LocaleScope comma(LocaleScope::Comma());
    ScriptedDialogs dialogs;
    Podatki store;
    OpcClientObjects opc = CreateDefaultOpcClient();
    VarkolWindows windows = CreateVarkolWindows(store, *opc.Server, *opc.Browser);
    const QList<QWidget*> all = {windows.Form1.get(), windows.Eksperiment.get(),
                                 windows.Form_SamodNastav.get(), windows.Form_Histogram.get(),
                                 windows.Form_Obdelava_Large.get()};
    int charts = 0;
    for (QWidget* window : all) {
        const QList<QChartView*> views = window->findChildren<QChartView*>();
        if (views.isEmpty())
            continue;
        window->show();
        for (QChartView* view : views) {
            // Visible on its page, with fractional labels to draw (the
            // histogram's count axis stays whole: it ends at 2.5 then).
            for (QWidget* w = view; w && w != window; w = w->parentWidget())
                if (auto* tabs = qobject_cast<QTabWidget*>(w->parentWidget()->parentWidget()))
                    tabs->setCurrentWidget(w);
            for (QAbstractAxis* axis : view->chart()->axes())
                if (auto* values = qobject_cast<QValueAxis*>(axis))
                    values->setRange(0, 2.5);
            QApplication::processEvents();
            const QStringList labels = NumberLabels(view);
            const QString name = window->objectName() + u'/' + view->objectName();
            EXPECT_FALSE(labels.isEmpty()) << name.toStdString();
            EXPECT_FALSE(labels.join(u' ').contains(u'.'))
                << name.toStdString() << ": " << labels.join(u' ').toStdString();
            EXPECT_TRUE(labels.join(u' ').contains(u','))
                << name.toStdString() << ": " << labels.join(u' ').toStdString();
            ++charts;
        }
        window->hide();
    }
    EXPECT_GE(charts, 12);
}

TEST(ProgramWindows, FileFiltersNameEachPatternOnce)
{
    EXPECT_EQ(QtNameFilters(QStringLiteral("Varkol Experiment (*.vkx)|*.vkx|All files|*.*")),
              QStringLiteral("Varkol Experiment (*.vkx);;All files (*)"));
    EXPECT_EQ(
        QtNameFilters(QStringLiteral("Data files (*.txt, *.dat)|*.txt; *.dat|All files (*.*)|*.*")),
        QStringLiteral("Data files (*.txt *.dat);;All files (*)"));
}
