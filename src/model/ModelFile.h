#pragma once

// The model file (.vkm): the inner and outer model with the signals they
// were fitted on, so that a model can be graded, plotted and used for tuning
// without the measurement. CR LF lines: "VARKOL Model", "V1.0", sixteen key
// lines each followed by its value (14 significant digits, the locale's
// decimal separator), the number of samples, "Podatki:", then one line per
// sample of seven TAB-separated fields (12 significant digits): IdentTime,
// IdentU, IdentY1, MeasuredInner, MeasuredOuter, ModelOutputInner,
// ModelOutputOuter. Values are taken by line position; key lines are not
// read.

#include <QString>

class Podatki;

// Writes InnerModel, OuterModel, SamplingTime (on both sampling-time lines),
// IdentSampleCount and the identification arrays of the store, in one go
// through a QSaveFile (a failed write leaves an existing file as it was).
// Throws FileError when the file cannot be written or a value is not a
// finite number.
void SaveModel(const QString& fileName, const Podatki& store);

// Reads a model file into the store: both models, SamplingTime (line 26,
// the outer process's, wins over line 10), IdentSampleCount, the seven
// arrays, and InnerDelaySamples / OuterDelaySamples from the dead times. All
// or nothing: the store changes only when the whole file was read. Header
// values are read with the locale's decimal separator; sample fields accept
// "," or ".", a field that is not a number reads as 0, and a line of fewer
// than seven fields puts its last field into ModelOutputOuter (the fields
// between read as 0). Throws FileError "file: vrstica N: what" for a header
// value that is not a number, a missing line, or more samples than the store
// holds (MaxSamples).
void LoadModel(const QString& fileName, Podatki& store);
