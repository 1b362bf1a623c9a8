#include "opc/UaConnection.h"

#include "base/Errors.h"
#include "opc/UaClient.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QSettings>

#include <cfloat>
#include <cmath>
#include <limits>

namespace {

constexpr int MaxRememberedEndpoints = 10;
const char* const EndpointsKey = "OpcUa/Endpoints";

QString Words(const std::string& text)
{
    return QString::fromStdString(text);
}

OpcItemError Refusal(const QString& itemId, uint32_t status)
{
    return {itemId, static_cast<qint32>(status), Words(Ua::StatusText(status))};
}

template <typename Integer> bool InRange(double x)
{
    return x >= double(std::numeric_limits<Integer>::lowest()) &&
           x <= double(std::numeric_limits<Integer>::max());
}

} // namespace

// ---------------------------------------------------------------- values

quint16 UaQuality(uint32_t status)
{
    const uint32_t code = status & 0xFFFF0000u;
    if (Ua::Status::IsGood(status))
        return code == 0x00960000u ? 0xD8 : OpcQualityGood; // local override
    if (Ua::Status::IsUncertain(status)) {
        switch (code) {
        case 0x408F0000u: // no communication, last usable value
        case 0x40900000u: // last usable value
            return 0x44;
        case 0x40930000u: // sensor not accurate
            return 0x50;
        case 0x40940000u: // engineering units exceeded
            return 0x54;
        case 0x40950000u: // sub-normal
            return 0x58;
        default:
            return OpcQualityUncertain;
        }
    }
    switch (code) {
    case 0x80890000u: // configuration error
        return 0x04;
    case 0x808A0000u: // not connected
        return 0x08;
    case 0x808B0000u: // device failure
        return 0x0C;
    case 0x808C0000u: // sensor failure
        return 0x10;
    case 0x80310000u: // no communication
        return 0x18;
    case 0x808D0000u: // out of service
        return 0x1C;
    default:
        return OpcQualityBad;
    }
}

QVariant UaToQVariant(const Ua::Variant& value)
{
    using T = Ua::BuiltinType;
    if (value.IsArray) {
        QVariantList list;
        for (Ua::Variant element : value.Elements) {
            element.Type = value.Type;
            list.append(UaToQVariant(element));
        }
        return list;
    }
    switch (value.Type) {
    case T::Null:
        return {};
    case T::Boolean:
        return value.Bool;
    case T::SByte:
    case T::Int16:
    case T::Int32:
        return int(value.Int);
    case T::Byte:
    case T::UInt16:
    case T::UInt32:
    case T::StatusCode:
        return uint(value.UInt);
    case T::Int64:
        return qlonglong(value.Int);
    case T::UInt64:
        return qulonglong(value.UInt);
    case T::Float:
        return float(value.Real);
    case T::Double:
        return value.Real;
    case T::String:
    case T::XmlElement:
        return Words(value.Text);
    case T::ByteString:
        return QByteArray(value.Text.data(), qsizetype(value.Text.size()));
    case T::DateTime:
        return QDateTime::fromMSecsSinceEpoch(UaTicksToMsecsSinceEpoch(value.Int), Qt::UTC);
    case T::LocalizedText:
        return Words(value.LText.Text);
    case T::QualifiedName:
        return Words(value.QName.Name);
    case T::NodeId:
        return Words(Ua::NodeIdText(value.Node));
    default:
        return Words(std::string(Ua::BuiltinTypeName(value.Type)));
    }
}

