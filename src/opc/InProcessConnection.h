#pragma once

// The in-process transport: a connection (OpcServer) to one server of an
// InProcessRegistry and the server list (OpcServerBrowser) of that registry.
//
// Deliveries: every group that exists on the server has a timer at its
// granted update rate. On each tick of an active group, every active item
// whose tag changed since that item's last delivery (value or quality; a
// numeric change within the group's dead band of an analog tag does not
// count) is delivered: its Value, Quality, TimeStamp and Error are set and
// OnDatachange fires. The first tick after an item was added delivers its
// current value. A server's DeliveryDelay postpones each delivery by that
// many ms. Writes change the server's tag at once but reach the item only
// through a later delivery.

#include "opc/InProcessServer.h"
#include "opc/OpcClient.h"

#include <map>
#include <memory>
#include <optional>

class QTimer;

class InProcessConnection : public OpcServer {
    Q_OBJECT
public:
    explicit InProcessConnection(std::shared_ptr<InProcessRegistry> registry,
                                 QObject* parent = nullptr);
    ~InProcessConnection() override;

    void ConnectServer(const QString& progId, const QString& computer) override;
    void DisconnectServer() override;
    bool Active() const override { return server_ != nullptr; }
    QString ServerStateText() const override;
    QList<OpcBrowseEntry> BrowseBranch(const QStringList& path,
                                       const OpcBrowseFilter& filter) const override;

    // The server of the current connection (nullptr while inactive).
    InProcessServer* Server() const { return server_.get(); }

    // The state of a group as the server holds it; empty while the group
    // does not exist on the server.
    struct ServerGroupState {
        bool IsActive = false;
        int UpdateRate = 0;
        float DeadBand = 0;
        int ItemCount = 0;
    };
    std::optional<ServerGroupState> GroupOnServer(const OpcGroup& group) const;

protected:
    void GroupAdded(OpcGroup& group) override;
    void GroupStateChanged(OpcGroup& group) override;
    QList<OpcItemError> ItemsAdded(OpcGroup& group, const std::vector<OpcItem*>& items) override;
    void ItemsRemoved(OpcGroup& group, const std::vector<OpcItem*>& items) override;
    QList<OpcItemError> WriteValue(OpcItem& item, const QVariant& value) override;

private:
    struct TimerDeleter {
        void operator()(QTimer* timer) const;
    };
    struct Delivery {
        quint64 Version = 0;
        QVariant Canonical; // the tag's value, the base of the dead band
        QVariant Value;     // converted to the item's requested type
        quint16 Quality = 0;
        QDateTime TimeStamp;
        qint32 Error = 0;
    };
    struct ServerItem {
        OpcItem* Item = nullptr;
        quint64 DeliveredVersion = 0; // 0: nothing delivered yet
        quint64 PendingVersion = 0;   // found and waiting for the delivery delay
        QVariant DeliveredValue;
    };
    struct ServerGroup {
        OpcGroup* Group = nullptr;
        bool IsActive = false;
        int UpdateRate = 0;
        float DeadBand = 0;
        std::unique_ptr<QTimer, TimerDeleter> Timer;
        std::map<qint32, ServerItem> Items; // by server handle, in the order added
    };

    void EndConnection();
    void ApplyGroupState(ServerGroup& serverGroup);
    void Tick(qint32 groupHandle);
    bool ChangeMatters(const ServerGroup& serverGroup, const ServerItem& serverItem,
                       const InProcessTag& tag) const;
    Delivery Snapshot(const OpcItem& item, const InProcessTag& tag) const;
    bool Apply(ServerGroup& serverGroup, qint32 itemHandle, const Delivery& delivery);
    void DeliverLater(qint32 groupHandle, qint32 itemHandle, const Delivery& delivery);

    std::shared_ptr<InProcessRegistry> registry_;
    std::shared_ptr<InProcessServer> server_;
    std::map<qint32, ServerGroup> serverGroups_;
    qint32 nextHandle_ = 1; // never reused, so a late delivery cannot reach a newer item
};

class InProcessServerBrowser : public OpcServerBrowser {
public:
    explicit InProcessServerBrowser(std::shared_ptr<InProcessRegistry> registry);
    QList<ServerListEntry> ListServers(unsigned kinds, const QString& computer) override;

private:
    std::shared_ptr<InProcessRegistry> registry_;
};
