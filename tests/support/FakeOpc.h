#pragma once

// A scriptable OPC server and server list for GUI tests: which ProgIDs are
// known, the state the server reports once connected, and which tags it
// refuses to add. It records what it was asked.

#include "app/Errors.h"
#include "opc/OpcClient.h"

#include <QSet>
#include <QStringList>

class FakeOpcServerBrowser : public OpcServerBrowser {
public:
    QStringList ProgIDs;
    unsigned RequestedKinds = 0;
    QString RequestedComputer = QStringLiteral("<not asked>");

    QList<ServerListEntry> ListServers(unsigned kinds, const QString& computer) override
    {
        RequestedKinds = kinds;
        RequestedComputer = computer;
        QList<ServerListEntry> entries;
        for (const QString& progId : ProgIDs) {
            ServerListEntry entry;
            entry.ProgID = progId;
            entry.ClassId = QStringLiteral("{") + progId + QStringLiteral("}");
            entry.Kinds = KindBit(OpcServerKind::DA20);
            entries.append(entry);
        }
        return entries;
    }
};

class FakeOpcServer : public OpcServer {
public:
    QSet<QString> KnownProgIDs;
    int StateCode = 1; // reported while connected: 1 running, 4 suspended, ...
    QSet<QString> RefusedTags;
    QStringList ConnectCalls; // "progId@computer"
    int DisconnectCalls = 0;

    void ConnectServer(const QString& progId, const QString& computer) override
    {
        ConnectCalls << progId + QLatin1Char('@') + computer;
        DisconnectServer();
        if (progId.isEmpty() || !KnownProgIDs.contains(progId))
            throw OpcError("Server name not found in registry or empty");
        ServerName = progId;
        ComputerName = computer;
        active_ = true;
    }
    void DisconnectServer() override
    {
        ++DisconnectCalls;
        if (!active_)
            return;
        active_ = false;
        emit OnDisconnect();
    }
    bool Active() const override { return active_; }
    QString ServerStateText() const override
    {
        return active_ ? OpcServerStateText(StateCode) : QString();
    }
    void WriteItem(OpcItem&, const QVariant&) override {}
    QList<OpcBrowseEntry> BrowseBranch(const QStringList&, const OpcBrowseFilter&) const override
    {
        return {};
    }

protected:
    void GroupAdded(OpcGroup&) override {}
    void GroupStateChanged(OpcGroup&) override {}
    void ItemsAdded(OpcGroup&, const std::vector<OpcItem*>& items) override
    {
        QList<QPair<QString, QString>> refused;
        for (const OpcItem* item : items)
            if (RefusedTags.contains(item->ItemID))
                refused.append({item->ItemID, QStringLiteral("The item ID is not defined")});
        if (!refused.isEmpty())
            emit ItemErrorReport(OpcItemErrorReport(QStringLiteral("OPC Command:"), refused));
    }
    void ItemsRemoved(OpcGroup&, const std::vector<OpcItem*>&) override {}

private:
    bool active_ = false;
};
