#include "data/Podatki.h"

FitScratch::FitScratch()
    : PaddedInput(Padding + Podatki::MaxSamples),
      PaddedFiltered(Padding + Podatki::MaxSamples),
      InputSlope(Podatki::MaxSamples),
      FilteredOutput(Podatki::MaxSamples),
      OutputSlope(Podatki::MaxSamples),
      FilteredPower(Podatki::MaxSamples + 1),
      ReferencePower(Podatki::MaxSamples + 1),
      ScanGain(Podatki::MaxSamples),
      ScanTimeConstant(Podatki::MaxSamples),
      ScanGainSigma(Podatki::MaxSamples),
      ScanTimeSigma(Podatki::MaxSamples),
      ScanError(Podatki::MaxSamples),
      ShiftedInput(Podatki::MaxSamples),
      ModelOutput(Podatki::MaxSamples),
      ModelSlope(Podatki::MaxSamples),
      FilteredModel(Podatki::MaxSamples),
      Instrument(Podatki::MaxSamples)
{
}

Podatki::Podatki()
    : Time(MaxSamples),
      ProcessedMV(MaxSamples),
      ProcessedU(MaxSamples),
      ProcessedY1(MaxSamples),
      ProcessedY2(MaxSamples),
      LimitedU(MaxSamples),
      SimScratch(MaxSamples),
      IdentTime(MaxSamples),
      IdentU(MaxSamples),
      IdentY1(MaxSamples),
      IdentY2(MaxSamples),
      MeasuredInner(MaxSamples),
      MeasuredOuter(MaxSamples),
      ModelOutputInner(MaxSamples),
      ModelOutputOuter(MaxSamples)
{
    for (Signal& column : RawColumns)
        column.assign(MaxSamples, 0.0);
}
