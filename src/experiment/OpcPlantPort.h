#pragma once

// The run engine's plant over the OPC client: the loop's tags are the items
// of the run window's group "Skupina1" that the caller added for the run.
// An item that is not set (nullptr) reads 0 and is never written, so a role
// without a tag simply does nothing. A loop without any of its four tags is
// no plant at all: the run then goes on the simulation even while the
// connection is active (it may be there only for the controller's
// parameters).

#include "experiment/PlantPort.h"

#include <QStringList>

class OpcItem;
class OpcServer;

class OpcPlantPort : public PlantPort {
public:
    explicit OpcPlantPort(OpcServer& server) : server_(server) {}

    // The items of one run; they belong to their group and must be reset
    // (ForgetItems) when the group's items are cleared.
    OpcItem* ItemMV = nullptr;
    OpcItem* ItemU = nullptr;
    OpcItem* ItemY1 = nullptr;
    OpcItem* ItemY2 = nullptr;
    OpcItem* ItemRA = nullptr;
    OpcItem* ItemManual = nullptr;
    OpcItem* ItemAuto = nullptr;

    void ForgetItems();

    // The connection is active and the loop has at least one tag.
    bool Active() const override;
    double Value(LoopTag tag) const override;
    // A missing MV item never differs: there is nothing to write to.
    bool MVDiffers(double value) const override;
    // MV as a double.
    void WriteMV(double value) override;
    // The command as an integer.
    void WriteSwitch(SwitchTag tag, int value) override;
    // Good quality of a value the server has actually delivered; false
    // without an MV item.
    bool IsMVQualityGood() const override;
    // The loop's signals ("MV", "U", "Y1", "Y2") whose tag has no value of
    // good quality now.
    QStringList SignalsWithoutGoodQuality() const;

private:
    OpcItem* Item(LoopTag tag) const;
    OpcItem* Item(SwitchTag tag) const;

    OpcServer& server_;
};
