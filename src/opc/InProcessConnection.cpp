#include "opc/InProcessConnection.h"

#include "base/Errors.h"

#include <QEventLoop>
#include <QTimer>

#include <cmath>

namespace {

// The pause between creating the server object and using it: the event loop
// keeps running (deliveries, timers) but user input waits.
void PauseKeepingEventsFlowing(int milliseconds)
{
    if (milliseconds <= 0)
        return;
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

bool IsNumber(const QVariant& value)
{
    const int type = value.typeId();
    return type == QMetaType::Double || type == QMetaType::Float || type == QMetaType::Int;
}

} // namespace

// A group timer may be the sender of the tick that ends the connection, so
// it is never deleted inside its own signal.
void InProcessConnection::TimerDeleter::operator()(QTimer* timer) const
{
    timer->stop();
    timer->deleteLater();
}

InProcessConnection::InProcessConnection(std::shared_ptr<InProcessRegistry> registry,
                                         QObject* parent)
    : OpcServer(parent), registry_(std::move(registry))
{
}

InProcessConnection::~InProcessConnection()
{
    EndConnection();
}

void InProcessConnection::ConnectServer(const QString& progId, const QString& computer)
{
    DisconnectServer();
    ServerName = progId;
    ComputerName = computer;
    std::shared_ptr<InProcessServer> server =
        progId.trimmed().isEmpty() ? nullptr : registry_->Find(progId);
    if (!server)
        throw OpcError("Server name not found in registry or empty");
    PauseKeepingEventsFlowing(ConnectDelay);
    if (!IsLocalComputer(computer) || !server->AcceptConnection())
        throw OpcError(
            QStringLiteral("Unable to connect to OPC server %1").arg(ServerName).toStdString());

    // A shutdown request arrives like the server's callback: through the event loop.
    connect(
        server.get(), &InProcessServer::ShutdownRequested, this,
        [this, requester = server.get()] {
            if (server_.get() == requester)
                DisconnectServer();
        },
        Qt::QueuedConnection);
    server_ = std::move(server);
    CreateGroupsOnServer();
}

void InProcessConnection::DisconnectServer()
{
    if (!Active())
        return;
    EndConnection();
    emit OnDisconnect();
}

void InProcessConnection::EndConnection()
{
    if (!server_)
        return;
    disconnect(server_.get(), nullptr, this, nullptr);
    serverGroups_.clear();
    ForgetServerHandles();
    server_.reset();
}

QString InProcessConnection::ServerStateText() const
{
    return server_ ? OpcServerStateText(server_->State) : QString();
}

QList<OpcBrowseEntry> InProcessConnection::BrowseBranch(const QStringList& path,
                                                        const OpcBrowseFilter& filter) const
{
    return server_ ? server_->Browse(path, filter) : QList<OpcBrowseEntry>();
}

std::optional<InProcessConnection::ServerGroupState>
InProcessConnection::GroupOnServer(const OpcGroup& group) const
{
    const auto it = serverGroups_.find(group.ServerHandle);
    if (group.ServerHandle == -1 || it == serverGroups_.end())
        return std::nullopt;
    const ServerGroup& serverGroup = it->second;
    return ServerGroupState{serverGroup.IsActive, serverGroup.UpdateRate, serverGroup.DeadBand,
                            static_cast<int>(serverGroup.Items.size())};
}

// ---------------------------------------------------------------- groups and items

void InProcessConnection::GroupAdded(OpcGroup& group)
{
    const qint32 handle = nextHandle_++;
    ServerGroup& serverGroup = serverGroups_[handle];
    serverGroup.Group = &group;
    serverGroup.Timer.reset(new QTimer);
    connect(serverGroup.Timer.get(), &QTimer::timeout, this, [this, handle] { Tick(handle); });
    group.ServerHandle = handle;
    ApplyGroupState(serverGroup);
}

void InProcessConnection::GroupStateChanged(OpcGroup& group)
{
    const auto it = serverGroups_.find(group.ServerHandle);
    if (it != serverGroups_.end())
        ApplyGroupState(it->second);
}

void InProcessConnection::ApplyGroupState(ServerGroup& serverGroup)
{
    const OpcGroup& group = *serverGroup.Group;
    serverGroup.IsActive = group.IsActive();
    serverGroup.DeadBand = group.DeadBand();
    serverGroup.UpdateRate = std::max({group.UpdateRate(), server_->MinUpdateRate, 1});
    GrantUpdateRate(*serverGroup.Group, serverGroup.UpdateRate);
    if (!serverGroup.Timer->isActive() || serverGroup.Timer->interval() != serverGroup.UpdateRate)
        serverGroup.Timer->start(serverGroup.UpdateRate);
}

QList<OpcItemError> InProcessConnection::ItemsAdded(OpcGroup& group,
                                                    const std::vector<OpcItem*>& items)
{
    ServerGroup& serverGroup = serverGroups_.at(group.ServerHandle);
    QList<OpcItemError> refused;
    for (OpcItem* item : items) {
        const qint32 result = server_->CheckItem(item->ItemID, item->RequestDatatype);
        item->Error = result;
        if (result != OpcResult::Ok) {
            // A refused item receives no values; nothing of an earlier connection stays.
            item->Value.clear();
            item->Quality = 0;
            refused.append({item->ItemID, result, server_->ErrorString(result)});
            continue;
        }
        const qint32 handle = nextHandle_++;
        item->ServerHandle = handle;
        serverGroup.Items[handle].Item = item;
    }
    return refused;
}

void InProcessConnection::ItemsRemoved(OpcGroup& group, const std::vector<OpcItem*>& items)
{
    const auto it = serverGroups_.find(group.ServerHandle);
    for (OpcItem* item : items) {
        if (it != serverGroups_.end())
            it->second.Items.erase(item->ServerHandle);
        item->ServerHandle = -1;
    }
}

QList<OpcItemError> InProcessConnection::WriteValue(OpcItem& item, const QVariant& value)
{
    const qint32 result =
        item.ServerHandle == -1 ? OpcResult::InvalidHandle : server_->Write(item.ItemID, value);
    item.Error = result;
    if (result == OpcResult::Ok)
        return {};
    return {{item.ItemID, result, server_->ErrorString(result)}};
}

// ---------------------------------------------------------------- deliveries

void InProcessConnection::Tick(qint32 groupHandle)
{
    const auto it = serverGroups_.find(groupHandle);
    if (!server_ || it == serverGroups_.end() || !it->second.IsActive)
        return;
    ServerGroup& serverGroup = it->second;
    bool delivered = false;
    for (auto& [itemHandle, serverItem] : serverGroup.Items) {
        if (!serverItem.Item->IsActive)
            continue;
        const InProcessTag* tag = server_->FindTag(serverItem.Item->ItemID);
        if (!tag || !ChangeMatters(serverGroup, serverItem, *tag))
            continue;
        const Delivery delivery = Snapshot(*serverItem.Item, *tag);
        if (server_->DeliveryDelay > 0) {
            serverItem.PendingVersion = tag->Version;
            DeliverLater(groupHandle, itemHandle, delivery);
        } else {
            delivered = Apply(serverGroup, itemHandle, delivery) || delivered;
        }
    }
    if (delivered)
        emit OnDatachange(serverGroup.Group);
}

bool InProcessConnection::ChangeMatters(const ServerGroup& serverGroup,
                                        const ServerItem& serverItem, const InProcessTag& tag) const
{
    if (tag.Version == serverItem.DeliveredVersion || tag.Version == serverItem.PendingVersion)
        return false;
    if (serverItem.DeliveredVersion == 0)
        return true;
    const bool analog =
        tag.EuHigh > tag.EuLow && IsNumber(tag.Value) && IsNumber(serverItem.DeliveredValue);
    if (serverGroup.DeadBand <= 0 || !analog || tag.Quality != serverItem.Item->Quality)
        return true;
    const double band = serverGroup.DeadBand / 100.0 * (tag.EuHigh - tag.EuLow);
    return std::fabs(tag.Value.toDouble() - serverItem.DeliveredValue.toDouble()) > band;
}

InProcessConnection::Delivery InProcessConnection::Snapshot(const OpcItem& item,
                                                            const InProcessTag& tag) const
{
    Delivery delivery;
    delivery.Version = tag.Version;
    delivery.Canonical = tag.Value;
    delivery.Quality = tag.Quality;
    delivery.TimeStamp = tag.TimeStamp;
    if (!ConvertOpcValue(tag.Value, item.RequestDatatype, delivery.Value)) {
        delivery.Value.clear();
        delivery.Quality = OpcQualityBad;
        delivery.Error = OpcResult::BadType;
    }
    return delivery;
}

bool InProcessConnection::Apply(ServerGroup& serverGroup, qint32 itemHandle,
                                const Delivery& delivery)
{
    const auto it = serverGroup.Items.find(itemHandle);
    if (it == serverGroup.Items.end() || delivery.Version <= it->second.DeliveredVersion)
        return false;
    ServerItem& serverItem = it->second;
    serverItem.DeliveredVersion = delivery.Version;
    serverItem.DeliveredValue = delivery.Canonical;
    OpcItem& item = *serverItem.Item;
    item.Value = delivery.Value;
    item.Quality = delivery.Quality;
    item.TimeStamp = delivery.TimeStamp;
    item.Error = delivery.Error;
    return true;
}

void InProcessConnection::DeliverLater(qint32 groupHandle, qint32 itemHandle,
                                       const Delivery& delivery)
{
    QTimer::singleShot(server_->DeliveryDelay, this, [this, groupHandle, itemHandle, delivery] {
        const auto it = serverGroups_.find(groupHandle);
        if (it != serverGroups_.end() && Apply(it->second, itemHandle, delivery))
            emit OnDatachange(it->second.Group);
    });
}

// ---------------------------------------------------------------- server list

InProcessServerBrowser::InProcessServerBrowser(std::shared_ptr<InProcessRegistry> registry)
    : registry_(std::move(registry))
{
}

QList<ServerListEntry> InProcessServerBrowser::ListServers(unsigned kinds, const QString& computer)
{
    QList<ServerListEntry> entries;
    if (!IsLocalComputer(computer))
        return entries;
    using K = OpcServerKind;
    // The categories in the order of their bits, alarms and events last.
    static constexpr K Order[] = {K::DA10, K::DA20, K::DA30,  K::BA10,
                                  K::BA20, K::DX10, K::HDA10, K::AE10};
    for (const K kind : Order) {
        const unsigned bit = KindBit(kind);
        if (!(kinds & bit))
            continue;
        for (const auto& server : registry_->Servers()) {
            if (!(server->Kinds() & bit))
                continue;
            auto known = std::find_if(entries.begin(), entries.end(), [&](const auto& entry) {
                return entry.ClassId == server->ClassId();
            });
            if (known != entries.end())
                known->Kinds |= bit;
            else
                entries.append(
                    {computer, server->Description(), server->ProgID(), server->ClassId(), bit});
        }
    }
    return entries;
}
