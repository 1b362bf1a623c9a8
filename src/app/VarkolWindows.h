#pragma once

// The program's five windows, created at start in this order and living
// until the program ends: the main window, the experiment run window, the
// automatic-experiment settings, the histogram and the large signal view.
// The main window receives the other four (AttachWindows) once they exist
// and drives the run window with run plans.

#include "app/Glavna.h"
#include "data/Unit_Hystogram.h"
#include "data/Unit_Obdelava_Large.h"
#include "experiment/FormaEksperiment.h"
#include "tuning/Unit_SamodejneNastavitve.h"

#include <functional>
#include <memory>

struct VarkolWindows {
    // Declared in creation order, so that they are destroyed in reverse and
    // the main window outlives the windows that refer to it.
    std::unique_ptr<TForm1> Form1;
    std::unique_ptr<TEksperiment> Eksperiment;
    std::unique_ptr<TForm_SamodNastav> Form_SamodNastav;
    std::unique_ptr<TForm_Histogram> Form_Histogram;
    std::unique_ptr<TForm_Obdelava_Large> Form_Obdelava_Large;
};

// Sets the application title and creates the five windows (all hidden).
// The store, server and browser must outlive the windows.
VarkolWindows CreateVarkolWindows(Podatki& store, OpcServer& server, OpcServerBrowser& browser);

// The same in two parts, so that the program can show its main window
// before the other four exist: the application title and the main window,
// then the four auxiliary windows, attached to the main window.
VarkolWindows CreateMainWindow(Podatki& store, OpcServer& server, OpcServerBrowser& browser);
void CreateAuxiliaryWindows(VarkolWindows& windows, Podatki& store, OpcServer& server);

// Runs `work` once `window` has been drawn for the first time (from the
// event loop, after the drawing has reached the screen), or after a second
// when it has not been drawn by then.
void AfterFirstPaint(QWidget& window, std::function<void()> work);

class QApplication;
// Loads Qt's Slovenian translations (qt_sl) for its own dialogs, when
// they are installed.
void InstallSlovenianTranslations(QApplication& app);
