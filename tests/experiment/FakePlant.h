#pragma once

// A plant for the run engine's tests: values set by the test, an MV tag
// whose stored value changes only when the test delivers it (as a server
// reports a write later), and a log of every write.

#include "base/Errors.h"
#include "experiment/PlantPort.h"

#include <optional>
#include <vector>

struct PlantWrite {
    bool IsMV = false;
    SwitchTag Tag = SwitchTag::RA;
    double Value = 0;
    friend bool operator==(const PlantWrite&, const PlantWrite&) = default;
};

inline PlantWrite MVWrite(double value)
{
    return {true, SwitchTag::RA, value};
}
inline PlantWrite Switch(SwitchTag tag, int value)
{
    return {false, tag, double(value)};
}

class FakePlant : public PlantPort {
public:
    bool IsActive = false;
    bool QualityGood = false;
    std::optional<double> StoredMV; // nothing delivered yet
    double U = 0, Y1 = 0, Y2 = 0;
    std::vector<PlantWrite> Writes;
    bool RefuseMV = false; // WriteMV throws as a refusing server does

    void Connect(double u, double y1, double y2)
    {
        IsActive = true;
        U = u;
        Y1 = y1;
        Y2 = y2;
    }

    bool Active() const override { return IsActive; }
    double Value(LoopTag tag) const override
    {
        return tag == LoopTag::MV   ? StoredMV.value_or(0)
               : tag == LoopTag::U  ? U
               : tag == LoopTag::Y1 ? Y1
                                    : Y2;
    }
    bool MVDiffers(double value) const override { return !StoredMV || *StoredMV != value; }
    void WriteMV(double value) override
    {
        if (RefuseMV)
            throw OpcError("MV refused");
        Writes.push_back(MVWrite(value));
    }
    void WriteSwitch(SwitchTag tag, int value) override { Writes.push_back(Switch(tag, value)); }
    bool IsMVQualityGood() const override { return QualityGood; }
};
