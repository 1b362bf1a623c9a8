#pragma once

// The OPC UA binary encoding: the built-in types, the messages of the UA TCP
// transport and of the services the workstation uses, as plain values and
// functions over byte buffers, without sockets, so that every byte can be
// tested and every decoder fuzzed.
//
// Decoding reads from a Reader over (const uint8_t*, size_t). Every length,
// count and size taken from the bytes is checked against what is left of the
// message before anything is allocated (an array of N elements needs at least
// N times its element's smallest encoding), nesting is bounded, and a message
// that breaks a rule throws Ua::DecodeError: a hostile or broken peer gives an
// error, never a crash or an unbounded allocation.
//
// DecodeServerMessage is the entry for one whole message a server sends
// (ACK, ERR, OPN, MSG): it decodes the transport header and, for OPN and
// MSG, the security headers and the service response.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace Ua {

using Bytes = std::vector<uint8_t>;
// 100 ns ticks since 1601-01-01 UTC; 0 = no time.
using Ticks = int64_t;

class DecodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// ---------------------------------------------------------------- built-in types

enum class BuiltinType : uint8_t {
    Null = 0,
    Boolean = 1,
    SByte = 2,
    Byte = 3,
    Int16 = 4,
    UInt16 = 5,
    Int32 = 6,
    UInt32 = 7,
    Int64 = 8,
    UInt64 = 9,
    Float = 10,
    Double = 11,
    String = 12,
    DateTime = 13,
    Guid = 14,
    ByteString = 15,
    XmlElement = 16,
    NodeId = 17,
    ExpandedNodeId = 18,
    StatusCode = 19,
    QualifiedName = 20,
    LocalizedText = 21,
    ExtensionObject = 22,
    DataValue = 23,
    Variant = 24,
    DiagnosticInfo = 25,
};
// "Double", "Int32", ... ; "" for a code outside 0..25.
std::string_view BuiltinTypeName(BuiltinType type);

struct NodeId {
    enum class Kind : uint8_t { Numeric, String, Guid, Opaque };
    uint16_t Namespace = 0;
    Kind IdKind = Kind::Numeric;
    uint32_t Numeric = 0;
    std::string Text; // String: UTF-8 text; Opaque: the bytes
    std::array<uint8_t, 16> Guid{};

    static NodeId Num(uint32_t id, uint16_t ns = 0) { return {ns, Kind::Numeric, id, {}, {}}; }
    bool IsNull() const { return Namespace == 0 && IdKind == Kind::Numeric && Numeric == 0; }
    friend bool operator==(const NodeId&, const NodeId&) = default;
};

// "i=85", "ns=2;s=Loop1.MV", "ns=3;g=...", "ns=1;b=<base64>".
std::string NodeIdText(const NodeId& id);
// The text form above; empty for anything else.
std::optional<NodeId> ParseNodeId(std::string_view text);

struct ExpandedNodeId {
    NodeId Id;
    std::string NamespaceUri;
    uint32_t ServerIndex = 0;
};

struct QualifiedName {
    uint16_t Namespace = 0;
    std::string Name;
};

struct LocalizedText {
    std::string Locale;
    std::string Text;
};

// A body this client does not interpret is kept as its bytes.
struct ExtensionObject {
    NodeId TypeId;
    uint8_t Encoding = 0; // 0 no body, 1 binary, 2 XML
    Bytes Body;
};

struct DataValue;

// A value of one built-in type, or an array of them (Elements, each a
// scalar of Type). Integers are kept in Int (signed types) or UInt
// (unsigned), Float and Double in Real, String/ByteString/XmlElement in Text.
struct Variant {
    BuiltinType Type = BuiltinType::Null;
    bool IsArray = false;
    bool Bool = false;
    int64_t Int = 0;   // SByte .. Int64, DateTime
    uint64_t UInt = 0; // Byte .. UInt64, StatusCode
    double Real = 0;
    std::string Text;
    NodeId Node;
    ExpandedNodeId Expanded;
    QualifiedName QName;
    LocalizedText LText;
    std::array<uint8_t, 16> Guid{};
    std::vector<Variant> Elements;
    std::vector<int32_t> Dimensions;
    std::vector<DataValue> Nested; // DataValue (one) or Variant (its DataValue's Value)

