#pragma once

// The OPC client layer: everything the program does with the plant's OPC
// server goes through these objects. Callers see only this interface; the
// transports behind it (the in-process server now, OPC UA over TCP later)
// implement OpcServer and OpcServerBrowser.
//
//  - OpcServerBrowser lists the servers that can be connected (ListServers).
//  - OpcServer is the connection (TdOPCServer): ConnectServer,
//    DisconnectServer, Active, ServerStateText, its groups (AddGroup), their
//    items (AddItem, ClearItems), writes (WriteItem) and the browsing of the
//    server's address space. OnDisconnect fires on every transition from
//    active to inactive.
//  - OpcGroup and OpcItem hold the state the callers read: an item's Value,
//    Quality and TimeStamp are the last the server delivered; reading them
//    never calls the server. Deliveries arrive through the Qt event loop at
//    the group's update rate, never synchronously inside a write.
//
// Items are owned by their group; callers keep plain pointers to the items
// AddItem returned and must not use them after the next ClearItems of that
// group. Groups are owned by the connection and live as long as it.
//
// The program's objects come from CreateDefaultOpcClient() (end of this
// file): main() or the main window calls it once and keeps both objects;
// tests build their own registry of in-process servers (InProcessServer.h).

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>
#include <vector>

// Server kinds, as bits of ServerListEntry::Kinds (bit 0 = DA10).
enum class OpcServerKind : unsigned {
    DA10 = 0,
    DA20,
    DA30,
    AE10,
    BA10,
    BA20,
    DX10,
    HDA10,
};
constexpr unsigned KindBit(OpcServerKind kind)
{
    return 1u << static_cast<unsigned>(kind);
}

// One server class that can be connected (TdOPCServerItem).
struct ServerListEntry {
    QString ComputerName; // empty: the local computer
    QString Description;
    QString ProgID;
    QString ClassId; // the key that makes entries unique
    unsigned Kinds = 0;
};

class OpcServer;
class OpcGroup;

// OPC quality word classes (mask 0xC0).
constexpr quint16 OpcQualityMask = 0xC0;
constexpr quint16 OpcQualityGood = 0xC0;
constexpr quint16 OpcQualityUncertain = 0x40;
constexpr quint16 OpcQualityBad = 0x00;

// Variant type codes of item data types (the index into OpcVariantTypeNames()).
namespace OpcType {
constexpr int Empty = 0;
constexpr int I2 = 2;
constexpr int I4 = 3;
constexpr int R4 = 4;
constexpr int R8 = 5;
constexpr int Date = 7;
constexpr int Bstr = 8;
constexpr int Bool = 11;
constexpr int Variant = 12;
constexpr int I1 = 16;
constexpr int UI1 = 17;
constexpr int UI2 = 18;
constexpr int UI4 = 19;
} // namespace OpcType

// "EMPTY", "NULL", "I2", ... "LPWSTR": the 32 type names, indexed by type code.
const QStringList& OpcVariantTypeNames();

// Result codes the servers give for refused items and writes.
namespace OpcResult {
constexpr qint32 Ok = 0;
constexpr qint32 Fail = static_cast<qint32>(0x80004005u);          // E_FAIL
constexpr qint32 InvalidHandle = static_cast<qint32>(0xC0040001u); // OPC_E_INVALIDHANDLE
constexpr qint32 BadType = static_cast<qint32>(0xC0040004u);       // OPC_E_BADTYPE
constexpr qint32 BadRights = static_cast<qint32>(0xC0040006u);     // OPC_E_BADRIGHTS
constexpr qint32 UnknownItemId = static_cast<qint32>(0xC0040007u); // OPC_E_UNKNOWNITEMID
constexpr qint32 InvalidItemId = static_cast<qint32>(0xC0040008u); // OPC_E_INVALIDITEMID
constexpr qint32 Range = static_cast<qint32>(0xC004000Bu);         // OPC_E_RANGE
} // namespace OpcResult

// One tag in a group (TdOPCItem).
class OpcItem {
public:
    QString ItemID;
    QString AccessPath;
    bool IsActive = true;
    int RequestDatatype = 0;  // 0 = EMPTY: the server's canonical type
    QVariant Value;           // last delivered value, invalid until the first delivery
    quint16 Quality = 0;      // last delivered quality word
    QDateTime TimeStamp;      // time stamp of the last delivery
    qint32 Error = 0;         // server result of the last operation, 0 = success
    qint32 ServerHandle = -1; // -1 while the item does not exist on the server
};

