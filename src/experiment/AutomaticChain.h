#pragma once

// What follows a queued automatic experiment without anybody at the plant:
// the record saved, its pictures drawn, the model identified and saved, the
// controller tuned and saved, the report written and the pictures removed,
// all into the experiment's folder under its label L (L.vkd, L.vkm, L.vkc,
// L.docx). The choices a user would make on the pages come from the
// experiment's settings file (its automatic-experiment settings). Without a
// window: the main window's scheduler and varkol-cli run take the same road
// and refresh what they show from the result.
//
// A step that fails ends the chain there: what was written stays, and the
// failure names the step and the cause (ChainFailure).

#include "base/Errors.h"
#include "experiment/SettingsFile.h"
#include "report/PorociloClass.h"
#include "tuning/TuningText.h"

#include <QString>
#include <QStringList>

#include <optional>

class Podatki;
class ReportPictureExporter;

struct ChainInputs {
    QString Folder; // the experiment's folder
    QString Label;  // L
    QString Title;  // the report's title line (the main window's caption)
    ExperimentSettings Settings;
    // The first sample of the analysis window the run set (90 % of the
    // wait); none: the window from the first sample.
    std::optional<int> AnalysisStart;
};

struct ChainResult {
    QStringList Files;                  // the files written and kept, in order
    int WindowStart = 1, WindowEnd = 1; // the analysis window used
    bool Identified = false;            // the model step ran
    bool Tuned = false;                 // the controller step ran
    std::optional<TuningPageResult> TuningResult;
    ControllerFormTexts FormTexts;
    ReportOutcome Report;
};

// A step of the chain that failed.
class ChainFailure : public VarkolError {
public:
    ChainFailure(const QString& step, const QString& cause, QStringList written);
    QString Step;
    QString Cause;
    QStringList Written; // the files written before it, which stay
};

// Runs the chain on the record in `store` (conditioned here with the
// settings' automatic-experiment choices). Throws ChainFailure.
ChainResult RunAutomaticChain(Podatki& store, const ChainInputs& inputs,
                              ReportPictureExporter& pictures);

// Appends "yyyy-MM-dd hh:mm:ss  text" to L.log in the folder, so that a
// night's failures are found in the morning beside the experiment's files.
// Returns false when even the log cannot be written.
bool AppendChainLog(const QString& folder, const QString& label, const QString& text);
