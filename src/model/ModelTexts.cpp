#include "model/ModelTexts.h"

#include "base/NumberText.h"
#include "data/Podatki.h"
#include "model/ModelQuality.h"

namespace {

// Fixed decimals with all the digits a double holds before them.
QString Fixed(double value, int decimals)
{
    return FormatFixed(value, 15, decimals);
}

} // namespace

ModelTexts ShowModelTexts(const ProcessModel& m)
{
    return {Fixed(m.Gain, 3),          Fixed(m.TimeConstant, 2),
            Fixed(m.DeadTime, 1),      Fixed(m.GainDeviation, 3),
            Fixed(m.TimeDeviation, 2), Fixed(m.ResidualSTD, 5),
            Fixed(m.RelativeError, 5), QString::fromUtf8(GradeText(GradeModel(m.RelativeError)))};
}

QString AppliedModelFigureText(double value)
{
    return Fixed(value, 4);
}
