#include "opc/UaClient.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace {

constexpr Ua::Ticks TicksAt1970 = 116444736000000000LL;
constexpr int PublishRequestsKept = 2;

qint64 NowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

QString StatusWords(uint32_t status)
{
    return Text(Ua::StatusText(status));
}

QString ModeName(uint32_t mode)
{
    switch (mode) {
    case 1:
        return QStringLiteral("None");
    case 2:
        return QStringLiteral("Sign");
    case 3:
        return QStringLiteral("SignAndEncrypt");
    default:
        return QString::number(mode);
    }
}

QString PolicyName(const std::string& uri)
{
    const QString text = Text(uri);
    const qsizetype hash = text.lastIndexOf(QLatin1Char('#'));
    return hash >= 0 ? text.mid(hash + 1) : text;
}

QString TokenTypeName(uint32_t type)
{
    switch (type) {
    case 0:
        return QStringLiteral("Anonymous");
    case 1:
        return QStringLiteral("UserName");
    case 2:
        return QStringLiteral("Certificate");
    case 3:
        return QStringLiteral("IssuedToken");
    default:
        return QString::number(type);
    }
}

} // namespace

bool IsUaEndpointUrl(const QString& text)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    return url.isValid() && url.scheme() == QStringLiteral("opc.tcp") && !url.host().isEmpty();
}

Ua::Ticks UaNow()
{
    return NowMs() * 10000 + TicksAt1970;
}

qint64 UaTicksToMsecsSinceEpoch(Ua::Ticks ticks)
{
    return (ticks - TicksAt1970) / 10000;
}

UaClient::UaClient(QObject* parent)
    : QObject(parent), deadlineTimer_(new QTimer), renewTimer_(new QTimer)
{
    deadlineTimer_->setInterval(20);
    connect(deadlineTimer_.get(), &QTimer::timeout, this, [this] { CheckDeadlines(); });
    renewTimer_->setSingleShot(true);
    connect(renewTimer_.get(), &QTimer::timeout, this, [this] { OpenSecureChannel(true); });
}

UaClient::~UaClient()
{
    OnLost = nullptr;
    OnDataChange = nullptr;
    EndSocket();
}

// ---------------------------------------------------------------- connecting

void UaClient::OpenChannel(const QString& endpointUrl)
{
    Close();
    url_ = endpointUrl.trimmed();
    const QUrl url(url_, QUrl::StrictMode);
    if (!IsUaEndpointUrl(url_))
        throw UaError(
            QStringLiteral("%1 is not an OPC UA endpoint (opc.tcp://host:port)").arg(url_));
    failure_.clear();
    state_ = State::Connecting;
    socket_ = std::make_unique<QTcpSocket>();
    connect(socket_.get(), &QTcpSocket::readyRead, this, [this] { ReadyRead(); });
    connect(socket_.get(), &QTcpSocket::disconnected, this,
            [this] { Fail(QStringLiteral("the server closed the connection")); });
    connect(socket_.get(), &QTcpSocket::errorOccurred, this, [this] {
        if (socket_)
            Fail(socket_->errorString());
    });
    connect(socket_.get(), &QTcpSocket::connected, this, [this] {
        socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        state_ = State::Hello;
        const Ua::Bytes hello = Ua::EncodeHello(OwnLimits, url_.toStdString());
        socket_->write(reinterpret_cast<const char*>(hello.data()), qint64(hello.size()));
    });
    socket_->connectToHost(url.host(), quint16(url.port(4840)));
    deadlineTimer_->start();
    WaitFor([this] { return state_ == State::Opening || state_ == State::Closed; }, TimeoutMs,
            "to accept the connection");
    OpenSecureChannel(false);
    WaitFor([this] { return state_ == State::Open || state_ == State::Closed; }, TimeoutMs,
            "to open the secure channel");
}