std::optional<Ua::Variant> UaFromQVariant(const QVariant& value, Ua::BuiltinType type,
                                          uint32_t& status)
{
    using T = Ua::BuiltinType;
    Ua::Variant result = Ua::Variant::Of(type);
    status = Ua::Status::BadTypeMismatch;
    if (type == T::String) {
        if (value.typeId() == QMetaType::Double)
            result.Text = QString::number(value.toDouble(), 'g', 17).toStdString();
        else
            result.Text = value.toString().toStdString();
        return result;
    }
    if (type == T::DateTime) {
        if (value.typeId() != QMetaType::QDateTime || !value.toDateTime().isValid())
            return std::nullopt;
        result.Int = value.toDateTime().toMSecsSinceEpoch() * 10000 + 116444736000000000LL;
        return result;
    }
    const std::optional<double> number = VariantNumber(value);
    if (!number)
        return std::nullopt;
    const double x = *number;
    status = Ua::Status::BadOutOfRange;
    switch (type) {
    case T::Boolean:
        result.Bool = x != 0;
        return result;
    case T::Float:
        if (std::fabs(x) > FLT_MAX)
            return std::nullopt;
        result.Real = x;
        return result;
    case T::Double:
        result.Real = x;
        return result;
    default:
        break;
    }
    const double whole = std::nearbyint(x); // ties to even
    auto fits = [&] {
        switch (type) {
        case T::SByte:
            return InRange<int8_t>(whole);
        case T::Int16:
            return InRange<int16_t>(whole);
        case T::Int32:
            return InRange<int32_t>(whole);
        case T::Int64:
            return whole >= -9223372036854775808.0 && whole < 9223372036854775808.0;
        case T::Byte:
            return InRange<uint8_t>(whole);
        case T::UInt16:
            return InRange<uint16_t>(whole);
        case T::UInt32:
            return InRange<uint32_t>(whole);
        case T::UInt64:
            return whole >= 0 && whole < 18446744073709551616.0;
        default:
            return false;
        }
    };
    if (type != T::SByte && type != T::Int16 && type != T::Int32 && type != T::Int64 &&
        type != T::Byte && type != T::UInt16 && type != T::UInt32 && type != T::UInt64) {
        status = Ua::Status::BadTypeMismatch;
        return std::nullopt;
    }
    if (!fits())
        return std::nullopt;
    if (whole < 0)
        result.Int = int64_t(whole);
    else if (type == T::Byte || type == T::UInt16 || type == T::UInt32 || type == T::UInt64)
        result.UInt = uint64_t(whole);
    else
        result.Int = int64_t(whole);
    return result;
}

int UaOpcType(Ua::BuiltinType type)
{
    using T = Ua::BuiltinType;
    switch (type) {
    case T::Boolean:
        return OpcType::Bool;
    case T::SByte:
        return OpcType::I1;
    case T::Byte:
        return OpcType::UI1;
    case T::Int16:
        return OpcType::I2;
    case T::UInt16:
        return OpcType::UI2;
    case T::Int32:
        return OpcType::I4;
    case T::UInt32:
        return OpcType::UI4;
    case T::Int64:
        return 20; // I8
    case T::UInt64:
        return 21; // UI8
    case T::Float:
        return OpcType::R4;
    case T::Double:
        return OpcType::R8;
    case T::String:
    case T::LocalizedText:
        return OpcType::Bstr;
    case T::DateTime:
        return OpcType::Date;
    default:
        return OpcType::Empty;
    }
}

Ua::BuiltinType UaBuiltinTypeOf(const Ua::NodeId& dataType, const Ua::Variant* value)
{
    // Boolean (i=1) to LocalizedText (i=21) are the built-in types
    // themselves; Structure, DataValue, BaseDataType (any type) and
    // DiagnosticInfo are not.
    if (dataType.Namespace == 0 && dataType.IdKind == Ua::NodeId::Kind::Numeric &&
        dataType.Numeric >= 1 && dataType.Numeric <= 21)
        return Ua::BuiltinType(dataType.Numeric);
    // Abstract types, subtypes and enumerations: the type the variable's value has.
    if (value && !value->IsArray)
        return value->Type;
    return Ua::BuiltinType::Null;
}

