#pragma once

// The values of a report taken from computed results rather than read off a
// window's labels: the automatic chain and varkol-cli fill ReportInputs this
// way, with the same texts the pages show for the same results.

#include "report/PorociloClass.h"

class Podatki;
struct ControllerFormTexts;
struct ExperimentSettings;
struct TuningPageResult;

// The server, the tags, the template and the three sections of a settings file.
void SetReportSettings(ReportInputs& in, const ExperimentSettings& settings);

// The statistics of the four processed signals over samples start..end, as
// the processing page shows them.
void SetReportStatistics(ReportInputs& in, const Podatki& store, int start, int end);

// The model page's texts of the inner (or outer) model.
void SetReportModel(ReportInputs& in, const Podatki& store, bool outer);

// The controller page's gain labels and the scaled fields of the form.
void SetReportTuning(ReportInputs& in, const TuningPageResult& tuning,
                     const ControllerFormTexts& form);
