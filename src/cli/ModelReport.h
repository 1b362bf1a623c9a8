#pragma once

// The JSON object of the identify and model commands: the window, the
// sampling time, the sample count and both models with their dead time in
// samples and grade (and their refinements), and whether the sampling is too
// sparse for them.

#include "cli/JsonWriter.h"

class Podatki;
struct RefinedModels;

// The models of the store. `window` is {"start": s, "end": e} after an
// identification, null for a model read from a file (which does not keep
// its window). With `refined`, "inner" and "outer" each get a "refined"
// object: gain, time_constant, dead_time, ci95 (the three 95 % half-widths),
// residual_std, relative_error, grade.
JsonValue ModelReport(const Podatki& store, JsonValue window,
                      const RefinedModels* refined = nullptr);