QStringList RememberedUaEndpoints()
{
    QSettings settings(QStringLiteral("varkol"), QStringLiteral("varkol"));
    return settings.value(QLatin1String(EndpointsKey)).toStringList();
}

void RememberUaEndpoint(const QString& url)
{
    QSettings settings(QStringLiteral("varkol"), QStringLiteral("varkol"));
    QStringList endpoints = settings.value(QLatin1String(EndpointsKey)).toStringList();
    endpoints.removeAll(url);
    endpoints.prepend(url);
    while (endpoints.size() > MaxRememberedEndpoints)
        endpoints.removeLast();
    settings.setValue(QLatin1String(EndpointsKey), endpoints);
}

// ---------------------------------------------------------------- connection

UaConnection::UaConnection(std::shared_ptr<InProcessRegistry> registry, QObject* parent)
    : InProcessConnection(std::move(registry), parent)
{
}

UaConnection::~UaConnection()
{
    if (client_) {
        client_->OnLost = nullptr;
        client_->OnDataChange = nullptr;
        client_->Close();
    }
}

bool UaConnection::Active() const
{
    return uaActive_ || InProcessConnection::Active();
}

void UaConnection::ConnectServer(const QString& progId, const QString& computer)
{
    if (!IsUaEndpointUrl(progId)) {
        InProcessConnection::ConnectServer(progId, computer);
        return;
    }
    DisconnectServer();
    ServerName = progId.trimmed();
    ComputerName = computer;
    lostClient_.reset();
    client_ = std::make_unique<UaClient>();
    client_->TimeoutMs = TimeoutMs;
    try {
        client_->Connect(ServerName);
        const std::vector<Ua::DataValue> state =
            client_->Read({{Ua::NodeId::Num(Ua::Id::ServerStatusState), Ua::Id::AttributeValue}});
        // ServerState: running, failed, no configuration, suspended, shutdown, test.
        static const int DaState[] = {1, 2, 3, 4, 0, 5};
        const int uaState = state[0].Value ? int(state[0].Value->Int) : -1;
        serverState_ = uaState >= 0 && uaState < 6 ? DaState[uaState] : 0;
    } catch (const UaError& e) {
        client_->Close();
        throw OpcError(QStringLiteral("Unable to connect to OPC server %1: %2")
                           .arg(ServerName, QString::fromUtf8(e.what()))
                           .toStdString());
    }
    client_->OnLost = [this](const QString&) { Lost(); };
    client_->OnDataChange = [this](uint32_t id,
                                   const std::vector<Ua::MonitoredItemNotification>& changes) {
        Deliver(id, changes);
    };
    uaActive_ = true;
    browsePaths_.clear();
    if (RememberEndpoints)
        RememberUaEndpoint(ServerName);
    CreateGroupsOnServer();
}

void UaConnection::DisconnectServer()
{
    if (!uaActive_) {
        InProcessConnection::DisconnectServer();
        return;
    }
    client_->OnLost = nullptr;
    client_->Close();
    EndUa();
    emit OnDisconnect();
}

void UaConnection::Lost()
{
    if (!uaActive_)
        return;
    // The client may be the caller (its callback): keep it until the next connection.
    lostClient_ = std::move(client_);
    lostClient_->OnLost = nullptr;
    lostClient_->OnDataChange = nullptr;
    client_ = std::make_unique<UaClient>();
    EndUa();
    emit OnDisconnect();
}

void UaConnection::EndUa()
{
    uaActive_ = false;
    serverState_ = 0;
    uaGroups_.clear();
    browsePaths_.clear();
    ForgetServerHandles();
}

QString UaConnection::ServerStateText() const
{
    if (!uaActive_)
        return InProcessConnection::ServerStateText();
    return OpcServerStateText(serverState_);
}

// ---------------------------------------------------------------- groups and items

