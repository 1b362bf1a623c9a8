// The shared group and item bookkeeping of the OPC client interface, for
// test builds made before the OPC layer's own implementation is present.

#include "app/Errors.h"
#include "opc/OpcClient.h"

#include <utility>

OpcGroup::OpcGroup(OpcServer& server, QString name, bool isActive, int updateRate, float deadBand,
                   int localeId, int timeBias)
    : server_(server), name_(std::move(name)), isActive_(isActive), updateRate_(updateRate),
      deadBand_(deadBand), localeId_(localeId), timeBias_(timeBias)
{
}

void OpcGroup::SetIsActive(bool active)
{
    isActive_ = active;
    server_.GroupStateChanged(*this);
}

void OpcGroup::SetUpdateRate(int milliseconds)
{
    updateRate_ = milliseconds;
    server_.GroupStateChanged(*this);
}

void OpcGroup::SetDeadBand(float percent)
{
    deadBand_ = percent;
    server_.GroupStateChanged(*this);
}

OpcServer::OpcServer(QObject* parent) : QObject(parent)
{
}

OpcServer::~OpcServer() = default;

OpcGroup* OpcServer::AddGroup(const QString& name)
{
    for (const auto& group : groups_)
        if (group->Name() == name)
            throw OpcError(QStringLiteral("Group %1 already exists").arg(name).toStdString());
    if (name.trimmed().isEmpty())
        throw OpcError(QStringLiteral("Group %1 already exists").arg(name).toStdString());
    const OpcGroupDefaults& d = OPCGroupDefault;
    groups_.push_back(std::make_unique<OpcGroup>(*this, name, d.IsActive, d.UpdateRate, d.DeadBand,
                                                 d.LocaleId, d.TimeBias));
    GroupAdded(*groups_.back());
    return groups_.back().get();
}

void OpcServer::ClearItems(OpcGroup& group)
{
    std::vector<OpcItem*> items;
    for (const auto& item : group.items_)
        items.push_back(item.get());
    ItemsRemoved(group, items);
    group.items_.clear();
}

OpcItem* OpcServer::AddItem(OpcGroup& group, const QString& itemId)
{
    group.items_.push_back(std::make_unique<OpcItem>());
    OpcItem* item = group.items_.back().get();
    item->ItemID = itemId;
    ItemsAdded(group, {item});
    return item;
}

QString OpcItemErrorReport(const QString& header, const QList<QPair<QString, QString>>& refused)
{
    QString report = header + QStringLiteral("\r\n");
    for (qsizetype i = 0; i < refused.size() && i < 26; ++i)
        report +=
            refused[i].first + QStringLiteral(" - ") + refused[i].second + QStringLiteral("\r\n");
    return report;
}

QString OpcServerStateText(int state)
{
    switch (state) {
    case 1:
        return QStringLiteral("running");
    case 2:
        return QStringLiteral("failed");
    case 3:
        return QStringLiteral("no config");
    case 4:
        return QStringLiteral("suspended");
    case 5:
        return QStringLiteral("test");
    default:
        return {};
    }
}