    // Defined below DataValue: a Variant can only be made and destroyed once
    // the DataValue it may nest is complete (clang's standard library checks).
    static Variant Of(BuiltinType type);
};

struct DataValue {
    std::optional<Variant> Value;
    uint32_t Status = 0; // missing: Good
    Ticks SourceTimestamp = 0;
    Ticks ServerTimestamp = 0;
    uint16_t SourcePicoseconds = 0;
    uint16_t ServerPicoseconds = 0;
};

inline Variant Variant::Of(BuiltinType type)
{
    Variant v;
    v.Type = type;
    return v;
}

// ---------------------------------------------------------------- reader and writer

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), left_(size) {}
    explicit Reader(const Bytes& bytes) : Reader(bytes.data(), bytes.size()) {}

    size_t Left() const { return left_; }
    const uint8_t* Position() const { return data_; }
    void Skip(size_t count);

    uint8_t U8();
    bool Boolean() { return U8() != 0; }
    uint16_t U16();
    uint32_t U32();
    int32_t I32() { return static_cast<int32_t>(U32()); }
    uint64_t U64();
    int64_t I64() { return static_cast<int64_t>(U64()); }
    float Float();
    double Double();
    // Strings and byte strings: an i32 length, -1 = null (read as empty).
    std::string String();
    Bytes ByteString();
    // An array's element count (-1 = null, read as 0), checked against the
    // bytes left, each element taking at least minElementSize bytes.
    size_t ArrayLength(size_t minElementSize);

    // Nesting of variants, data values and diagnostic infos.
    int Depth = 0;

private:
    void Need(size_t count) const;
    const uint8_t* data_;
    size_t left_;
};

class Writer {
public:
    Bytes Data;

    void U8(uint8_t value) { Data.push_back(value); }
    void Boolean(bool value) { U8(value ? 1 : 0); }
    void U16(uint16_t value);
    void U32(uint32_t value);
    void I32(int32_t value) { U32(static_cast<uint32_t>(value)); }
    void U64(uint64_t value);
    void I64(int64_t value) { U64(static_cast<uint64_t>(value)); }
    void Float(float value);
    void Double(double value);
    void String(std::string_view value);
    void NullString() { I32(-1); }
    void ByteString(const Bytes& value);
    void Raw(const uint8_t* data, size_t size);
    void Raw(const Bytes& bytes) { Raw(bytes.data(), bytes.size()); }
    // Overwrites 4 bytes at `offset` (a size field written before its content).
    void PatchU32(size_t offset, uint32_t value);
};

NodeId ReadNodeId(Reader& reader);
void WriteNodeId(Writer& writer, const NodeId& id);
ExpandedNodeId ReadExpandedNodeId(Reader& reader);
QualifiedName ReadQualifiedName(Reader& reader);
LocalizedText ReadLocalizedText(Reader& reader);
ExtensionObject ReadExtensionObject(Reader& reader);
void WriteNullExtensionObject(Writer& writer);
void SkipDiagnosticInfo(Reader& reader);
Variant ReadVariant(Reader& reader);
void WriteVariant(Writer& writer, const Variant& value);
DataValue ReadDataValue(Reader& reader);
void WriteDataValue(Writer& writer, const DataValue& value);
std::vector<std::string> ReadStringArray(Reader& reader);

// ---------------------------------------------------------------- status codes

