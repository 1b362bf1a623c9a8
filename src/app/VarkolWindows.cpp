#include "app/VarkolWindows.h"

#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>

namespace {

// What the run window reads from and does to the main window.
void ConnectRunWindow(TForm1& form, TEksperiment& run)
{
    TForm1* main = &form;
    run.Host.IsManualTrial = [main] { return main->RadioRocno->isChecked(); };
    // Checking the button runs the main window's handler for it.
    run.Host.CheckManualTrial = [main] { main->RadioRocno->setChecked(true); };
    run.Host.ReadSliderTexts = [main] {
        return MvSliderTexts{main->Edit_MVMax->text(), main->Edit_MVMin->text(),
                             main->Edit_MVStep->text()};
    };
    run.Host.ReadConditioningTexts = [main] {
        return ConditioningTexts{main->Edit8->text(), main->Edit_Actuator_Maximum->text(),
                                 main->Edit_Actuator_Minimum->text(),
                                 main->Edit_Actuator_Velocity->text()};
    };
    run.Host.ShowExperimentData = [main](const ConditioningTexts& texts) {
        main->ShowExperimentData(texts.FilterTime, texts.ActuatorMaximum, texts.ActuatorMinimum,
                                 texts.ActuatorVelocity);
    };
    run.Host.SetAnalysisStart = [main](int position) { main->ScrollBar3->setValue(position); };
}

} // namespace

VarkolWindows CreateVarkolWindows(Podatki& store, OpcServer& server, OpcServerBrowser& browser)
{
    QApplication::setApplicationName(QStringLiteral("Varkol"));
    VarkolWindows windows;
    windows.Form1 = std::make_unique<TForm1>(store, server, browser);
    // The auxiliary windows are top-level windows of their own, not children
    // of the main window, so that each window's controls are found by name
    // within that window only.
    windows.Eksperiment = std::make_unique<TEksperiment>(store, server);
    windows.Form_SamodNastav = std::make_unique<TForm_SamodNastav>();
    windows.Form_Histogram = std::make_unique<TForm_Histogram>();
    windows.Form_Obdelava_Large = std::make_unique<TForm_Obdelava_Large>();
    ConnectRunWindow(*windows.Form1, *windows.Eksperiment);
    windows.Form1->AttachWindows(windows.Eksperiment.get(), windows.Form_SamodNastav.get(),
                                 windows.Form_Histogram.get(), windows.Form_Obdelava_Large.get());
    return windows;
}
