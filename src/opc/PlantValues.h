#pragma once

// How the program reads the OPC items' stored values (variants of the
// server's types) as doubles, and decides whether writing a number would
// change a tag: before MV is written, and when a written controller
// parameter is read back.

#include <QVariant>

// The stored value as a double (VariantNumber); a value not yet delivered,
// one that is not finite, or any other value gives 0.
double VariantToDouble(const QVariant& value);

// Whether writing `mv` would change a tag that holds `stored`, compared in
// the tag's own type, since the server converts what is written to that
// type:
//  - double: exactly;
//  - float: after rounding mv to single precision (comparing in double
//    would rewrite a float tag on every tick for most values);
//  - integer types: after rounding mv halves to even, as the server
//    converts it; an mv outside the type's range differs;
//  - boolean: mv != 0 against the stored flag;
//  - texts that read as a number: as doubles;
//  - a value not yet delivered, or any other value: differs.
bool VariantDiffersFrom(const QVariant& stored, double mv);
