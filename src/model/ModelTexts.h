#pragma once

// The numbers of the model page as text, with the page's fixed decimals and
// the locale's decimal separator.

#include <QString>

#include <string>

struct ModelRefinementState;
struct ProcessModel;

struct ModelTexts {
    QString Gain;              // 3 decimals
    QString TimeConstant;      // 2
    QString DeadTime;          // 1 (a refined model's 2)
    QString GainDeviation;     // 3
    QString TimeDeviation;     // 2
    QString DeadTimeDeviation; // 2, a refined model's only (else empty)
    QString ResidualSTD;       // 5
    QString RelativeError;     // 5
    QString Grade;             // "Zelo dobra", "Dobra", "Slabsa" or "Slaba"
};

// What the page shows of an identified or loaded model, or of a refined one
// (its deviations are 95 % half-widths, its dead time continuous).
ModelTexts ShowModelTexts(const ProcessModel& model, const ModelRefinementState& refinement);

inline constexpr const char* RefinedModelNoteText =
    "Prikazan je natančnejši model (izhodna napaka)";

// The model page's status-bar text: the sampling warning (or nothing), with
// the note that the refined model is shown when `refined`.
QString ModelStatusText(const std::string& samplingWarning, bool refined);

// The residual STD and relative error after "Uporabi model": 4 decimals.
QString AppliedModelFigureText(double value);

// The model typed into the page's three edits for "Uporabi model", read with
// the locale's separator. Throws ConversionError naming the field of a text
// that is not a number, or of a negative time constant or dead time (no
// process has them; the fit and the tuning would turn them into nonsense).
struct TypedModel {
    double Gain = 0;
    double TimeConstant = 0;
    double DeadTime = 0;
};
TypedModel ParseTypedModel(const QString& gain, const QString& timeConstant,
                           const QString& deadTime);
