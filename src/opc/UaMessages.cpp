// The UA TCP transport messages and the services' requests and responses.

#include "opc/UaBinary.h"

#include <algorithm>

namespace Ua {

namespace {

void WriteTypeId(Writer& writer, uint32_t id)
{
    WriteNodeId(writer, NodeId::Num(id));
}

// Two empty arrays end many requests and responses: results and
// diagnostic infos. Reads the diagnostic infos.
void SkipDiagnosticInfos(Reader& reader)
{
    const size_t count = reader.ArrayLength(1);
    for (size_t i = 0; i < count; ++i)
        SkipDiagnosticInfo(reader);
}

std::vector<uint32_t> ReadStatusArray(Reader& reader)
{
    std::vector<uint32_t> codes(reader.ArrayLength(4));
    for (uint32_t& code : codes)
        code = reader.U32();
    return codes;
}

ResponseHeader ReadResponseHeader(Reader& reader)
{
    ResponseHeader header;
    header.Timestamp = reader.I64();
    header.RequestHandle = reader.U32();
    header.ServiceResult = reader.U32();
    SkipDiagnosticInfo(reader);
    ReadStringArray(reader);
    ReadExtensionObject(reader);
    return header;
}

ApplicationDescription ReadApplicationDescription(Reader& reader)
{
    ApplicationDescription description;
    description.ApplicationUri = reader.String();
    description.ProductUri = reader.String();
    description.ApplicationName = ReadLocalizedText(reader);
    description.ApplicationType = reader.U32();
    reader.String(); // gateway server uri
    reader.String(); // discovery profile uri
    description.DiscoveryUrls = ReadStringArray(reader);
    return description;
}

EndpointDescription ReadEndpointDescription(Reader& reader)
{
    EndpointDescription endpoint;
    endpoint.EndpointUrl = reader.String();
    endpoint.Server = ReadApplicationDescription(reader);
    reader.ByteString(); // server certificate
    endpoint.SecurityMode = reader.U32();
    endpoint.SecurityPolicyUri = reader.String();
    endpoint.UserIdentityTokens.resize(reader.ArrayLength(20));
    for (UserTokenPolicy& policy : endpoint.UserIdentityTokens) {
        policy.PolicyId = reader.String();
        policy.TokenType = reader.U32();
        reader.String(); // issued token type
        reader.String(); // issuer endpoint url
        policy.SecurityPolicyUri = reader.String();
    }
    endpoint.TransportProfileUri = reader.String();
    endpoint.SecurityLevel = reader.U8();
    return endpoint;
}

BrowseResponse ReadBrowseResults(Reader& reader)
{
    BrowseResponse response;
    response.Results.resize(reader.ArrayLength(12));
    for (BrowseResult& result : response.Results) {
        result.Status = reader.U32();
        result.ContinuationPoint = reader.ByteString();
        result.References.resize(reader.ArrayLength(16));
        for (ReferenceDescription& reference : result.References) {
            reference.ReferenceTypeId = ReadNodeId(reader);
            reference.IsForward = reader.Boolean();
            reference.Node = ReadExpandedNodeId(reader);
            reference.BrowseName = ReadQualifiedName(reader);
            reference.DisplayName = ReadLocalizedText(reader);
            reference.NodeClass = reader.U32();
            reference.TypeDefinition = ReadExpandedNodeId(reader);
        }
    }
    SkipDiagnosticInfos(reader);
    return response;
}

void ReadNotificationData(Reader& reader, PublishResponse& response)
{
    const size_t count = reader.ArrayLength(3);
    response.HasNotificationData = count > 0;
    for (size_t i = 0; i < count; ++i) {
        const ExtensionObject object = ReadExtensionObject(reader);
        if (object.Encoding != 1 || object.TypeId.Namespace != 0 ||
            object.TypeId.IdKind != NodeId::Kind::Numeric)
            continue;
        Reader body(object.Body);
        body.Depth = reader.Depth;
        if (object.TypeId.Numeric == Id::DataChangeNotification) {
            const size_t items = body.ArrayLength(5);
            for (size_t k = 0; k < items; ++k) {
                MonitoredItemNotification notification;
                notification.ClientHandle = body.U32();
                notification.Value = ReadDataValue(body);
                response.DataChanges.push_back(std::move(notification));
            }
            SkipDiagnosticInfos(body);
        } else if (object.TypeId.Numeric == Id::StatusChangeNotification) {
            response.StatusChanges.push_back(body.U32());
            SkipDiagnosticInfo(body);
        }
    }
}

ResponseBody ReadBody(Reader& reader, uint32_t typeId)
{
    switch (typeId) {
    case Id::ServiceFault:
    case Id::CloseSessionResponse:
        return Empty{};
    case Id::OpenSecureChannelResponse: {
        OpenSecureChannelResponse response;
        reader.U32(); // server protocol version
        response.ChannelId = reader.U32();
        response.TokenId = reader.U32();
        response.CreatedAt = reader.I64();
        response.RevisedLifetime = reader.U32();
        reader.ByteString(); // server nonce
        return response;
    }
    case Id::GetEndpointsResponse: {
        GetEndpointsResponse response;
        response.Endpoints.resize(reader.ArrayLength(40));
        for (EndpointDescription& endpoint : response.Endpoints)
            endpoint = ReadEndpointDescription(reader);
        return response;
    }
    case Id::FindServersResponse: {
        FindServersResponse response;
        response.Servers.resize(reader.ArrayLength(25));
        for (ApplicationDescription& server : response.Servers)
            server = ReadApplicationDescription(reader);
        return response;
    }
    case Id::CreateSessionResponse: {
        CreateSessionResponse response;
        response.SessionId = ReadNodeId(reader);
        response.AuthenticationToken = ReadNodeId(reader);
        response.RevisedSessionTimeout = reader.Double();
        reader.ByteString(); // server nonce
        reader.ByteString(); // server certificate
        const size_t endpoints = reader.ArrayLength(40);
        for (size_t i = 0; i < endpoints; ++i)
            ReadEndpointDescription(reader);
        const size_t certificates = reader.ArrayLength(8);
        for (size_t i = 0; i < certificates; ++i) {
            reader.ByteString();
            reader.ByteString();
        }
        reader.String();     // signature algorithm
        reader.ByteString(); // signature
        response.MaxRequestMessageSize = reader.U32();
        return response;
    }
    case Id::ActivateSessionResponse: {
        reader.ByteString(); // server nonce
        StatusResults response{ReadStatusArray(reader)};
        SkipDiagnosticInfos(reader);
        return response;
    }
    case Id::WriteResponse:
    case Id::DeleteMonitoredItemsResponse:
    case Id::DeleteSubscriptionsResponse: {
        StatusResults response{ReadStatusArray(reader)};
        SkipDiagnosticInfos(reader);
        return response;
    }
    case Id::ReadResponse: {
        ReadResponse response;
        response.Results.resize(reader.ArrayLength(1));
        for (DataValue& value : response.Results)
            value = ReadDataValue(reader);
        SkipDiagnosticInfos(reader);
        return response;
    }
    case Id::BrowseResponse:
    case Id::BrowseNextResponse:
        return ReadBrowseResults(reader);
    case Id::CreateSubscriptionResponse: {
        CreateSubscriptionResponse response;
        response.SubscriptionId = reader.U32();
        response.RevisedPublishingInterval = reader.Double();
        response.RevisedLifetimeCount = reader.U32();
        response.RevisedMaxKeepAliveCount = reader.U32();
        return response;
    }
    case Id::CreateMonitoredItemsResponse: {
        CreateMonitoredItemsResponse response;
        response.Results.resize(reader.ArrayLength(23));
        for (MonitoredItemCreateResult& result : response.Results) {
            result.Status = reader.U32();
            result.MonitoredItemId = reader.U32();
            result.RevisedSamplingInterval = reader.Double();
            result.RevisedQueueSize = reader.U32();
            ReadExtensionObject(reader); // filter result
        }
        SkipDiagnosticInfos(reader);
        return response;
    }
    case Id::PublishResponse: {
        PublishResponse response;
        response.SubscriptionId = reader.U32();
        response.AvailableSequenceNumbers = ReadStatusArray(reader);
        response.MoreNotifications = reader.Boolean();
        response.SequenceNumber = reader.U32();
        response.PublishTime = reader.I64();
        ReadNotificationData(reader, response);
        response.Results = ReadStatusArray(reader);
        SkipDiagnosticInfos(reader);
        return response;
    }
    default:
        throw DecodeError("unexpected response type i=" + std::to_string(typeId));
    }
}

} // namespace

// ---------------------------------------------------------------- transport

TransportHeader ReadTransportHeader(const uint8_t* data, size_t size, uint32_t maxSize)
{
    Reader reader(data, size);
    TransportHeader header;
    for (char& c : header.Type)
        c = char(reader.U8());
    header.Chunk = char(reader.U8());
    header.Size = reader.U32();
    if (header.Size < TransportHeaderSize || (maxSize != 0 && header.Size > maxSize))
        throw DecodeError("message size " + std::to_string(header.Size) + " outside the limits");
    return header;
}

Bytes EncodeHello(const Limits& own, std::string_view endpointUrl)
{
    Writer writer;
    writer.Raw(reinterpret_cast<const uint8_t*>("HELF"), 4);
    writer.U32(0);
    writer.U32(0); // protocol version
    writer.U32(own.ReceiveBufferSize);
    writer.U32(own.SendBufferSize);
    writer.U32(own.MaxMessageSize);
    writer.U32(own.MaxChunkCount);
    writer.String(endpointUrl);
    writer.PatchU32(4, uint32_t(writer.Data.size()));
    return writer.Data;
}

std::vector<Bytes> EncodeChunks(const char* type, uint32_t channelId, uint32_t tokenId,
                                uint32_t firstSequence, uint32_t requestId, const Bytes& body,
                                const Limits& peer)
{
    const bool open = std::string_view(type) == "OPN";
    Writer security;
    if (open) {
        security.String(SecurityPolicyNone);
        security.NullString(); // sender certificate
        security.NullString(); // receiver certificate thumbprint
    } else {
        security.U32(tokenId);
    }
    const size_t overhead = TransportHeaderSize + 4 + security.Data.size() + 8;
    const size_t chunkSize = std::max<size_t>(peer.ReceiveBufferSize, MinBufferSize);
    const size_t room = chunkSize - overhead;
    const size_t chunkCount = std::max<size_t>(1, (body.size() + room - 1) / room);
    if ((peer.MaxMessageSize != 0 && body.size() > peer.MaxMessageSize) ||
        (peer.MaxChunkCount != 0 && chunkCount > peer.MaxChunkCount) || (open && chunkCount > 1))
        throw DecodeError("request exceeds the server's message limits");

    std::vector<Bytes> chunks;
    for (size_t i = 0; i < chunkCount; ++i) {
        const size_t begin = i * room;
        const size_t size = std::min(room, body.size() - std::min(begin, body.size()));
        Writer writer;
        writer.Raw(reinterpret_cast<const uint8_t*>(type), 3);
        writer.U8(i + 1 == chunkCount ? 'F' : 'C');
        writer.U32(uint32_t(overhead + size));
        writer.U32(channelId);
        writer.Raw(security.Data);
        writer.U32(firstSequence + uint32_t(i));
        writer.U32(requestId);
        writer.Raw(body.data() + begin, size);
        chunks.push_back(std::move(writer.Data));
    }
    return chunks;
}

Chunk ReadChunk(const uint8_t* data, size_t size, uint32_t maxChunkSize)
{
    Chunk chunk;
    chunk.Header = ReadTransportHeader(data, size, maxChunkSize);
    if (chunk.Header.Size != size)
        throw DecodeError("chunk size differs from its header");
    Reader reader(data + TransportHeaderSize, size - TransportHeaderSize);
    chunk.ChannelId = reader.U32();
    if (chunk.Header.Is("OPN")) {
        chunk.SecurityPolicyUri = reader.String();
        reader.ByteString(); // sender certificate
        reader.ByteString(); // receiver certificate thumbprint
    } else if (chunk.Header.Is("MSG") || chunk.Header.Is("CLO")) {
        chunk.TokenId = reader.U32();
    } else {
        throw DecodeError("not a secure channel message");
    }
    if (chunk.Header.Chunk != 'F' && chunk.Header.Chunk != 'C' && chunk.Header.Chunk != 'A')
        throw DecodeError("unknown chunk type");
    chunk.Sequence.SequenceNumber = reader.U32();
    chunk.Sequence.RequestId = reader.U32();
    chunk.Body.assign(reader.Position(), reader.Position() + reader.Left());
    return chunk;
}

bool ChunkAssembler::Add(Chunk&& chunk)
{
    if (chunk.Header.Chunk == 'A') {
        Body.clear();
        ChunkCount = 0;
        Reader reader(chunk.Body);
        const uint32_t status = reader.U32();
        throw DecodeError("the server aborted the response: " + StatusText(status) + " " +
                          reader.String());
    }
    ++ChunkCount;
    if ((limits_.MaxChunkCount != 0 && ChunkCount > limits_.MaxChunkCount) ||
        (limits_.MaxMessageSize != 0 && Body.size() + chunk.Body.size() > limits_.MaxMessageSize))
        throw DecodeError("response exceeds the negotiated message limits");
    Body.insert(Body.end(), chunk.Body.begin(), chunk.Body.end());
    return chunk.Header.Chunk == 'F';
}

// ---------------------------------------------------------------- responses

Response DecodeResponse(const uint8_t* data, size_t size)
{
    Reader reader(data, size);
    const NodeId type = ReadNodeId(reader);
    if (type.Namespace != 0 || type.IdKind != NodeId::Kind::Numeric)
        throw DecodeError("response type is not a standard message");
    Response response;
    response.TypeId = type.Numeric;
    response.Header = ReadResponseHeader(reader);
    response.Body = ReadBody(reader, response.TypeId);
    return response;
}

ServerMessage DecodeServerMessage(const uint8_t* data, size_t size)
{
    ServerMessage message;
    message.Header = ReadTransportHeader(data, size, 0);
    if (message.Header.Size != size)
        throw DecodeError("message size differs from its header");
    Reader reader(data + TransportHeaderSize, size - TransportHeaderSize);
    if (message.Header.Is("ACK")) {
        Acknowledge ack;
        ack.ProtocolVersion = reader.U32();
        ack.Peer.ReceiveBufferSize = reader.U32();
        ack.Peer.SendBufferSize = reader.U32();
        ack.Peer.MaxMessageSize = reader.U32();
        ack.Peer.MaxChunkCount = reader.U32();
        message.Ack = ack;
    } else if (message.Header.Is("ERR")) {
        TransportError error;
        error.Status = reader.U32();
        error.Reason = reader.String();
        message.Error = error;
    } else {
        message.Secure = ReadChunk(data, size, 0);
        if (message.Secure->Header.Chunk == 'F' && !message.Header.Is("CLO"))
            message.Service =
                DecodeResponse(message.Secure->Body.data(), message.Secure->Body.size());
    }
    return message;
}

// ---------------------------------------------------------------- requests

void WriteRequestHeader(Writer& writer, const RequestHeader& header)
{
    WriteNodeId(writer, header.AuthenticationToken);
    writer.I64(header.Timestamp);
    writer.U32(header.RequestHandle);
    writer.U32(0);       // return diagnostics
    writer.NullString(); // audit entry id
    writer.U32(header.TimeoutHint);
    WriteNullExtensionObject(writer);
}

namespace {

Writer StartRequest(uint32_t typeId, const RequestHeader& header)
{
    Writer writer;
    WriteTypeId(writer, typeId);
    WriteRequestHeader(writer, header);
    return writer;
}

} // namespace

Bytes EncodeOpenSecureChannel(const RequestHeader& header, bool renew, uint32_t lifetimeMs)
{
    Writer writer = StartRequest(Id::OpenSecureChannelRequest, header);
    writer.U32(0);             // client protocol version
    writer.U32(renew ? 1 : 0); // request type
    writer.U32(1);             // security mode None
    writer.NullString();       // client nonce
    writer.U32(lifetimeMs);
    return writer.Data;
}

Bytes EncodeCloseSecureChannel(const RequestHeader& header)
{
    return StartRequest(Id::CloseSecureChannelRequest, header).Data;
}

Bytes EncodeGetEndpoints(const RequestHeader& header, std::string_view endpointUrl)
{
    Writer writer = StartRequest(Id::GetEndpointsRequest, header);
    writer.String(endpointUrl);
    writer.I32(0); // locale ids
    writer.I32(0); // profile uris
    return writer.Data;
}

Bytes EncodeFindServers(const RequestHeader& header, std::string_view endpointUrl)
{
    Writer writer = StartRequest(Id::FindServersRequest, header);
    writer.String(endpointUrl);
    writer.I32(0); // locale ids
    writer.I32(0); // server uris
    return writer.Data;
}

Bytes EncodeCreateSession(const RequestHeader& header, std::string_view endpointUrl,
                          std::string_view sessionName, const Bytes& clientNonce, double timeoutMs)
{
    Writer writer = StartRequest(Id::CreateSessionRequest, header);
    // Client description.
    writer.String("urn:varkol:workstation");
    writer.String("urn:varkol");
    writer.U8(0x02);
    writer.String("Varkol");
    writer.U32(1); // client
    writer.NullString();
    writer.NullString();
    writer.I32(0);       // discovery urls
    writer.NullString(); // server uri
    writer.String(endpointUrl);
    writer.String(sessionName);
    writer.ByteString(clientNonce);
    writer.NullString(); // client certificate
    writer.Double(timeoutMs);
    writer.U32(0); // max response message size: no limit beyond the transport's
    return writer.Data;
}

Bytes EncodeActivateSession(const RequestHeader& header, std::string_view anonymousPolicyId)
{
    Writer writer = StartRequest(Id::ActivateSessionRequest, header);
    writer.NullString(); // client signature algorithm
    writer.NullString(); // client signature
    writer.I32(0);       // client software certificates
    writer.I32(0);       // locale ids
    Writer token;
    token.String(anonymousPolicyId);
    WriteTypeId(writer, Id::AnonymousIdentityToken);
    writer.U8(1);
    writer.ByteString(token.Data);
    writer.NullString(); // user token signature algorithm
    writer.NullString(); // user token signature
    return writer.Data;
}

Bytes EncodeCloseSession(const RequestHeader& header, bool deleteSubscriptions)
{
    Writer writer = StartRequest(Id::CloseSessionRequest, header);
    writer.Boolean(deleteSubscriptions);
    return writer.Data;
}

Bytes EncodeRead(const RequestHeader& header, const std::vector<ReadValueId>& nodes,
                 uint32_t timestampsToReturn)
{
    Writer writer = StartRequest(Id::ReadRequest, header);
    writer.Double(0); // max age
    writer.U32(timestampsToReturn);
    writer.I32(int32_t(nodes.size()));
    for (const ReadValueId& node : nodes) {
        WriteNodeId(writer, node.Node);
        writer.U32(node.AttributeId);
        writer.NullString(); // index range
        writer.U16(0);       // data encoding: null qualified name
        writer.NullString();
    }
    return writer.Data;
}

Bytes EncodeWrite(const RequestHeader& header, const std::vector<WriteValue>& values)
{
    Writer writer = StartRequest(Id::WriteRequest, header);
    writer.I32(int32_t(values.size()));
    for (const WriteValue& value : values) {
        WriteNodeId(writer, value.Node);
        writer.U32(Id::AttributeValue);
        writer.NullString(); // index range
        DataValue data;
        data.Value = value.Value;
        WriteDataValue(writer, data);
    }
    return writer.Data;
}

Bytes EncodeBrowse(const RequestHeader& header, const std::vector<NodeId>& nodes,
                   uint32_t maxReferencesPerNode, uint32_t nodeClassMask)
{
    Writer writer = StartRequest(Id::BrowseRequest, header);
    // View: null view id, no timestamp, version 0.
    WriteNodeId(writer, NodeId());
    writer.I64(0);
    writer.U32(0);
    writer.U32(maxReferencesPerNode);
    writer.I32(int32_t(nodes.size()));
    for (const NodeId& node : nodes) {
        WriteNodeId(writer, node);
        writer.U32(0); // forward
        WriteNodeId(writer, NodeId::Num(Id::HierarchicalReferences));
        writer.Boolean(true); // include subtypes
        writer.U32(nodeClassMask);
        writer.U32(0x3F); // every result field
    }
    return writer.Data;
}

Bytes EncodeBrowseNext(const RequestHeader& header, bool release,
                       const std::vector<Bytes>& continuationPoints)
{
    Writer writer = StartRequest(Id::BrowseNextRequest, header);
    writer.Boolean(release);
    writer.I32(int32_t(continuationPoints.size()));
    for (const Bytes& point : continuationPoints)
        writer.ByteString(point);
    return writer.Data;
}

Bytes EncodeCreateSubscription(const RequestHeader& header, double publishingIntervalMs,
                               uint32_t lifetimeCount, uint32_t maxKeepAliveCount,
                               bool publishingEnabled)
{
    Writer writer = StartRequest(Id::CreateSubscriptionRequest, header);
    writer.Double(publishingIntervalMs);
    writer.U32(lifetimeCount);
    writer.U32(maxKeepAliveCount);
    writer.U32(0); // max notifications per publish: no limit
    writer.Boolean(publishingEnabled);
    writer.U8(0); // priority
    return writer.Data;
}

Bytes EncodeCreateMonitoredItems(const RequestHeader& header, uint32_t subscriptionId,
                                 const std::vector<MonitoredItemRequest>& items)
{
    Writer writer = StartRequest(Id::CreateMonitoredItemsRequest, header);
    writer.U32(subscriptionId);
    writer.U32(2); // timestamps: both
    writer.I32(int32_t(items.size()));
    for (const MonitoredItemRequest& item : items) {
        WriteNodeId(writer, item.Node);
        writer.U32(Id::AttributeValue);
        writer.NullString(); // index range
        writer.U16(0);       // data encoding
        writer.NullString();
        writer.U32(2); // monitoring mode: reporting
        writer.U32(item.ClientHandle);
        writer.Double(item.SamplingIntervalMs);
        WriteNullExtensionObject(writer); // filter
        writer.U32(item.QueueSize);
        writer.Boolean(true); // discard oldest
    }
    return writer.Data;
}

Bytes EncodeDeleteMonitoredItems(const RequestHeader& header, uint32_t subscriptionId,
                                 const std::vector<uint32_t>& monitoredItemIds)
{
    Writer writer = StartRequest(Id::DeleteMonitoredItemsRequest, header);
    writer.U32(subscriptionId);
    writer.I32(int32_t(monitoredItemIds.size()));
    for (uint32_t id : monitoredItemIds)
        writer.U32(id);
    return writer.Data;
}

Bytes EncodePublish(const RequestHeader& header, const std::vector<Acknowledgement>& acks)
{
    Writer writer = StartRequest(Id::PublishRequest, header);
    writer.I32(int32_t(acks.size()));
    for (const Acknowledgement& ack : acks) {
        writer.U32(ack.SubscriptionId);
        writer.U32(ack.SequenceNumber);
    }
    return writer.Data;
}

Bytes EncodeDeleteSubscriptions(const RequestHeader& header,
                                const std::vector<uint32_t>& subscriptionIds)
{
    Writer writer = StartRequest(Id::DeleteSubscriptionsRequest, header);
    writer.I32(int32_t(subscriptionIds.size()));
    for (uint32_t id : subscriptionIds)
        writer.U32(id);
    return writer.Data;
}

} // namespace Ua