void UaClient::Connect(const QString& endpointUrl)
{
    OpenChannel(endpointUrl);
    try {
        const std::vector<Ua::EndpointDescription> endpoints = GetEndpoints();
        const Ua::EndpointDescription* open = nullptr;
        QStringList offered;
        for (const Ua::EndpointDescription& endpoint : endpoints) {
            offered.append(PolicyName(endpoint.SecurityPolicyUri) + QLatin1Char('/') +
                           ModeName(endpoint.SecurityMode));
            if (endpoint.SecurityMode == 1 &&
                endpoint.SecurityPolicyUri == Ua::SecurityPolicyNone && !open)
                open = &endpoint;
        }
        offered.removeDuplicates();
        if (!open)
            throw UaError(QStringLiteral("the server offers no unencrypted endpoint "
                                         "(SecurityPolicy None); it offers %1")
                              .arg(offered.isEmpty() ? QStringLiteral("none")
                                                     : offered.join(QStringLiteral(", "))));
        const auto anonymous =
            std::find_if(open->UserIdentityTokens.begin(), open->UserIdentityTokens.end(),
                         [](const Ua::UserTokenPolicy& policy) { return policy.TokenType == 0; });
        if (anonymous == open->UserIdentityTokens.end()) {
            QStringList tokens;
            for (const Ua::UserTokenPolicy& policy : open->UserIdentityTokens)
                tokens.append(TokenTypeName(policy.TokenType));
            throw UaError(QStringLiteral("the server demands a user identity (%1); "
                                         "only anonymous access is supported")
                              .arg(tokens.join(QStringLiteral(", "))));
        }
        Ua::Bytes nonce(32);
        for (size_t i = 0; i < nonce.size(); ++i)
            nonce[i] = uint8_t((NowMs() >> (i % 8)) ^ (i * 37));
        const Ua::Response created = Call(
            [&](const Ua::RequestHeader& header) {
                return Ua::EncodeCreateSession(header, url_.toStdString(), "Varkol", nonce,
                                               SessionTimeoutMs);
            },
            Ua::Id::CreateSessionResponse);
        authenticationToken_ =
            std::get<Ua::CreateSessionResponse>(created.Body).AuthenticationToken;
        const Ua::Response activated = Call(
            [&](const Ua::RequestHeader& header) {
                return Ua::EncodeActivateSession(header, anonymous->PolicyId);
            },
            Ua::Id::ActivateSessionResponse);
        (void)activated;
    } catch (...) {
        Close();
        throw;
    }
}

void UaClient::Close()
{
    if (state_ == State::Open) {
        if (HasSession()) {
            try {
                Call(
                    [](const Ua::RequestHeader& header) {
                        return Ua::EncodeCloseSession(header, true);
                    },
                    Ua::Id::CloseSessionResponse, std::min(TimeoutMs, 1000));
            } catch (const UaError&) {
                // The session ends with the channel anyway.
            }
        }
        if (state_ == State::Open) {
            const uint32_t requestId = nextRequestId_++;
            for (const Ua::Bytes& chunk :
                 Ua::EncodeChunks("CLO", channelId_, tokenId_, nextSequence_, requestId,
                                  Ua::EncodeCloseSecureChannel(Header(requestId, 0)), peer_)) {
                socket_->write(reinterpret_cast<const char*>(chunk.data()), qint64(chunk.size()));
                ++nextSequence_;
            }
            socket_->flush();
        }
    }
    EndSocket();
}

void UaClient::EndSocket()
{
    state_ = State::Closed;
    renewTimer_->stop();
    deadlineTimer_->stop();
    if (socket_) {
        socket_->disconnect(this);
        socket_->abort();
        // The socket may be the sender of the signal being handled.
        socket_.release()->deleteLater();
    }
    buffer_.clear();
    ResetSession();
    std::map<uint32_t, Pending> pending;
    pending.swap(pending_);
    const QString reason =
        failure_.isEmpty() ? QStringLiteral("the connection was closed") : failure_;
    for (auto& [id, request] : pending)
        request.Done(nullptr, reason);
}

void UaClient::ResetSession()
{
    authenticationToken_ = Ua::NodeId();
    subscriptions_.clear();
    acknowledgements_.clear();
    publishesInFlight_ = 0;
    publishRefused_ = false;
    channelId_ = tokenId_ = 0;
    nextSequence_ = 1;
}

void UaClient::Fail(const QString& reason)
{
    if (state_ == State::Closed)
        return;
    const bool wasOpen = state_ == State::Open;
    failure_ = reason;
    EndSocket();
    if (wasOpen && OnLost)
        OnLost(reason);
}