namespace Status {
constexpr uint32_t Good = 0;
constexpr uint32_t BadUnexpectedError = 0x80010000;
constexpr uint32_t BadInternalError = 0x80020000;
constexpr uint32_t BadCommunicationError = 0x80050000;
constexpr uint32_t BadEncodingError = 0x80060000;
constexpr uint32_t BadDecodingError = 0x80070000;
constexpr uint32_t BadEncodingLimitsExceeded = 0x80080000;
constexpr uint32_t BadTimeout = 0x800A0000;
constexpr uint32_t BadServiceUnsupported = 0x800B0000;
constexpr uint32_t BadShutdown = 0x800C0000;
constexpr uint32_t BadServerNotConnected = 0x800D0000;
constexpr uint32_t BadNothingToDo = 0x800F0000;
constexpr uint32_t BadTooManyOperations = 0x80100000;
constexpr uint32_t BadIdentityTokenInvalid = 0x80200000;
constexpr uint32_t BadIdentityTokenRejected = 0x80210000;
constexpr uint32_t BadSecureChannelIdInvalid = 0x80220000;
constexpr uint32_t BadSessionIdInvalid = 0x80250000;
constexpr uint32_t BadSessionClosed = 0x80260000;
constexpr uint32_t BadSessionNotActivated = 0x80270000;
constexpr uint32_t BadSubscriptionIdInvalid = 0x80280000;
constexpr uint32_t BadNodeIdInvalid = 0x80330000;
constexpr uint32_t BadNodeIdUnknown = 0x80340000;
constexpr uint32_t BadAttributeIdInvalid = 0x80350000;
constexpr uint32_t BadNotReadable = 0x803A0000;
constexpr uint32_t BadNotWritable = 0x803B0000;
constexpr uint32_t BadOutOfRange = 0x803C0000;
constexpr uint32_t BadNotSupported = 0x803D0000;
constexpr uint32_t BadNoSubscription = 0x80790000;
constexpr uint32_t BadTooManyPublishRequests = 0x80780000;
constexpr uint32_t BadTypeMismatch = 0x80740000;
constexpr uint32_t BadUserAccessDenied = 0x801F0000;
constexpr uint32_t BadTcpInternalError = 0x80820000;
constexpr uint32_t BadConnectionRejected = 0x80AC0000;
constexpr uint32_t BadConnectionClosed = 0x80AE0000;
constexpr uint32_t BadSecurityChecksFailed = 0x80130000;

inline bool IsGood(uint32_t code)
{
    return (code & 0xC0000000u) == 0;
}
inline bool IsUncertain(uint32_t code)
{
    return (code & 0xC0000000u) == 0x40000000u;
}
inline bool IsBad(uint32_t code)
{
    return (code & 0x80000000u) != 0;
}
} // namespace Status

// "BadNotWritable", ... for the codes this client meets; "" for others.
std::string_view StatusName(uint32_t code);
// The name, or "0x803B0000" when the code has none here.
std::string StatusText(uint32_t code);

// ---------------------------------------------------------------- transport

struct Limits {
    uint32_t ReceiveBufferSize = 65536; // largest chunk the receiver takes
    uint32_t SendBufferSize = 65536;
    uint32_t MaxMessageSize = 16 * 1024 * 1024; // 0: no limit
    uint32_t MaxChunkCount = 4096;              // 0: no limit
};

constexpr uint32_t MinBufferSize = 8192;
constexpr size_t TransportHeaderSize = 8;
// Symmetric security header + sequence header in front of a MSG/CLO body.
constexpr size_t SymmetricOverhead = TransportHeaderSize + 4 + 4 + 8;

struct TransportHeader {
    std::array<char, 3> Type{};
    char Chunk = 'F';
    uint32_t Size = 0;
    bool Is(const char* type) const
    {
        return Type[0] == type[0] && Type[1] == type[1] && Type[2] == type[2];
    }
};
// The 8-byte header; DecodeError when the size is under 8 or over maxSize.
TransportHeader ReadTransportHeader(const uint8_t* data, size_t size, uint32_t maxSize);

Bytes EncodeHello(const Limits& own, std::string_view endpointUrl);

struct Acknowledge {
    uint32_t ProtocolVersion = 0;
    Limits Peer; // the server's ReceiveBufferSize, SendBufferSize, MaxMessageSize, MaxChunkCount
};
struct TransportError {
    uint32_t Status = 0;
    std::string Reason;
};

// The request a chunk belongs to, and its place in the channel.
struct SequenceHeader {
    uint32_t SequenceNumber = 0;
    uint32_t RequestId = 0;
};

