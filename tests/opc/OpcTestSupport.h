#pragma once

// Helpers of the OPC tests: running the event loop until something has
// happened (deliveries and shutdown requests arrive only through it), and a
// registry with one small test server and a connection to it.

#include "opc/InProcessConnection.h"
#include "opc/InProcessServer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <functional>
#include <memory>
#include <ostream>

// Readable failure messages for texts and lists of texts.
static inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
static inline void PrintTo(const QStringList& texts, std::ostream* out)
{
    *out << '[' << texts.join(QStringLiteral(", ")).toStdString() << ']';
}

// Runs the event loop until `done` holds or `limitMs` have passed; whether it holds.
inline bool PumpUntil(const std::function<bool()>& done, int limitMs = 5000)
{
    QDeadlineTimer deadline(limitMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

// Runs the event loop for `ms` milliseconds.
inline void PumpFor(int ms)
{
    PumpUntil([] { return false; }, ms);
}

inline const QString TestProgID = QStringLiteral("Test.Server.1");

// Area.Tag1 (R8, writable), Area.Tag2 (I4, writable), Area.ReadOnly (R8),
// Area.Sub.Text (BSTR), Analog (R8 writable, range 0 to 100).
inline std::shared_ptr<InProcessServer> MakeTestServer(const QString& progId = TestProgID)
{
    auto server = std::make_shared<InProcessServer>(progId, QStringLiteral("Test server"));
    server->AddTag(QStringLiteral("Area.Tag1"), OpcType::R8, 1.5, true);
    server->AddTag(QStringLiteral("Area.Tag2"), OpcType::I4, 7, true);
    server->AddTag(QStringLiteral("Area.ReadOnly"), OpcType::R8, 3.0, false);
    server->AddTag(QStringLiteral("Area.Sub.Text"), OpcType::Bstr, QStringLiteral("abc"), false);
    server->AddTag(QStringLiteral("Analog"), OpcType::R8, 50.0, true, 0, 100);
    return server;
}

// A connection to the test server (ConnectDelay 0) that counts its
// OnDisconnect signals and collects its item error reports.
struct TestConnection {
    std::shared_ptr<InProcessRegistry> Registry = std::make_shared<InProcessRegistry>();
    std::shared_ptr<InProcessServer> Server = MakeTestServer();
    InProcessConnection Connection{Registry};
    int Disconnects = 0;
    QStringList Reports;

    TestConnection()
    {
        Registry->Register(Server);
        Connection.ConnectDelay = 0;
        QObject::connect(&Connection, &OpcServer::OnDisconnect, [this] { ++Disconnects; });
        QObject::connect(&Connection, &OpcServer::ItemErrorReport,
                         [this](const QString& report) { Reports << report; });
    }
    void Connect() { Connection.ConnectServer(TestProgID, QString()); }
    // A group that delivers every 10 ms.
    OpcGroup* FastGroup(const QString& name = QStringLiteral("Skupina1"))
    {
        OpcGroup* group = Connection.AddGroup(name);
        group->SetUpdateRate(10);
        return group;
    }
    // Runs the event loop until the item has had a delivery.
    static bool Delivered(const OpcItem* item)
    {
        return PumpUntil([item] { return item->Quality != 0; });
    }
};