void UaClient::OpenSecureChannel(bool renew)
{
    if (!socket_ || (renew && state_ != State::Open) || (!renew && state_ != State::Opening))
        return;
    const uint32_t requestId = nextRequestId_++;
    const Ua::Bytes body =
        Ua::EncodeOpenSecureChannel(Header(requestId, TimeoutMs), renew, RequestedLifetimeMs);
    Send("OPN", body, requestId, TimeoutMs,
         [this](const Ua::Response* response, const QString& error) {
             if (!response) {
                 Fail(error);
                 return;
             }
             if (response->TypeId != Ua::Id::OpenSecureChannelResponse ||
                 Ua::Status::IsBad(response->Header.ServiceResult)) {
                 Fail(QStringLiteral("the server refused the secure channel: %1")
                          .arg(StatusWords(response->Header.ServiceResult)));
                 return;
             }
             const auto& opened = std::get<Ua::OpenSecureChannelResponse>(response->Body);
             channelId_ = opened.ChannelId;
             tokenId_ = opened.TokenId;
             revisedLifetime_ = opened.RevisedLifetime;
             if (revisedLifetime_ > 0)
                 renewTimer_->start(
                     int(std::min<uint64_t>(uint64_t(revisedLifetime_) * 3 / 4, INT32_MAX)));
             state_ = State::Open;
         });
}

// ---------------------------------------------------------------- requests

Ua::RequestHeader UaClient::Header(uint32_t requestHandle, int timeoutMs) const
{
    Ua::RequestHeader header;
    header.AuthenticationToken = authenticationToken_;
    header.Timestamp = UaNow();
    header.RequestHandle = requestHandle;
    header.TimeoutHint = uint32_t(std::max(0, timeoutMs));
    return header;
}

uint32_t UaClient::Send(const char* type, const Ua::Bytes& body, uint32_t requestId, int timeoutMs,
                        Handler done)
{
    std::vector<Ua::Bytes> chunks;
    try {
        chunks =
            Ua::EncodeChunks(type, channelId_, tokenId_, nextSequence_, requestId, body, peer_);
    } catch (const Ua::DecodeError& e) {
        done(nullptr, Text(e.what()));
        return requestId;
    }
    Pending request{std::move(done), NowMs() + timeoutMs, Ua::ChunkAssembler(OwnLimits)};
    pending_.emplace(requestId, std::move(request));
    for (const Ua::Bytes& chunk : chunks) {
        socket_->write(reinterpret_cast<const char*>(chunk.data()), qint64(chunk.size()));
        ++nextSequence_;
    }
    return requestId;
}

void UaClient::WaitFor(const std::function<bool()>& done, int timeoutMs, const char* what)
{
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(1);
    QElapsedTimer clock;
    clock.start();
    connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || clock.elapsed() >= timeoutMs)
            loop.quit();
    });
    if (!done()) {
        poll.start();
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (state_ == State::Closed)
        throw UaError(failure_.isEmpty() ? QStringLiteral("the connection was closed") : failure_);
    if (!done()) {
        const QString reason = QStringLiteral("the server did not answer within %1 ms %2")
                                   .arg(timeoutMs)
                                   .arg(QLatin1String(what));
        Fail(reason);
        throw UaError(reason, Ua::Status::BadTimeout);
    }
}

Ua::Response UaClient::Call(const std::function<Ua::Bytes(const Ua::RequestHeader&)>& encode,
                            uint32_t expectedType, int timeoutMs)
{
    if (state_ != State::Open)
        throw UaError(failure_.isEmpty() ? QStringLiteral("not connected") : failure_);
    if (timeoutMs < 0)
        timeoutMs = TimeoutMs;
    std::optional<Ua::Response> result;
    QString error;
    bool finished = false;
    QEventLoop loop;
    const uint32_t requestId = nextRequestId_++;
    Send("MSG", encode(Header(requestId, timeoutMs)), requestId, timeoutMs,
         [&](const Ua::Response* response, const QString& failure) {
             if (response)
                 result = *response;
             else
                 error = failure;
             finished = true;
             loop.quit();
         });
    if (!finished)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!result)
        throw UaError(error);
    const uint32_t status = result->Header.ServiceResult;
    if (result->TypeId == Ua::Id::ServiceFault || Ua::Status::IsBad(status)) {
        if (status == Ua::Status::BadSessionIdInvalid || status == Ua::Status::BadSessionClosed)
            Fail(QStringLiteral("the server ended the session (%1)").arg(StatusWords(status)));
        throw UaError(StatusWords(status), status);
    }
    if (result->TypeId != expectedType)
        throw UaError(QStringLiteral("unexpected answer i=%1").arg(result->TypeId));
    return std::move(*result);
}