// Good quality: both bits of mask 0xC0 set.
inline bool IsQualityGood(const OpcItem& item)
{
    return (item.Quality & OpcQualityMask) == OpcQualityGood;
}

// A group of items with a common update rate (TdOPCGroup). Changing the
// active flag, update rate or dead band sends the new group state to the
// server when the group exists there; the group keeps the rate the server
// grants.
class OpcGroup {
public:
    OpcGroup(OpcServer& server, QString name, bool isActive, int updateRate, float deadBand,
             int localeId, int timeBias);
    OpcGroup(const OpcGroup&) = delete;
    OpcGroup& operator=(const OpcGroup&) = delete;

    const QString& Name() const { return name_; }
    bool IsActive() const { return isActive_; }
    int UpdateRate() const { return updateRate_; }
    float DeadBand() const { return deadBand_; }
    int LocaleId() const { return localeId_; }
    int TimeBias() const { return timeBias_; }
    void SetIsActive(bool active);
    // Negative rates count as 0 (the fastest rate the server grants).
    void SetUpdateRate(int milliseconds);
    // Percent of an analog item's range; throws OpcError outside 0 to 100.
    void SetDeadBand(float percent);

    // The items, in the order they were added.
    const std::vector<std::unique_ptr<OpcItem>>& OPCItems() const { return items_; }

    qint32 ServerHandle = -1; // -1 until the group exists on the server

private:
    friend class OpcServer;
    OpcServer& server_;
    QString name_;
    bool isActive_;
    int updateRate_;
    float deadBand_;
    int localeId_;
    int timeBias_;
    std::vector<std::unique_ptr<OpcItem>> items_;
};

// A branch or leaf of the server's address space, as the browse dialog lists it.
struct OpcBrowseEntry {
    QString Name;   // shown in the list
    QString ItemID; // fully qualified (leaves)
    bool IsBranch = false;
    int DataType = 0; // variant type code (leaves)
    bool Readable = true;
    bool Writable = false;
};

// Filters of a browse request. The name filter applies to branches and
// leaves, the type and access filters to leaves only.
struct OpcBrowseFilter {
    QString NameFilter;    // wildcard pattern (* and ?), case-insensitive; empty = all
    int DataType = 0;      // 0 = EMPTY: any type
    bool Readable = false; // only readable leaves
    bool Writable = false; // only writable leaves
};

// Group defaults applied to each group when it is added (OPCGroupDefault).
struct OpcGroupDefaults {
    bool IsActive = true;
    int UpdateRate = 1000;
    float DeadBand = 0;
    int LocaleId = 0;
    int TimeBias = 0;
};

// A refused item of an add or write request.
struct OpcItemError {
    QString ItemID;
    qint32 Code = 0;
    QString Text; // the server's description of Code; empty when it has none
};

// The connection to one server (TdOPCServer).
class OpcServer : public QObject {
    Q_OBJECT
public:
    explicit OpcServer(QObject* parent = nullptr);
    ~OpcServer() override;

    QString ServerName;   // ProgID, set by ConnectServer
    QString ComputerName; // empty = local computer
    int KeepAlive = 0;
    // Settings of the COM transport, kept for it; the other transports ignore them.
    enum class TransportProtocol { XML, COM };
    TransportProtocol Protocol = TransportProtocol::COM;
    bool BatchMode = false;
    // ms between creating the server object and using it; the pause keeps
    // the event loop running (user input excluded).
    int ConnectDelay = 300;
    OpcGroupDefaults OPCGroupDefault;

    // Ends any current connection, then connects to `progId` on `computer`
    // and creates every group with its waiting items on the server. Throws
    // OpcError "Server name not found in registry or empty" or "Unable to
    // connect to OPC server <name>"; the connection then stays inactive.
    virtual void ConnectServer(const QString& progId, const QString& computer) = 0;
    // Ends the connection (no effect while inactive); fires OnDisconnect.
    virtual void DisconnectServer() = 0;
    virtual bool Active() const = 0;
    // "running", "failed", "no config", "suspended", "test", or "" for
    // another state code or no connection.
    virtual QString ServerStateText() const = 0;

