#pragma once

// The quality of an identified model: its grade, the check of the sampling
// period against both models, the figures of a model output against its
// reference, and the re-evaluation of a model whose K, T and L the user has
// edited ("Uporabi model").

#include "data/Podatki.h"

#include <string>

enum class ModelGrade { VeryGood, Good, Poorer, Poor };

// By the relative error r: r < 0.01 very good, r < 0.05 good, r < 0.12
// poorer, else (NaN included) poor.
ModelGrade GradeModel(double relativeError);

// "Zelo dobra", "Dobra", "Slabsa", "Slaba".
const char* GradeText(ModelGrade grade);

inline constexpr const char* SamplingWarningText = "Opozorilo: Vzorčenje je preredko";

// True when inner L + T or outer T + L, each rounded to a whole number
// (halves to even), is at most three sampling periods.
bool SamplingTooSparse(const ProcessModel& inner, const ProcessModel& outer, double ts);

// The status-bar text of the sampling check: SamplingWarningText or "".
std::string CheckSampling(const ProcessModel& inner, const ProcessModel& outer, double ts);

struct ModelFitQuality {
    double ResidualSTD = 0;   // standard deviation of reference - output
    double RelativeError = 0; // RMS error over the reference's deviation (1 without deviation)
};

// The quality figures of a model output against its reference over samples
// 1..n.
ModelFitQuality MeasureModelFit(const double* reference, const double* output, int n);

// Re-evaluates the shown process (outer or inner) with the user's gain, time
// constant [s] and dead time [s] (used as entered: SimulateFOPDT rounds it to
// samples; a refined model is evaluated as one, with the dead time exact and
// its offset): the model output over the identification window, its
// residual STD and relative error. Stores K, T, L, the two figures and the output; the
// deviations and the dead time in samples stay. Throws ComputationError,
// changing nothing, when the result is not finite.
ModelFitQuality ApplyModel(Podatki& store, bool outer, double gain, double timeConstant,
                           double deadTime);