std::vector<Ua::EndpointDescription> UaClient::GetEndpoints()
{
    const std::string url = url_.toStdString();
    return std::get<Ua::GetEndpointsResponse>(
               Call([&](const Ua::RequestHeader& h) { return Ua::EncodeGetEndpoints(h, url); },
                    Ua::Id::GetEndpointsResponse)
                   .Body)
        .Endpoints;
}

std::vector<Ua::ApplicationDescription> UaClient::FindServers()
{
    const std::string url = url_.toStdString();
    return std::get<Ua::FindServersResponse>(
               Call([&](const Ua::RequestHeader& h) { return Ua::EncodeFindServers(h, url); },
                    Ua::Id::FindServersResponse)
                   .Body)
        .Servers;
}

std::vector<Ua::DataValue> UaClient::Read(const std::vector<Ua::ReadValueId>& nodes)
{
    std::vector<Ua::DataValue> values =
        std::get<Ua::ReadResponse>(
            Call([&](const Ua::RequestHeader& h) { return Ua::EncodeRead(h, nodes); },
                 Ua::Id::ReadResponse)
                .Body)
            .Results;
    if (values.size() != nodes.size())
        throw UaError(QStringLiteral("the server answered %1 values for %2 nodes")
                          .arg(values.size())
                          .arg(nodes.size()));
    return values;
}

std::vector<uint32_t> UaClient::Write(const std::vector<Ua::WriteValue>& values)
{
    std::vector<uint32_t> results =
        std::get<Ua::StatusResults>(
            Call([&](const Ua::RequestHeader& h) { return Ua::EncodeWrite(h, values); },
                 Ua::Id::WriteResponse)
                .Body)
            .Results;
    if (results.size() != values.size())
        throw UaError(QStringLiteral("the server answered %1 results for %2 writes")
                          .arg(results.size())
                          .arg(values.size()));
    return results;
}

std::vector<Ua::ReferenceDescription> UaClient::Browse(const Ua::NodeId& node)
{
    Ua::BrowseResponse answer = std::get<Ua::BrowseResponse>(
        Call(
            [&](const Ua::RequestHeader& h) {
                return Ua::EncodeBrowse(h, {node}, MaxReferencesPerNode);
            },
            Ua::Id::BrowseResponse)
            .Body);
    std::vector<Ua::ReferenceDescription> references;
    // A server that keeps handing out continuation points is stopped after
    // a bound, and the point released.
    for (int round = 0; round < 10000; ++round) {
        if (answer.Results.size() != 1)
            throw UaError(QStringLiteral("the server answered %1 browse results for one node")
                              .arg(answer.Results.size()));
        Ua::BrowseResult& result = answer.Results[0];
        if (Ua::Status::IsBad(result.Status))
            throw UaError(StatusWords(result.Status), result.Status);
        references.insert(references.end(), std::make_move_iterator(result.References.begin()),
                          std::make_move_iterator(result.References.end()));
        if (result.ContinuationPoint.empty())
            return references;
        const std::vector<Ua::Bytes> points = {result.ContinuationPoint};
        answer = std::get<Ua::BrowseResponse>(
            Call([&](const Ua::RequestHeader& h) { return Ua::EncodeBrowseNext(h, false, points); },
                 Ua::Id::BrowseNextResponse)
                .Body);
    }
    throw UaError(QStringLiteral("the server's browse answer does not end"));
}

