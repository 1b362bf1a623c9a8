#pragma once

// The JSON object that `tune` and `controller` print: one recomputation of
// the controller page and its controller form.

#include "cli/CliArguments.h"
#include "cli/JsonWriter.h"
#include "data/Podatki.h"
#include "tuning/TuningText.h"

#include <set>
#include <string>

// The options both commands share: the sequencer and the Y1 range.
extern const std::set<std::string> SequencerOptions;

// Reads --sequencer "x:y,x:y,..." and --y1-range LO:HI ('.' as decimal mark)
// into the form request; the sequencer counts as present when given.
void ReadSequencerOptions(const CliArguments& args, ControllerFormRequest& form);

struct ControllerSettings;

// The controller page as loading a controller file leaves it: the models
// into the store, the page's choices into the requests (an index the lists
// do not hold leaves nothing selected; the slider within 0..20).
void RestoreControllerPage(const ControllerSettings& settings, Podatki& store,
                           TuningRequest& tuning, ControllerFormRequest& form);

// Recomputes the page for the store's models and converts the chosen form.
// Throws when the tuning, the responses or the form cannot be computed.
JsonValue TuningJson(Podatki& store, const TuningRequest& tuning, ControllerFormRequest form);
