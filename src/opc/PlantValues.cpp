#include "opc/PlantValues.h"

#include "opc/OpcClient.h"

#include <cmath>
#include <optional>

namespace {

constexpr double TwoTo63 = 9223372036854775808.0;

bool IsSignedInteger(int type)
{
    return type == QMetaType::Int || type == QMetaType::LongLong || type == QMetaType::Short ||
           type == QMetaType::Long || type == QMetaType::Char || type == QMetaType::SChar;
}

bool IsUnsignedInteger(int type)
{
    return type == QMetaType::UInt || type == QMetaType::ULongLong || type == QMetaType::UShort ||
           type == QMetaType::ULong || type == QMetaType::UChar;
}

} // namespace

double VariantToDouble(const QVariant& value)
{
    return VariantNumber(value).value_or(0.0);
}

bool VariantDiffersFrom(const QVariant& stored, double mv)
{
    const int type = stored.typeId();
    if (type == QMetaType::Double)
        return stored.toDouble() != mv;
    if (type == QMetaType::Float)
        return stored.toFloat() != static_cast<float>(mv);
    if (type == QMetaType::Bool)
        return stored.toBool() != (mv != 0.0);
    if (type == QMetaType::QString) {
        const std::optional<double> number = VariantNumber(stored);
        return !number || *number != mv;
    }
    // Integers: the server rounds what is written, halves to even (the
    // default rounding mode of nearbyint).
    const double rounded = std::nearbyint(mv);
    if (IsSignedInteger(type))
        return !(rounded >= -TwoTo63 && rounded < TwoTo63) ||
               static_cast<qlonglong>(rounded) != stored.toLongLong();
    if (IsUnsignedInteger(type))
        return !(rounded >= 0.0 && rounded < 2.0 * TwoTo63) ||
               static_cast<qulonglong>(rounded) != stored.toULongLong();
    return true;
}