Ua::CreateSubscriptionResponse UaClient::CreateSubscription(double publishingIntervalMs,
                                                            bool publishingEnabled)
{
    // Keep-alive at least every 10 s; the lifetime three keep-alives long.
    const uint32_t keepAlive =
        uint32_t(std::clamp(10000.0 / std::max(publishingIntervalMs, 1.0), 3.0, 1000.0));
    const Ua::CreateSubscriptionResponse created = std::get<Ua::CreateSubscriptionResponse>(
        Call(
            [&](const Ua::RequestHeader& h) {
                return Ua::EncodeCreateSubscription(h, publishingIntervalMs, keepAlive * 3,
                                                    keepAlive, publishingEnabled);
            },
            Ua::Id::CreateSubscriptionResponse)
            .Body);
    subscriptions_[created.SubscriptionId] = double(created.RevisedMaxKeepAliveCount + 1) *
                                             std::max(created.RevisedPublishingInterval, 1.0);
    publishRefused_ = false;
    SchedulePublish();
    return created;
}

std::vector<Ua::MonitoredItemCreateResult>
UaClient::CreateMonitoredItems(uint32_t subscriptionId,
                               const std::vector<Ua::MonitoredItemRequest>& items)
{
    std::vector<Ua::MonitoredItemCreateResult> results =
        std::get<Ua::CreateMonitoredItemsResponse>(Call(
                                                       [&](const Ua::RequestHeader& h) {
                                                           return Ua::EncodeCreateMonitoredItems(
                                                               h, subscriptionId, items);
                                                       },
                                                       Ua::Id::CreateMonitoredItemsResponse)
                                                       .Body)
            .Results;
    if (results.size() != items.size())
        throw UaError(QStringLiteral("the server answered %1 results for %2 items")
                          .arg(results.size())
                          .arg(items.size()));
    return results;
}

void UaClient::DeleteMonitoredItems(uint32_t subscriptionId, const std::vector<uint32_t>& ids)
{
    Call(
        [&](const Ua::RequestHeader& h) {
            return Ua::EncodeDeleteMonitoredItems(h, subscriptionId, ids);
        },
        Ua::Id::DeleteMonitoredItemsResponse);
}

void UaClient::DeleteSubscriptions(const std::vector<uint32_t>& ids)
{
    for (uint32_t id : ids)
        subscriptions_.erase(id);
    Call([&](const Ua::RequestHeader& h) { return Ua::EncodeDeleteSubscriptions(h, ids); },
         Ua::Id::DeleteSubscriptionsResponse);
}

// ---------------------------------------------------------------- publishing

void UaClient::SchedulePublish()
{
    if (state_ != State::Open || subscriptions_.empty() || publishRefused_)
        return;
    double longest = 0;
    for (const auto& [id, silence] : subscriptions_)
        longest = std::max(longest, silence);
    const int timeoutMs = int(std::min(longest + TimeoutMs, 3600000.0));
    while (publishesInFlight_ < PublishRequestsKept) {
        ++publishesInFlight_;
        const uint32_t requestId = nextRequestId_++;
        std::vector<Ua::Acknowledgement> acks;
        acks.swap(acknowledgements_);
        Send("MSG", Ua::EncodePublish(Header(requestId, timeoutMs), acks), requestId, timeoutMs,
             [this](const Ua::Response* response, const QString& error) {
                 PublishDone(response, error);
             });
    }
}

void UaClient::PublishDone(const Ua::Response* response, const QString& /*error*/)
{
    if (!response) // the connection ended, or the request timed out (and ended it)
        return;
    --publishesInFlight_;
    const uint32_t status = response->Header.ServiceResult;
    if (response->TypeId != Ua::Id::PublishResponse || Ua::Status::IsBad(status)) {
        if (status == Ua::Status::BadSessionIdInvalid || status == Ua::Status::BadSessionClosed ||
            status == Ua::Status::BadSessionNotActivated || status == Ua::Status::BadShutdown) {
            Fail(QStringLiteral("the server ended the session (%1)").arg(StatusWords(status)));
            return;
        }
        // Without subscriptions the server refuses Publish: stop until the
        // next one. Too many outstanding: the others go on. Any other
        // refusal: publishing goes on with the next request.
        if (status == Ua::Status::BadNoSubscription && subscriptions_.empty())
            publishRefused_ = true;
        if (status != Ua::Status::BadTooManyPublishRequests)
            SchedulePublish();
        return;
    }
    const auto& published = std::get<Ua::PublishResponse>(response->Body);
    const bool known = subscriptions_.count(published.SubscriptionId) > 0;
    if (published.HasNotificationData && known)
        acknowledgements_.push_back({published.SubscriptionId, published.SequenceNumber});
    for (uint32_t change : published.StatusChanges) {
        if (Ua::Status::IsBad(change) && known) {
            Fail(QStringLiteral("the server ended a subscription (%1)").arg(StatusWords(change)));
            return;
        }
    }
    SchedulePublish();
    if (known && !published.DataChanges.empty() && OnDataChange)
        OnDataChange(published.SubscriptionId, published.DataChanges);
}

