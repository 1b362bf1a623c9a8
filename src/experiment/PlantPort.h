#pragma once

// What the run engine needs of the plant: the loop's four tags, the R/A
// switch tags and the state of the connection. The program's adapter maps it
// onto the OPC client (the items of the group "Skupina1"); tests and the
// command-line companion use their own.

enum class LoopTag { MV, U, Y1, Y2 };

// The controller's manual/automatic switch tags: one R/A tag, or separate
// "Ročno" and "Avtomatsko" command tags.
enum class SwitchTag { RA, Manual, Auto };

class PlantPort {
public:
    virtual ~PlantPort() = default;

    // Whether the OPC server connection is active; the engine asks on every
    // tick and runs the simulation while it is not.
    virtual bool Active() const = 0;

    // The last delivered value of a tag, converted to a double.
    virtual double Value(LoopTag tag) const = 0;

    // Whether the MV tag's last delivered value differs from `value`, so that
    // writing it would change the tag. A tag that has delivered nothing yet
    // differs from every value.
    virtual bool MVDiffers(double value) const = 0;

    // Writes MV as a double. Throws OpcError when the server refuses it.
    virtual void WriteMV(double value) = 0;

    // Writes an integer command to a switch tag. Throws OpcError when the
    // server refuses it. Does nothing while the connection is inactive.
    virtual void WriteSwitch(SwitchTag tag, int value) = 0;

    // Whether the MV tag's last delivered quality is good.
    virtual bool IsMVQualityGood() const = 0;
};

// No plant at all: every tick runs the built-in simulation and writes go
// nowhere (the command-line companion's simulated runs).
class NoPlant : public PlantPort {
public:
    bool Active() const override { return false; }
    double Value(LoopTag) const override { return 0; }
    bool MVDiffers(double) const override { return true; }
    void WriteMV(double) override {}
    void WriteSwitch(SwitchTag, int) override {}
    bool IsMVQualityGood() const override { return false; }
};
