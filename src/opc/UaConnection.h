#pragma once

// The program's OPC connection: a server named by an OPC UA endpoint URL
// (opc.tcp://host:port[/path]) is reached over OPC UA, any other name is a
// server of the in-process registry (the demo server).
//
// Over OPC UA a group is a subscription (publishing interval = update rate,
// the revised interval kept as the granted rate, Active = publishing
// enabled; a changed rate or activity re-creates the subscription with its
// items; the items are sampled at the rate asked for, so that each
// publication carries their latest sample), an item a monitored item whose ItemID is the node id
// text
// ("ns=2;s=Loop1.MV", "ns=3;i=1001"). Adding an item reads its DataType once;
// writes are encoded in that built-in type. Deliveries set the value, the
// quality word (Good -> 0xC0, Uncertain -> 0x40, Bad -> 0x00, with the
// sub-statuses that map) and the time stamp (source, else server). Refused
// adds and writes carry the server's status name. The server state text
// comes from ServerStatus/State. A lost connection (socket closed, channel or
// session error, a request unanswered in time) ends it: OnDisconnect fires.
// The connection is not encrypted (SecurityPolicy None).

#include "opc/InProcessConnection.h"
#include "opc/UaBinary.h"

#include <map>
#include <memory>

class UaClient;

// The quality word of an OPC UA status code.
quint16 UaQuality(uint32_t status);
// The value of a UA variant as the callers read item values (numbers as
// numbers, texts as QString, times as QDateTime, arrays as lists).
QVariant UaToQVariant(const Ua::Variant& value);
// `value` encoded in the built-in type `type`; integers rounded half to
// even. On failure `status` is BadTypeMismatch or BadOutOfRange.
std::optional<Ua::Variant> UaFromQVariant(const QVariant& value, Ua::BuiltinType type,
                                          uint32_t& status);
// The variant type code (OpcType) of a built-in type; Empty for others.
int UaOpcType(Ua::BuiltinType type);
// The built-in type of a DataType node id, falling back on the type of a
// current value for types outside namespace 0's built-in ones.
Ua::BuiltinType UaBuiltinTypeOf(const Ua::NodeId& dataType, const Ua::Variant* value);

// Endpoint URLs connected to before, newest first (in the user's settings,
// ~/.config/varkol/varkol.conf).
QStringList RememberedUaEndpoints();
void RememberUaEndpoint(const QString& url);

class UaConnection : public InProcessConnection {
    Q_OBJECT
public:
    explicit UaConnection(std::shared_ptr<InProcessRegistry> registry, QObject* parent = nullptr);
    ~UaConnection() override;

    // The bound of every request and of each step of connecting.
    int TimeoutMs = 5000;
    // Remember each endpoint connected to (RememberUaEndpoint).
    bool RememberEndpoints = true;

    void ConnectServer(const QString& progId, const QString& computer) override;
    void DisconnectServer() override;
    bool Active() const override;
    QString ServerStateText() const override;
    QList<OpcBrowseEntry> BrowseBranch(const QStringList& path,
                                       const OpcBrowseFilter& filter) const override;

    // True while connected over OPC UA (not encrypted).
    bool IsUaConnection() const { return uaActive_; }
    // The OPC UA client of the current connection (nullptr before the first).
    UaClient* Client() const { return client_.get(); }

protected:
    void GroupAdded(OpcGroup& group) override;
    void GroupStateChanged(OpcGroup& group) override;
    QList<OpcItemError> ItemsAdded(OpcGroup& group, const std::vector<OpcItem*>& items) override;
    void ItemsRemoved(OpcGroup& group, const std::vector<OpcItem*>& items) override;
    QList<OpcItemError> WriteValue(OpcItem& item, const QVariant& value) override;

private:
    struct UaItem {
        OpcItem* Item = nullptr;
        Ua::NodeId Node;
        Ua::BuiltinType Type = Ua::BuiltinType::Null;
        uint32_t MonitoredItemId = 0;
    };
    struct UaGroup {
        OpcGroup* Group = nullptr;
        uint32_t SubscriptionId = 0;
        double SamplingMs = 0;          // the rate asked for: the items are sampled at it
        std::map<qint32, UaItem> Items; // by client handle = the item's ServerHandle
    };

    void Lost();
    void EndUa();
    void CreateSubscription(UaGroup& uaGroup);
    QList<OpcItemError> MonitorItems(UaGroup& uaGroup, const std::vector<UaItem>& items);
    void Deliver(uint32_t subscriptionId,
                 const std::vector<Ua::MonitoredItemNotification>& changes);
    UaGroup* GroupOf(qint32 itemHandle);

    std::unique_ptr<UaClient> client_;
    std::unique_ptr<UaClient> lostClient_; // kept until the next connection: it may be on the stack
    bool uaActive_ = false;
    int serverState_ = 0;
    std::map<qint32, UaGroup> uaGroups_; // by the group's ServerHandle
    qint32 nextUaHandle_ = 1;
    // Browse paths (joined by '\n') already resolved to their node.
    mutable std::map<QString, Ua::NodeId> browsePaths_;
};

// The server list: the in-process servers, the servers a local discovery
// server reports (when one answers within DiscoveryTimeoutMs) and the
// endpoints connected to before.
class UaServerBrowser : public OpcServerBrowser {
public:
    explicit UaServerBrowser(std::shared_ptr<InProcessRegistry> registry);
    QList<ServerListEntry> ListServers(unsigned kinds, const QString& computer) override;

    QString DiscoveryUrl = QStringLiteral("opc.tcp://localhost:4840");
    int DiscoveryTimeoutMs = 300;

private:
    InProcessServerBrowser inProcess_;
};

// The servers a discovery server (or any server) reports with FindServers:
// one entry per opc.tcp discovery URL. Throws UaError.
QList<ServerListEntry> FindUaServers(const QString& discoveryUrl, int timeoutMs);