void UaConnection::CreateSubscription(UaGroup& uaGroup)
{
    OpcGroup& group = *uaGroup.Group;
    const Ua::CreateSubscriptionResponse created =
        client_->CreateSubscription(double(group.UpdateRate()), group.IsActive());
    uaGroup.SubscriptionId = created.SubscriptionId;
    GrantUpdateRate(group, int(std::lround(created.RevisedPublishingInterval)));
}

void UaConnection::GroupAdded(OpcGroup& group)
{
    if (!uaActive_) {
        InProcessConnection::GroupAdded(group);
        return;
    }
    UaGroup uaGroup;
    uaGroup.Group = &group;
    try {
        CreateSubscription(uaGroup);
    } catch (const UaError&) {
        // A refused subscription leaves the group off the server: its items get no values.
        return;
    }
    const qint32 handle = nextUaHandle_++;
    group.ServerHandle = handle;
    uaGroups_[handle] = std::move(uaGroup);
}

void UaConnection::GroupStateChanged(OpcGroup& group)
{
    if (!uaActive_) {
        InProcessConnection::GroupStateChanged(group);
        return;
    }
    const auto it = uaGroups_.find(group.ServerHandle);
    if (it == uaGroups_.end())
        return;
    UaGroup& uaGroup = it->second;
    std::vector<UaItem> items;
    for (auto& [handle, item] : uaGroup.Items)
        items.push_back(item);
    try {
        client_->DeleteSubscriptions({uaGroup.SubscriptionId});
        uaGroup.Items.clear();
        CreateSubscription(uaGroup);
        const QList<OpcItemError> refused = MonitorItems(uaGroup, items);
        if (!refused.isEmpty())
            emit ItemErrorReport(OpcItemErrorReport(QStringLiteral("OPC Command:"), refused));
    } catch (const UaError& e) {
        if (uaActive_)
            throw OpcError(QStringLiteral("Group %1: %2")
                               .arg(group.Name(), QString::fromUtf8(e.what()))
                               .toStdString());
    }
}

QList<OpcItemError> UaConnection::MonitorItems(UaGroup& uaGroup, const std::vector<UaItem>& items)
{
    QList<OpcItemError> refused;
    if (items.empty())
        return refused;
    std::vector<Ua::MonitoredItemRequest> requests;
    for (const UaItem& item : items)
        requests.push_back(
            {item.Node, uint32_t(item.Item->ServerHandle), double(uaGroup.Group->UpdateRate()), 1});
    const std::vector<Ua::MonitoredItemCreateResult> results =
        client_->CreateMonitoredItems(uaGroup.SubscriptionId, requests);
    for (size_t i = 0; i < items.size(); ++i) {
        UaItem item = items[i];
        if (Ua::Status::IsBad(results[i].Status)) {
            item.Item->ServerHandle = -1;
            item.Item->Error = static_cast<qint32>(results[i].Status);
            refused.append(Refusal(item.Item->ItemID, results[i].Status));
            continue;
        }
        item.MonitoredItemId = results[i].MonitoredItemId;
        uaGroup.Items[item.Item->ServerHandle] = item;
    }
    return refused;
}