// Splits one OPN, MSG or CLO message body (service TypeId and encoding) into
// chunks of at most peer.ReceiveBufferSize bytes, numbering them from
// `firstSequence` (one per chunk). OPN carries the asymmetric header of
// SecurityPolicy None; MSG and CLO the channel and token ids. Throws
// DecodeError (BadEncodingLimitsExceeded) when the message exceeds the peer's
// MaxMessageSize or MaxChunkCount.
std::vector<Bytes> EncodeChunks(const char* type, uint32_t channelId, uint32_t tokenId,
                                uint32_t firstSequence, uint32_t requestId, const Bytes& body,
                                const Limits& peer);

// One received chunk of an OPN, MSG or CLO message, its headers read.
struct Chunk {
    TransportHeader Header;
    uint32_t ChannelId = 0;
    uint32_t TokenId = 0;          // MSG/CLO
    std::string SecurityPolicyUri; // OPN
    SequenceHeader Sequence;
    Bytes Body;
};
Chunk ReadChunk(const uint8_t* data, size_t size, uint32_t maxChunkSize);

// Collects the chunks of one request's response: Add returns true when the
// final chunk arrived (Body holds the whole message). An abort chunk drops
// what was collected and throws DecodeError with its status; more chunks or
// bytes than the limits allow throw DecodeError too.
class ChunkAssembler {
public:
    explicit ChunkAssembler(const Limits& own) : limits_(own) {}
    bool Add(Chunk&& chunk);
    Bytes Body;
    uint32_t ChunkCount = 0;

private:
    Limits limits_;
};

// ---------------------------------------------------------------- services

// Binary encoding ids of the messages this client sends and reads.
namespace Id {
constexpr uint32_t ServiceFault = 397;
constexpr uint32_t OpenSecureChannelRequest = 446;
constexpr uint32_t OpenSecureChannelResponse = 449;
constexpr uint32_t CloseSecureChannelRequest = 452;
constexpr uint32_t FindServersRequest = 422;
constexpr uint32_t FindServersResponse = 425;
constexpr uint32_t GetEndpointsRequest = 428;
constexpr uint32_t GetEndpointsResponse = 431;
constexpr uint32_t CreateSessionRequest = 461;
constexpr uint32_t CreateSessionResponse = 464;
constexpr uint32_t ActivateSessionRequest = 467;
constexpr uint32_t ActivateSessionResponse = 470;
constexpr uint32_t CloseSessionRequest = 473;
constexpr uint32_t CloseSessionResponse = 476;
constexpr uint32_t BrowseRequest = 527;
constexpr uint32_t BrowseResponse = 530;
constexpr uint32_t BrowseNextRequest = 533;
constexpr uint32_t BrowseNextResponse = 536;
constexpr uint32_t ReadRequest = 631;
constexpr uint32_t ReadResponse = 634;
constexpr uint32_t WriteRequest = 673;
constexpr uint32_t WriteResponse = 676;
constexpr uint32_t CreateMonitoredItemsRequest = 751;
constexpr uint32_t CreateMonitoredItemsResponse = 754;
constexpr uint32_t DeleteMonitoredItemsRequest = 781;
constexpr uint32_t DeleteMonitoredItemsResponse = 784;
constexpr uint32_t CreateSubscriptionRequest = 787;
constexpr uint32_t CreateSubscriptionResponse = 790;
constexpr uint32_t PublishRequest = 826;
constexpr uint32_t PublishResponse = 829;
constexpr uint32_t DeleteSubscriptionsRequest = 847;
constexpr uint32_t DeleteSubscriptionsResponse = 850;
constexpr uint32_t AnonymousIdentityToken = 321;
constexpr uint32_t DataChangeNotification = 811;
constexpr uint32_t StatusChangeNotification = 820;
// Nodes and attributes.
constexpr uint32_t ObjectsFolder = 85;
constexpr uint32_t HierarchicalReferences = 33;
constexpr uint32_t ServerStatusState = 2259;
constexpr uint32_t AttributeBrowseName = 3;
constexpr uint32_t AttributeDisplayName = 4;
constexpr uint32_t AttributeValue = 13;
constexpr uint32_t AttributeDataType = 14;
constexpr uint32_t AttributeAccessLevel = 17;
} // namespace Id