// ---------------------------------------------------------------- receiving

void UaClient::ReadyRead()
{
    buffer_.append(socket_->readAll());
    while (socket_ && size_t(buffer_.size()) >= Ua::TransportHeaderSize) {
        const auto* data = reinterpret_cast<const uint8_t*>(buffer_.constData());
        Ua::TransportHeader header;
        try {
            header =
                Ua::ReadTransportHeader(data, size_t(buffer_.size()), OwnLimits.ReceiveBufferSize);
        } catch (const Ua::DecodeError& e) {
            Fail(QStringLiteral("broken message from the server: %1").arg(Text(e.what())));
            return;
        }
        if (size_t(buffer_.size()) < header.Size)
            return;
        const QByteArray message = buffer_.left(qsizetype(header.Size));
        buffer_.remove(0, qsizetype(header.Size));
        try {
            Process(reinterpret_cast<const uint8_t*>(message.constData()), size_t(message.size()));
        } catch (const Ua::DecodeError& e) {
            Fail(QStringLiteral("broken message from the server: %1").arg(Text(e.what())));
            return;
        }
    }
}

void UaClient::Process(const uint8_t* data, size_t size)
{
    const Ua::TransportHeader header = Ua::ReadTransportHeader(data, size, 0);
    if (header.Is("ERR")) {
        const Ua::ServerMessage message = Ua::DecodeServerMessage(data, size);
        Fail(QStringLiteral("the server ended the connection: %1 %2")
                 .arg(StatusWords(message.Error->Status), Text(message.Error->Reason))
                 .trimmed());
        return;
    }
    if (header.Is("ACK")) {
        if (state_ != State::Hello)
            throw Ua::DecodeError("unexpected ACK");
        const Ua::ServerMessage message = Ua::DecodeServerMessage(data, size);
        peer_ = message.Ack->Peer;
        if (peer_.ReceiveBufferSize < Ua::MinBufferSize)
            throw Ua::DecodeError("the server's receive buffer is too small");
        // Never send more than the server takes, nor receive more than agreed.
        OwnLimits.ReceiveBufferSize = std::min(OwnLimits.ReceiveBufferSize,
                                               std::max(peer_.SendBufferSize, Ua::MinBufferSize));
        state_ = State::Opening;
        return;
    }
    if (state_ != State::Opening && state_ != State::Open)
        throw Ua::DecodeError("secure channel message before the channel was opened");
    Ua::Chunk chunk = Ua::ReadChunk(data, size, OwnLimits.ReceiveBufferSize);
    if (channelId_ != 0 && chunk.ChannelId != channelId_)
        throw Ua::DecodeError("message for another secure channel");
    if (header.Is("CLO"))
        throw Ua::DecodeError("the server closed the secure channel");
    const auto it = pending_.find(chunk.Sequence.RequestId);
    if (it == pending_.end())
        return; // the answer to a request given up on
    const uint32_t requestId = it->first;
    if (!it->second.Assembler.Add(std::move(chunk)))
        return;
    const Ua::Bytes body = std::move(it->second.Assembler.Body);
    Handler done = std::move(it->second.Done);
    pending_.erase(it);
    (void)requestId;
    const Ua::Response response = Ua::DecodeResponse(body.data(), body.size());
    done(&response, QString());
}

void UaClient::CheckDeadlines()
{
    const qint64 now = NowMs();
    for (const auto& [id, request] : pending_) {
        if (request.Deadline <= now) {
            Fail(QStringLiteral("the server did not answer within the request timeout"));
            return;
        }
    }
}