QList<OpcItemError> UaConnection::ItemsAdded(OpcGroup& group, const std::vector<OpcItem*>& items)
{
    if (!uaActive_)
        return InProcessConnection::ItemsAdded(group, items);
    const auto groupIt = uaGroups_.find(group.ServerHandle);
    if (groupIt == uaGroups_.end())
        return {};
    QList<OpcItemError> refused;
    std::vector<UaItem> valid;
    for (OpcItem* item : items) {
        item->Value.clear();
        item->Quality = 0;
        const std::optional<Ua::NodeId> node =
            Ua::ParseNodeId(item->ItemID.trimmed().toStdString());
        if (!node) {
            item->Error = static_cast<qint32>(Ua::Status::BadNodeIdInvalid);
            refused.append(Refusal(item->ItemID, Ua::Status::BadNodeIdInvalid));
            continue;
        }
        valid.push_back({item, *node, Ua::BuiltinType::Null, 0});
    }
    try {
        // The variable's own type, read once: its DataType, and its value for
        // the types that are not built-in ones.
        std::vector<Ua::ReadValueId> reads;
        for (const UaItem& item : valid) {
            reads.push_back({item.Node, Ua::Id::AttributeDataType});
            reads.push_back({item.Node, Ua::Id::AttributeValue});
        }
        const std::vector<Ua::DataValue> values =
            reads.empty() ? std::vector<Ua::DataValue>() : client_->Read(reads);
        std::vector<UaItem> known;
        for (size_t i = 0; i < valid.size(); ++i) {
            const Ua::DataValue& dataType = values[2 * i];
            const Ua::DataValue& value = values[2 * i + 1];
            if (Ua::Status::IsBad(dataType.Status) || !dataType.Value ||
                dataType.Value->Type != Ua::BuiltinType::NodeId) {
                const uint32_t status = Ua::Status::IsBad(dataType.Status)
                                            ? dataType.Status
                                            : Ua::Status::BadNodeIdUnknown;
                valid[i].Item->Error = static_cast<qint32>(status);
                refused.append(Refusal(valid[i].Item->ItemID, status));
                continue;
            }
            valid[i].Type =
                UaBuiltinTypeOf(dataType.Value->Node, value.Value ? &*value.Value : nullptr);
            valid[i].Item->ServerHandle = nextUaHandle_++;
            valid[i].Item->Error = 0;
            known.push_back(valid[i]);
        }
        refused.append(MonitorItems(groupIt->second, known));
    } catch (const UaError& e) {
        if (!uaActive_)
            return refused; // the connection ended: nothing is on the server any more
        for (const UaItem& item : valid) {
            if (item.Item->ServerHandle != -1 &&
                groupIt->second.Items.count(item.Item->ServerHandle))
                continue;
            item.Item->ServerHandle = -1;
            refused.append(
                {item.Item->ItemID,
                 static_cast<qint32>(e.Status ? e.Status : Ua::Status::BadCommunicationError),
                 QString::fromUtf8(e.what())});
        }
    }
    return refused;
}

void UaConnection::ItemsRemoved(OpcGroup& group, const std::vector<OpcItem*>& items)
{
    if (!uaActive_) {
        InProcessConnection::ItemsRemoved(group, items);
        return;
    }
    const auto groupIt = uaGroups_.find(group.ServerHandle);
    std::vector<uint32_t> ids;
    for (OpcItem* item : items) {
        if (groupIt != uaGroups_.end()) {
            const auto it = groupIt->second.Items.find(item->ServerHandle);
            if (it != groupIt->second.Items.end()) {
                ids.push_back(it->second.MonitoredItemId);
                groupIt->second.Items.erase(it);
            }
        }
        item->ServerHandle = -1;
    }
    if (ids.empty() || groupIt == uaGroups_.end())
        return;
    try {
        client_->DeleteMonitoredItems(groupIt->second.SubscriptionId, ids);
    } catch (const UaError&) {
        // The items are gone from the group either way.
    }
}

UaConnection::UaGroup* UaConnection::GroupOf(qint32 itemHandle)
{
    for (auto& [handle, uaGroup] : uaGroups_)
        if (uaGroup.Items.count(itemHandle))
            return &uaGroup;
    return nullptr;
}

