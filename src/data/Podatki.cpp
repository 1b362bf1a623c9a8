#include "data/Podatki.h"

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
      ModelOutputOuter(MaxSamples),
      FitInput(MaxSamples),
      FitOutput(MaxSamples),
      FitOutputSlope(MaxSamples),
      FitModel(MaxSamples),
      FitModelSlope(MaxSamples)
{
    for (Signal& column : RawColumns)
        column.assign(MaxSamples, 0.0);
}
