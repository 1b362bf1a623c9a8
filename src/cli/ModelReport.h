#pragma once

// The JSON object of the identify and model commands: the window, the
// sampling time, the sample count and both models with their dead time in
// samples and grade, and whether the sampling is too sparse for them.

#include "cli/JsonWriter.h"

class Podatki;

// The models of the store. `window` is {"start": s, "end": e} after an
// identification, null for a model read from a file (which does not keep
// its window).
JsonValue ModelReport(const Podatki& store, JsonValue window);