QList<OpcItemError> UaConnection::WriteValue(OpcItem& item, const QVariant& value)
{
    if (!uaActive_)
        return InProcessConnection::WriteValue(item, value);
    UaGroup* uaGroup = item.ServerHandle == -1 ? nullptr : GroupOf(item.ServerHandle);
    if (!uaGroup) {
        const uint32_t status =
            item.Error != 0 ? uint32_t(item.Error) : Ua::Status::BadNodeIdUnknown;
        return {Refusal(item.ItemID, status)};
    }
    const UaItem& uaItem = uaGroup->Items.at(item.ServerHandle);
    uint32_t status = 0;
    const std::optional<Ua::Variant> encoded = UaFromQVariant(value, uaItem.Type, status);
    if (!encoded) {
        item.Error = static_cast<qint32>(status);
        return {Refusal(item.ItemID, status)};
    }
    try {
        status = client_->Write({{uaItem.Node, *encoded}}).at(0);
    } catch (const UaError& e) {
        if (!uaActive_)
            return {}; // lost on the way: like a write while inactive
        status = e.Status ? e.Status : Ua::Status::BadCommunicationError;
    }
    item.Error = Ua::Status::IsBad(status) ? static_cast<qint32>(status) : 0;
    if (Ua::Status::IsBad(status))
        return {Refusal(item.ItemID, status)};
    return {};
}

void UaConnection::Deliver(uint32_t subscriptionId,
                           const std::vector<Ua::MonitoredItemNotification>& changes)
{
    for (auto& [handle, uaGroup] : uaGroups_) {
        if (uaGroup.SubscriptionId != subscriptionId)
            continue;
        bool delivered = false;
        for (const Ua::MonitoredItemNotification& change : changes) {
            const auto it = uaGroup.Items.find(qint32(change.ClientHandle));
            if (it == uaGroup.Items.end())
                continue;
            OpcItem& item = *it->second.Item;
            const Ua::DataValue& data = change.Value;
            item.Value = data.Value ? UaToQVariant(*data.Value) : QVariant();
            item.Quality = UaQuality(data.Status);
            const Ua::Ticks time =
                data.SourceTimestamp ? data.SourceTimestamp : data.ServerTimestamp;
            item.TimeStamp = time ? QDateTime::fromMSecsSinceEpoch(UaTicksToMsecsSinceEpoch(time))
                                  : QDateTime::currentDateTime();
            item.Error = Ua::Status::IsBad(data.Status) ? static_cast<qint32>(data.Status) : 0;
            delivered = true;
        }
        if (delivered)
            emit OnDatachange(uaGroup.Group);
        return;
    }
}

// ---------------------------------------------------------------- browsing

QList<OpcBrowseEntry> UaConnection::BrowseBranch(const QStringList& path,
                                                 const OpcBrowseFilter& filter) const
{
    if (!uaActive_)
        return InProcessConnection::BrowseBranch(path, filter);
    try {
        Ua::NodeId node = Ua::NodeId::Num(Ua::Id::ObjectsFolder);
        QString key;
        for (const QString& name : path) {
            const QString parentKey = key;
            key += QLatin1Char('\n') + name;
            auto it = browsePaths_.find(key);
            if (it == browsePaths_.end()) {
                for (const Ua::ReferenceDescription& child : client_->Browse(node))
                    if (child.NodeClass == 1)
                        browsePaths_.emplace(parentKey + QLatin1Char('\n') +
                                                 Words(child.BrowseName.Name),
                                             child.Node.Id);
                it = browsePaths_.find(key);
                if (it == browsePaths_.end())
                    return {};
            }
            node = it->second;
        }

        const std::vector<Ua::ReferenceDescription> children = client_->Browse(node);
        std::vector<Ua::ReadValueId> reads;
        for (const Ua::ReferenceDescription& child : children) {
            if (child.NodeClass == 2) {
                reads.push_back({child.Node.Id, Ua::Id::AttributeDataType});
                reads.push_back({child.Node.Id, Ua::Id::AttributeAccessLevel});
            }
        }
        const std::vector<Ua::DataValue> attributes =
            reads.empty() ? std::vector<Ua::DataValue>() : client_->Read(reads);

        const QRegularExpression pattern(
            QRegularExpression::wildcardToRegularExpression(
                filter.NameFilter.isEmpty() ? QStringLiteral("*") : filter.NameFilter),
            QRegularExpression::CaseInsensitiveOption);
        QList<OpcBrowseEntry> entries;
        size_t variable = 0;
        for (const Ua::ReferenceDescription& child : children) {
            OpcBrowseEntry entry;
            entry.Name = Words(child.BrowseName.Name);
            entry.ItemID = Words(Ua::NodeIdText(child.Node.Id));
            entry.IsBranch = child.NodeClass == 1;
            if (child.NodeClass == 1)
                browsePaths_.emplace(key + QLatin1Char('\n') + entry.Name, child.Node.Id);
            if (child.NodeClass == 2) {
                const Ua::DataValue& dataType = attributes[2 * variable];
                const Ua::DataValue& access = attributes[2 * variable + 1];
                ++variable;
                if (dataType.Value && dataType.Value->Type == Ua::BuiltinType::NodeId)
                    entry.DataType = UaOpcType(UaBuiltinTypeOf(dataType.Value->Node, nullptr));
                const uint64_t level = access.Value ? access.Value->UInt : 0;
                entry.Readable = (level & 1) != 0;
                entry.Writable = (level & 2) != 0;
            } else if (child.NodeClass != 1) {
                continue;
            }
            if (!pattern.match(entry.Name).hasMatch())
                continue;
            if (!entry.IsBranch &&
                ((filter.DataType != OpcType::Empty && entry.DataType != filter.DataType) ||
                 (filter.Readable && !entry.Readable) || (filter.Writable && !entry.Writable)))
                continue;
            entries.append(entry);
        }
        return entries;
    } catch (const UaError& e) {
        if (!uaActive_)
            return {};
        throw OpcError(QStringLiteral("Browsing %1 failed: %2")
                           .arg(ServerName, QString::fromUtf8(e.what()))
                           .toStdString());
    }
}