constexpr const char* SecurityPolicyNone = "http://opcfoundation.org/UA/SecurityPolicy#None";

struct RequestHeader {
    NodeId AuthenticationToken;
    Ticks Timestamp = 0;
    uint32_t RequestHandle = 0;
    uint32_t TimeoutHint = 0;
};
void WriteRequestHeader(Writer& writer, const RequestHeader& header);

struct ResponseHeader {
    Ticks Timestamp = 0;
    uint32_t RequestHandle = 0;
    uint32_t ServiceResult = 0;
};

struct OpenSecureChannelResponse {
    uint32_t ChannelId = 0;
    uint32_t TokenId = 0;
    Ticks CreatedAt = 0;
    uint32_t RevisedLifetime = 0;
};

struct UserTokenPolicy {
    std::string PolicyId;
    uint32_t TokenType = 0; // 0 anonymous, 1 user name, 2 certificate, 3 issued token
    std::string SecurityPolicyUri;
};

struct ApplicationDescription {
    std::string ApplicationUri;
    std::string ProductUri;
    LocalizedText ApplicationName;
    uint32_t ApplicationType = 0; // 0 server, 1 client, 2 both, 3 discovery server
    std::vector<std::string> DiscoveryUrls;
};

struct EndpointDescription {
    std::string EndpointUrl;
    ApplicationDescription Server;
    uint32_t SecurityMode = 0; // 1 None, 2 Sign, 3 SignAndEncrypt
    std::string SecurityPolicyUri;
    std::vector<UserTokenPolicy> UserIdentityTokens;
    std::string TransportProfileUri;
    uint8_t SecurityLevel = 0;
};

struct GetEndpointsResponse {
    std::vector<EndpointDescription> Endpoints;
};
struct FindServersResponse {
    std::vector<ApplicationDescription> Servers;
};
struct CreateSessionResponse {
    NodeId SessionId;
    NodeId AuthenticationToken;
    double RevisedSessionTimeout = 0;
    uint32_t MaxRequestMessageSize = 0;
};
struct StatusResults { // ActivateSession, Write, DeleteMonitoredItems, DeleteSubscriptions
    std::vector<uint32_t> Results;
};
struct ReadResponse {
    std::vector<DataValue> Results;
};

struct ReferenceDescription {
    NodeId ReferenceTypeId;
    bool IsForward = true;
    ExpandedNodeId Node;
    QualifiedName BrowseName;
    LocalizedText DisplayName;
    uint32_t NodeClass = 0; // 1 object, 2 variable, 4 method, 8 object type, ...
    ExpandedNodeId TypeDefinition;
};
struct BrowseResult {
    uint32_t Status = 0;
    Bytes ContinuationPoint;
    std::vector<ReferenceDescription> References;
};
struct BrowseResponse { // Browse and BrowseNext
    std::vector<BrowseResult> Results;
};

struct CreateSubscriptionResponse {
    uint32_t SubscriptionId = 0;
    double RevisedPublishingInterval = 0;
    uint32_t RevisedLifetimeCount = 0;
    uint32_t RevisedMaxKeepAliveCount = 0;
};
struct MonitoredItemCreateResult {
    uint32_t Status = 0;
    uint32_t MonitoredItemId = 0;
    double RevisedSamplingInterval = 0;
    uint32_t RevisedQueueSize = 0;
};
struct CreateMonitoredItemsResponse {
    std::vector<MonitoredItemCreateResult> Results;
};

struct MonitoredItemNotification {
    uint32_t ClientHandle = 0;
    DataValue Value;
};
struct PublishResponse {
    uint32_t SubscriptionId = 0;
    std::vector<uint32_t> AvailableSequenceNumbers;
    bool MoreNotifications = false;
    uint32_t SequenceNumber = 0;
    Ticks PublishTime = 0;
    bool HasNotificationData = false; // false: a keep-alive
    std::vector<MonitoredItemNotification> DataChanges;
    std::vector<uint32_t> StatusChanges; // the status of StatusChangeNotifications
    std::vector<uint32_t> Results;       // of the acknowledgements
};