    // Adds a group with OPCGroupDefault; throws OpcError "Group <name>
    // already exists" for an existing or blank name.
    OpcGroup* AddGroup(const QString& name);
    const std::vector<std::unique_ptr<OpcGroup>>& OPCGroups() const { return groups_; }

    // Removes every item of the group, from the server and the collection.
    void ClearItems(OpcGroup& group);
    // Appends a new item (two calls with one tag give two items); adds it on
    // the server at once when the group exists there, else on activation.
    // Refused adds are reported through ItemErrorReport, not thrown; the
    // refused item stays in its group and receives no values.
    OpcItem* AddItem(OpcGroup& group, const QString& itemId);
    // Asynchronous write of one value; throws OpcError with the per-item
    // report ("Cannot write Items:") when the server refuses it (also for a
    // non-finite number, which is never sent). While the connection is
    // inactive it does nothing. The item's Value changes only when the
    // server delivers the new value.
    void WriteItem(OpcItem& item, const QVariant& value);

    // Address space browsing for the browse dialog. Empty path = root; an
    // inactive connection or an unknown branch gives an empty list.
    virtual QList<OpcBrowseEntry> BrowseBranch(const QStringList& path,
                                               const OpcBrowseFilter& filter) const = 0;

signals:
    // The connection went from active to inactive (disconnect or shutdown request).
    void OnDisconnect();
    // A per-item error report of a refused add ("OPC Command:" / "Cannot add
    // Items:"), for the caller to show in a message box; the operation goes on.
    void ItemErrorReport(const QString& report);
    // Values of some items of the group were delivered (after the items were updated).
    void OnDatachange(OpcGroup* group);

protected:
    // Transport hooks called by the shared group and item bookkeeping above.
    // GroupAdded creates the group on the server (sets ServerHandle and
    // grants the update rate); the item hooks set or clear the items'
    // ServerHandle and Error; ItemsAdded and WriteValue return the refused items.
    virtual void GroupAdded(OpcGroup& group) = 0;
    virtual void GroupStateChanged(OpcGroup& group) = 0;
    virtual QList<OpcItemError> ItemsAdded(OpcGroup& group, const std::vector<OpcItem*>& items) = 0;
    virtual void ItemsRemoved(OpcGroup& group, const std::vector<OpcItem*>& items) = 0;
    virtual QList<OpcItemError> WriteValue(OpcItem& item, const QVariant& value) = 0;

    // For the transports: after marking the connection active, create every
    // group and add its waiting items (refusals reported as "Cannot add
    // Items:"); after ending it, mark every group and item as not on the server.
    void CreateGroupsOnServer();
    void ForgetServerHandles();
    static void GrantUpdateRate(OpcGroup& group, int milliseconds);

    std::vector<std::unique_ptr<OpcGroup>> groups_;
    friend class OpcGroup;
};

// Lists the servers that can be connected (TdOPCServerBrowser).
class OpcServerBrowser {
public:
    virtual ~OpcServerBrowser() = default;
    // Entries for the requested kinds (a bit set of KindBit), in the order of
    // the kinds' bits except that AE10 comes last; each server once, with
    // the requested kinds it was found under.
    virtual QList<ServerListEntry> ListServers(unsigned kinds, const QString& computer) = 0;
};

// The per-item error report: header, then at most 26 lines "ItemID - text"
// (or "ItemID - Unknown error : <code>"), each ending in CR LF.
QString OpcItemErrorReport(const QString& header, const QList<OpcItemError>& refused);

// The number an item value holds: any numeric or boolean variant, or a text
// with "," or "." as decimal mark; empty for anything else and for values
// that are not finite.
std::optional<double> VariantNumber(const QVariant& value);

// "running", "failed", "no config", "suspended", "test" for states 1..5, else "".
QString OpcServerStateText(int state);

// The program's OPC objects on the default transport: the server list and
// the one connection, sharing one registry that holds the demo server
// "Varkol.DemoServer.1" (a simulated control loop). Keep both for the life of
// the main window; the registry lives as long as either of them.
struct OpcClientObjects {
    std::unique_ptr<OpcServerBrowser> Browser;
    std::unique_ptr<OpcServer> Server;
};
OpcClientObjects CreateDefaultOpcClient();
