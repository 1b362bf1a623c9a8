#include "experiment/OpcPlantPort.h"

#include "opc/OpcClient.h"
#include "opc/PlantValues.h"

void OpcPlantPort::ForgetItems()
{
    ItemMV = ItemU = ItemY1 = ItemY2 = nullptr;
    ItemRA = ItemManual = ItemAuto = nullptr;
}

OpcItem* OpcPlantPort::Item(LoopTag tag) const
{
    switch (tag) {
    case LoopTag::MV:
        return ItemMV;
    case LoopTag::U:
        return ItemU;
    case LoopTag::Y1:
        return ItemY1;
    case LoopTag::Y2:
        return ItemY2;
    }
    return nullptr;
}

OpcItem* OpcPlantPort::Item(SwitchTag tag) const
{
    switch (tag) {
    case SwitchTag::RA:
        return ItemRA;
    case SwitchTag::Manual:
        return ItemManual;
    case SwitchTag::Auto:
        return ItemAuto;
    }
    return nullptr;
}

bool OpcPlantPort::Active() const
{
    return server_.Active() && (ItemMV || ItemU || ItemY1 || ItemY2);
}

double OpcPlantPort::Value(LoopTag tag) const
{
    const OpcItem* item = Item(tag);
    return item ? VariantToDouble(item->Value) : 0.0;
}

bool OpcPlantPort::MVDiffers(double value) const
{
    return ItemMV && VariantDiffersFrom(ItemMV->Value, value);
}

void OpcPlantPort::WriteMV(double value)
{
    if (ItemMV)
        server_.WriteItem(*ItemMV, QVariant(value));
}

void OpcPlantPort::WriteSwitch(SwitchTag tag, int value)
{
    if (OpcItem* item = Item(tag))
        server_.WriteItem(*item, QVariant(value));
}

bool OpcPlantPort::IsMVQualityGood() const
{
    return ItemMV && ItemMV->Value.isValid() && IsQualityGood(*ItemMV);
}

QStringList OpcPlantPort::SignalsWithoutGoodQuality() const
{
    QStringList names;
    const std::pair<const char*, LoopTag> roles[] = {
        {"MV", LoopTag::MV}, {"U", LoopTag::U}, {"Y1", LoopTag::Y1}, {"Y2", LoopTag::Y2}};
    for (const auto& [name, tag] : roles) {
        const OpcItem* item = Item(tag);
        if (item && !(item->Value.isValid() && IsQualityGood(*item)))
            names << QString::fromLatin1(name);
    }
    return names;
}