struct Empty {};

using ResponseBody =
    std::variant<Empty, OpenSecureChannelResponse, GetEndpointsResponse, FindServersResponse,
                 CreateSessionResponse, StatusResults, ReadResponse, BrowseResponse,
                 CreateSubscriptionResponse, CreateMonitoredItemsResponse, PublishResponse>;

struct Response {
    uint32_t TypeId = 0; // the binary encoding id; ServiceFault: 397
    ResponseHeader Header;
    ResponseBody Body;
};

// A service response (TypeId then body), as in a reassembled MSG or OPN.
Response DecodeResponse(const uint8_t* data, size_t size);

// One whole message from a server.
struct ServerMessage {
    TransportHeader Header;
    std::optional<Acknowledge> Ack;
    std::optional<TransportError> Error;
    std::optional<Chunk> Secure;     // OPN, MSG, CLO
    std::optional<Response> Service; // the response of a single final chunk
};
ServerMessage DecodeServerMessage(const uint8_t* data, size_t size);

// Requests. Each returns the body of a MSG (or OPN) message: TypeId + fields.
Bytes EncodeOpenSecureChannel(const RequestHeader& header, bool renew, uint32_t lifetimeMs);
Bytes EncodeCloseSecureChannel(const RequestHeader& header);
Bytes EncodeGetEndpoints(const RequestHeader& header, std::string_view endpointUrl);
Bytes EncodeFindServers(const RequestHeader& header, std::string_view endpointUrl);
Bytes EncodeCreateSession(const RequestHeader& header, std::string_view endpointUrl,
                          std::string_view sessionName, const Bytes& clientNonce, double timeoutMs);
Bytes EncodeActivateSession(const RequestHeader& header, std::string_view anonymousPolicyId);
Bytes EncodeCloseSession(const RequestHeader& header, bool deleteSubscriptions);

struct ReadValueId {
    NodeId Node;
    uint32_t AttributeId = Id::AttributeValue;
};
// timestampsToReturn: 0 source, 1 server, 2 both, 3 neither.
Bytes EncodeRead(const RequestHeader& header, const std::vector<ReadValueId>& nodes,
                 uint32_t timestampsToReturn = 2);

struct WriteValue {
    NodeId Node;
    Variant Value;
};
Bytes EncodeWrite(const RequestHeader& header, const std::vector<WriteValue>& values);

// Forward hierarchical references (of objects and variables unless another
// node class mask is given, 0 = all), every result field.
Bytes EncodeBrowse(const RequestHeader& header, const std::vector<NodeId>& nodes,
                   uint32_t maxReferencesPerNode, uint32_t nodeClassMask = 1 | 2);
Bytes EncodeBrowseNext(const RequestHeader& header, bool release,
                       const std::vector<Bytes>& continuationPoints);

Bytes EncodeCreateSubscription(const RequestHeader& header, double publishingIntervalMs,
                               uint32_t lifetimeCount, uint32_t maxKeepAliveCount,
                               bool publishingEnabled);
struct MonitoredItemRequest {
    NodeId Node;
    uint32_t ClientHandle = 0;
    double SamplingIntervalMs = 0;
    uint32_t QueueSize = 1;
};
Bytes EncodeCreateMonitoredItems(const RequestHeader& header, uint32_t subscriptionId,
                                 const std::vector<MonitoredItemRequest>& items);
Bytes EncodeDeleteMonitoredItems(const RequestHeader& header, uint32_t subscriptionId,
                                 const std::vector<uint32_t>& monitoredItemIds);
struct Acknowledgement {
    uint32_t SubscriptionId = 0;
    uint32_t SequenceNumber = 0;
};
Bytes EncodePublish(const RequestHeader& header, const std::vector<Acknowledgement>& acks);
Bytes EncodeDeleteSubscriptions(const RequestHeader& header,
                                const std::vector<uint32_t>& subscriptionIds);

} // namespace Ua
