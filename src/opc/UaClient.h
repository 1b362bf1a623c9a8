#pragma once

// A client of one OPC UA server over UA TCP with SecurityPolicy None: the
// secure channel (opened, renewed at 75 % of its revised lifetime, closed),
// the session (anonymous, with the policy id the endpoint advertises) and the
// services, on the thread that owns it through the Qt event loop.
//
// Every request has a timeout. The service calls below wait for their
// response in a local event loop (timers and deliveries go on, user input
// waits) and throw UaError with the cause; a request that is not answered
// in time, a socket closed by the server, an ERR message, a broken message
// or a session the server no longer knows ends the connection, and OnLost
// tells why. Close() ends it without OnLost.
//
// Subscriptions deliver through OnDataChange: while any subscription exists
// two Publish requests are kept outstanding, each notification message is
// acknowledged with the next Publish, keep-alives are not.

#include "opc/UaBinary.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <stdexcept>

class QTcpSocket;
class QTimer;

class UaError : public std::runtime_error {
public:
    explicit UaError(const QString& message, uint32_t status = 0)
        : std::runtime_error(message.toStdString()), Status(status)
    {
    }
    uint32_t Status; // the server's status code, 0 when the failure is not one
};

// opc.tcp://host[:port][/path]; the port defaults to 4840.
bool IsUaEndpointUrl(const QString& text);

// Now as UA ticks (100 ns since 1601), and back to milliseconds since 1970.
Ua::Ticks UaNow();
qint64 UaTicksToMsecsSinceEpoch(Ua::Ticks ticks);

class UaClient : public QObject {
    Q_OBJECT
public:
    explicit UaClient(QObject* parent = nullptr);
    ~UaClient() override;

    int TimeoutMs = 5000;                  // every request, and each step of connecting
    uint32_t RequestedLifetimeMs = 600000; // of the secure channel's token
    uint32_t MaxReferencesPerNode = 100;   // per Browse answer; BrowseNext fetches the rest
    double SessionTimeoutMs = 60000;
    Ua::Limits OwnLimits;

    // Socket, HEL/ACK and the secure channel; enough for GetEndpoints and
    // FindServers. Throws UaError.
    void OpenChannel(const QString& endpointUrl);
    // OpenChannel, then the endpoint check and an anonymous session. An
    // endpoint without SecurityPolicy None, or without anonymous access, is
    // refused with a message naming what it offers.
    void Connect(const QString& endpointUrl);
    // CloseSession, CloseSecureChannel and the socket; no OnLost.
    void Close();
    bool IsOpen() const { return state_ == State::Open; }
    bool HasSession() const { return !authenticationToken_.IsNull(); }
    const QString& EndpointUrl() const { return url_; }
    // The channel's current token and the lifetime the server granted.
    uint32_t TokenId() const { return tokenId_; }
    uint32_t RevisedLifetimeMs() const { return revisedLifetime_; }

    std::vector<Ua::EndpointDescription> GetEndpoints();
    std::vector<Ua::ApplicationDescription> FindServers();
    std::vector<Ua::DataValue> Read(const std::vector<Ua::ReadValueId>& nodes);
    std::vector<uint32_t> Write(const std::vector<Ua::WriteValue>& values);
    // Every child reference of the node, following continuation points.
    std::vector<Ua::ReferenceDescription> Browse(const Ua::NodeId& node);
    Ua::CreateSubscriptionResponse CreateSubscription(double publishingIntervalMs,
                                                      bool publishingEnabled);
    std::vector<Ua::MonitoredItemCreateResult>
    CreateMonitoredItems(uint32_t subscriptionId,
                         const std::vector<Ua::MonitoredItemRequest>& items);
    void DeleteMonitoredItems(uint32_t subscriptionId, const std::vector<uint32_t>& ids);
    void DeleteSubscriptions(const std::vector<uint32_t>& ids);

    // Deliveries of a subscription's data changes.
    std::function<void(uint32_t subscriptionId,
                       const std::vector<Ua::MonitoredItemNotification>& changes)>
        OnDataChange;
    // The connection was lost; the reason in words.
    std::function<void(const QString& reason)> OnLost;

private:
    enum class State { Closed, Connecting, Hello, Opening, Open };
    using Handler = std::function<void(const Ua::Response* response, const QString& error)>;
    struct Pending {
        Handler Done;
        qint64 Deadline = 0;
        Ua::ChunkAssembler Assembler;
    };

    Ua::RequestHeader Header(uint32_t requestHandle, int timeoutMs) const;
    uint32_t Send(const char* type, const Ua::Bytes& body, uint32_t requestId, int timeoutMs,
                  Handler done);
    // Sends a request and waits for its response; throws UaError for a
    // failure, a ServiceFault or a bad service result.
    Ua::Response Call(const std::function<Ua::Bytes(const Ua::RequestHeader&)>& encode,
                      uint32_t expectedType, int timeoutMs = -1);
    void WaitFor(const std::function<bool()>& done, int timeoutMs, const char* what);
    void OpenSecureChannel(bool renew);
    void ReadyRead();
    void Process(const uint8_t* data, size_t size);
    void CheckDeadlines();
    void Fail(const QString& reason);
    void EndSocket();
    void ResetSession();
    void SchedulePublish();
    void PublishDone(const Ua::Response* response, const QString& error);

    std::unique_ptr<QTcpSocket> socket_;
    std::unique_ptr<QTimer> deadlineTimer_;
    std::unique_ptr<QTimer> renewTimer_;
    State state_ = State::Closed;
    QString url_;
    QString failure_;
    QByteArray buffer_;
    Ua::Limits peer_;
    uint32_t channelId_ = 0;
    uint32_t tokenId_ = 0;
    uint32_t revisedLifetime_ = 0;
    uint32_t nextSequence_ = 1;
    uint32_t nextRequestId_ = 1;
    std::map<uint32_t, Pending> pending_;
    Ua::NodeId authenticationToken_;

    // Subscriptions and the Publish requests in flight.
    std::map<uint32_t, double> subscriptions_; // id -> longest silence before a keep-alive, ms
    std::vector<Ua::Acknowledgement> acknowledgements_;
    int publishesInFlight_ = 0;
    bool publishRefused_ = false;
};
