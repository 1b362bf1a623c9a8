#pragma once

// OPC servers that live in the program's own process, and the registry of
// them that the in-process transport (InProcessConnection.h) enumerates and
// connects to. A server holds a browsable address space of tags with their
// values, and the switches tests use to make it misbehave: the state it
// reports, refused connections, items and writes, slow deliveries and a
// shutdown request.
//
// ItemIDs are the branch names and the leaf name joined by '.'
// ("Loop1.Controller1.P"); branches appear in the order of their first tag.

#include "opc/OpcClient.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>
#include <QVariant>

#include <map>
#include <memory>
#include <vector>

// One leaf of the address space and its current value.
struct InProcessTag {
    QString ItemID;
    int DataType = OpcType::R8; // canonical type
    bool Readable = true;
    bool Writable = false;
    QVariant Value; // always of the canonical type
    quint16 Quality = OpcQualityGood;
    QDateTime TimeStamp;
    quint64 Version = 1; // grows with every change of value or quality
    // Range of an analog tag (EuHigh > EuLow), the base of a group's dead band.
    double EuLow = 0;
    double EuHigh = 0;
};

class InProcessServer : public QObject {
    Q_OBJECT
public:
    InProcessServer(QString progId, QString description,
                    unsigned kinds = KindBit(OpcServerKind::DA10) | KindBit(OpcServerKind::DA20),
                    QObject* parent = nullptr);

    const QString& ProgID() const { return progId_; }
    const QString& Description() const { return description_; }
    const QString& ClassId() const { return classId_; }
    unsigned Kinds() const { return kinds_; }

    // Adds a leaf (and the branches on its way); `value` is converted to
    // `dataType`. A second tag with an existing ItemID replaces the first.
    void AddTag(const QString& itemId, int dataType, const QVariant& value, bool writable,
                double euLow = 0, double euHigh = 0);
    // A branch without leaves of its own yet.
    void AddBranch(const QString& path);
    const InProcessTag* FindTag(const QString& itemId) const;
    // The entries of the branch at `path` (empty = root) that pass the
    // filter, in the order they were added; an unknown branch gives none.
    QList<OpcBrowseEntry> Browse(const QStringList& path, const OpcBrowseFilter& filter) const;

    // Changes made by the server itself (a simulated plant, a test).
    void SetTagValue(const QString& itemId, const QVariant& value);
    void SetTagQuality(const QString& itemId, quint16 quality);

    // Switches for tests.
    int State = 1;                  // the state the server reports (1 = running)
    bool RefuseConnections = false; // the server object cannot be obtained
    int DeliveryDelay = 0;          // ms from finding a change to delivering it
    int MinUpdateRate = 10;         // the fastest update rate granted, ms
    void RefuseItem(const QString& itemId, qint32 code = OpcResult::Fail);
    void RefuseWrite(const QString& itemId, qint32 code = OpcResult::Fail);
    void AcceptAll(); // forgets refused items and writes
    // Asks every connected client to disconnect (IOPCShutdown).
    void RequestShutdown(const QString& reason = {});

    // Every accepted write, with the value as the client sent it.
    QList<QPair<QString, QVariant>> WriteLog;

    // The client side of the protocol, used by the connection.
    bool AcceptConnection() const { return !RefuseConnections; }
    qint32 CheckItem(const QString& itemId, int requestedType) const;
    qint32 Write(const QString& itemId, const QVariant& value);
    // The server's text for a result code; empty for codes it does not know.
    QString ErrorString(qint32 code) const;

signals:
    void ShutdownRequested(const QString& reason);

private:
    struct Node {
        QString Name;
        bool IsBranch = true;
        std::vector<std::unique_ptr<Node>> Children;
    };
    const Node* FindBranch(const QStringList& path) const;
    Node* MakeBranch(const QStringList& path);
    void Touch(InProcessTag& tag);

    QString progId_;
    QString description_;
    QString classId_;
    unsigned kinds_;
    Node root_;
    std::map<QString, InProcessTag> tags_;
    QHash<QString, qint32> refusedItems_;
    QHash<QString, qint32> refusedWrites_;
};

// Converts `value` to the variant type `dataType` as a server converts a
// written or requested value; false when it cannot.
bool ConvertOpcValue(const QVariant& value, int dataType, QVariant& converted);

// Whether `computer` names this computer (empty, "localhost", "." or its host name).
bool IsLocalComputer(const QString& computer);

// The in-process servers that can be listed and connected, by ProgID.
class InProcessRegistry {
public:
    // Adds `server`, replacing a server registered under the same ProgID.
    void Register(std::shared_ptr<InProcessServer> server);
    void Unregister(const QString& progId);
    // Case-insensitive, as ProgIDs are; nullptr when none is registered.
    std::shared_ptr<InProcessServer> Find(const QString& progId) const;
    const std::vector<std::shared_ptr<InProcessServer>>& Servers() const { return servers_; }

private:
    std::vector<std::shared_ptr<InProcessServer>> servers_;
};
