#pragma once

// The identification written out step by step, one dead time at a time,
// with nothing shared between dead times: the reference that the fast
// identification is checked against (and measured against in the
// benchmark). Slow: every scan costs several simulations per dead time.

#include "model/ModelClass.h"

// One process: u -> y over n samples; writes the reference and the model
// output like IdentifyProcess.
ProcessIdentification LiteralIdentifyProcess(const double* u, const double* y, int n, double ts,
                                             double t0, double* reference, double* output);

// Both processes over start..end, with the results stored like
// IdentifyModels (no checks of the window).
void LiteralIdentifyModels(Podatki& store, int start, int end);