// ---------------------------------------------------------------- server list

QList<ServerListEntry> FindUaServers(const QString& discoveryUrl, int timeoutMs)
{
    UaClient client;
    client.TimeoutMs = timeoutMs;
    client.OpenChannel(discoveryUrl);
    const std::vector<Ua::ApplicationDescription> servers = client.FindServers();
    client.Close();
    QList<ServerListEntry> entries;
    for (const Ua::ApplicationDescription& server : servers) {
        if (server.ApplicationType == 1 ||
            server.ApplicationType == 3) // clients, discovery servers
            continue;
        for (const std::string& url : server.DiscoveryUrls) {
            const QString text = Words(url);
            if (!IsUaEndpointUrl(text))
                continue;
            entries.append({QString(), Words(server.ApplicationName.Text), text, text,
                            KindBit(OpcServerKind::DA20)});
        }
    }
    return entries;
}

UaServerBrowser::UaServerBrowser(std::shared_ptr<InProcessRegistry> registry)
    : inProcess_(std::move(registry))
{
}

QList<ServerListEntry> UaServerBrowser::ListServers(unsigned kinds, const QString& computer)
{
    QList<ServerListEntry> entries = inProcess_.ListServers(kinds, computer);
    const unsigned dataAccess =
        KindBit(OpcServerKind::DA10) | KindBit(OpcServerKind::DA20) | KindBit(OpcServerKind::DA30);
    if (!(kinds & dataAccess) || !IsLocalComputer(computer))
        return entries;
    auto add = [&](const ServerListEntry& entry) {
        const bool known = std::any_of(entries.begin(), entries.end(),
                                       [&](const auto& e) { return e.ProgID == entry.ProgID; });
        if (!known)
            entries.append(entry);
    };
    if (!DiscoveryUrl.isEmpty()) {
        try {
            for (const ServerListEntry& entry : FindUaServers(DiscoveryUrl, DiscoveryTimeoutMs))
                add(entry);
        } catch (const UaError&) {
            // No discovery server here.
        }
    }
    for (const QString& url : RememberedUaEndpoints())
        add({QString(), url, url, url, KindBit(OpcServerKind::DA20)});
    return entries;
}
