// The OPC UA binary encoder and decoder against messages captured between
// node-opcua's own server and client, and against broken and hostile input.

#include "opc/UaBinary.h"
#include "opc/UaVectors.h"

#include <gtest/gtest.h>

#include <string>

using namespace Ua;

namespace {

Bytes FromHex(const char* hex)
{
    Bytes bytes;
    for (const char* p = hex; p[0] && p[1]; p += 2)
        bytes.push_back(uint8_t(std::stoi(std::string(p, 2), nullptr, 16)));
    return bytes;
}

Bytes Tail(const Bytes& bytes, size_t from)
{
    return Bytes(bytes.begin() + std::ptrdiff_t(from), bytes.end());
}

// The request header of the captured MSG requests: a ByteString node id of
// 16 bytes, then 27 bytes of fixed fields.
constexpr size_t CapturedMsgBody = 24;                // transport, channel, token, sequence
constexpr size_t CapturedServiceFields = 24 + 4 + 50; // ... type id, request header
constexpr size_t OurServiceFields = 4 + 50;           // type id, our request header

RequestHeader SessionHeader()
{
    RequestHeader header;
    header.AuthenticationToken.IdKind = NodeId::Kind::Opaque;
    header.AuthenticationToken.Text = std::string(16, 'x');
    return header;
}

Response DecodeMessage(const char* hex)
{
    const Bytes bytes = FromHex(hex);
    const ServerMessage message = DecodeServerMessage(bytes.data(), bytes.size());
    EXPECT_TRUE(message.Service.has_value());
    return message.Service.value_or(Response{});
}

} // namespace

TEST(UaBinary, TransportMessagesMatchNodeOpcua)
{
    Limits own{655360, 655360, 0, 0};
    EXPECT_EQ(EncodeHello(own, "opc.tcp://127.0.0.1:48412/UA/Varkol"), FromHex(UaVectors::Hello));

    const Bytes ack = FromHex(UaVectors::Acknowledge);
    const ServerMessage message = DecodeServerMessage(ack.data(), ack.size());
    ASSERT_TRUE(message.Ack);
    EXPECT_EQ(message.Ack->Peer.ReceiveBufferSize, 524288u);
    EXPECT_EQ(message.Ack->Peer.SendBufferSize, 524288u);
    EXPECT_EQ(message.Ack->Peer.MaxMessageSize, 16777216u);
    EXPECT_EQ(message.Ack->Peer.MaxChunkCount, 256u);

    RequestHeader header;
    header.Timestamp = 0x1dd86e4747568e0;
    header.RequestHandle = 1;
    header.TimeoutHint = 15000;
    const std::vector<Bytes> chunks =
        EncodeChunks("OPN", 0, 0, 1, 1, EncodeOpenSecureChannel(header, false, 600000), own);
    ASSERT_EQ(chunks.size(), 1u);
    EXPECT_EQ(chunks[0], FromHex(UaVectors::OpenRequest));

    const Response open = DecodeMessage(UaVectors::OpenResponse);
    const auto& channel = std::get<OpenSecureChannelResponse>(open.Body);
    EXPECT_EQ(channel.ChannelId, 1u);
    EXPECT_EQ(channel.TokenId, 1u);
    EXPECT_EQ(channel.RevisedLifetime, 600000u);
}

TEST(UaBinary, ServiceRequestsMatchNodeOpcua)
{
    const RequestHeader header = SessionHeader();
    const NodeId mv = *ParseNodeId("ns=1;s=Loop1.MV");
    EXPECT_EQ(Tail(EncodeRead(header, {{mv, Id::AttributeValue},
                                       {*ParseNodeId("ns=1;s=Types.Int16"), Id::AttributeDataType},
                                       {*ParseNodeId("ns=1;s=Types.String"), Id::AttributeValue}}),
                   OurServiceFields),
              Tail(FromHex(UaVectors::ReadRequest), CapturedServiceFields));
    EXPECT_EQ(
        Tail(EncodeBrowse(header, {*ParseNodeId("ns=1;s=Types")}, 10000, 0), OurServiceFields),
        Tail(FromHex(UaVectors::BrowseRequest), CapturedServiceFields));
    Variant value = Variant::Of(BuiltinType::Double);
    value.Real = 3.5;
    EXPECT_EQ(
        Tail(EncodeWrite(header, {{*ParseNodeId("ns=1;s=Loop1.SP"), value}}), OurServiceFields),
        Tail(FromHex(UaVectors::WriteRequest), CapturedServiceFields));
    EXPECT_EQ(Tail(EncodeCreateMonitoredItems(header, 0x0008bfe3,
                                              {{*ParseNodeId("ns=1;s=Loop1.Fast"), 1, 100.0, 1}}),
                   OurServiceFields),
              Tail(FromHex(UaVectors::CreateMonitoredItemsRequest), CapturedServiceFields));

    // Two requests in one segment: DeleteSubscriptions (90 bytes), then
    // Publish acknowledging sequence number 1.
    const Bytes both = FromHex(UaVectors::DeleteSubscriptionsAndPublishRequests);
    const Bytes deleteRequest(both.begin(), both.begin() + 86);
    const Bytes publish = Tail(both, 86);
    EXPECT_EQ(Tail(EncodeDeleteSubscriptions(header, {0x0008bfe3}), OurServiceFields),
              Tail(deleteRequest, CapturedServiceFields));
    EXPECT_EQ(Tail(EncodePublish(header, {{0x0008bfe3, 1}}), OurServiceFields),
              Tail(publish, CapturedServiceFields));
}

TEST(UaBinary, ServiceResponsesFromNodeOpcua)
{
    const Response endpoints = DecodeMessage(UaVectors::GetEndpointsResponse);
    const auto& list = std::get<GetEndpointsResponse>(endpoints.Body).Endpoints;
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].EndpointUrl, "opc.tcp://127.0.0.1:48411/UA/Varkol");
    EXPECT_EQ(list[0].SecurityMode, 1u);
    EXPECT_EQ(list[0].SecurityPolicyUri, SecurityPolicyNone);
    ASSERT_FALSE(list[0].UserIdentityTokens.empty());
    EXPECT_EQ(list[0].UserIdentityTokens[0].PolicyId, "anonymous");
    EXPECT_EQ(list[0].UserIdentityTokens[0].TokenType, 0u);

    const Response read = DecodeMessage(UaVectors::ReadResponse);
    const auto& values = std::get<ReadResponse>(read.Body).Results;
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[0].Value->Type, BuiltinType::Double);
    EXPECT_NE(values[0].SourceTimestamp, 0);
    EXPECT_EQ(values[0].Status, Status::Good);
    EXPECT_EQ(values[1].Value->Type, BuiltinType::NodeId);
    EXPECT_EQ(values[1].Value->Node, NodeId::Num(4)); // Int16
    EXPECT_EQ(values[2].Value->Text, "tekst");

    const Response browse = DecodeMessage(UaVectors::BrowseResponse);
    const auto& result = std::get<BrowseResponse>(browse.Body).Results.at(0);
    ASSERT_EQ(result.References.size(), 13u);
    EXPECT_EQ(NodeIdText(result.References[0].Node.Id), "ns=1;s=Types.Boolean");
    EXPECT_EQ(result.References[0].BrowseName.Name, "Boolean");
    EXPECT_EQ(result.References[0].NodeClass, 2u);
    EXPECT_TRUE(result.ContinuationPoint.empty());

    const Response write = DecodeMessage(UaVectors::WriteResponse);
    EXPECT_EQ(std::get<StatusResults>(write.Body).Results,
              std::vector<uint32_t>{Status::BadNotWritable});

    const Response subscription = DecodeMessage(UaVectors::CreateSubscriptionResponse);
    const auto& created = std::get<CreateSubscriptionResponse>(subscription.Body);
    EXPECT_EQ(created.SubscriptionId, 0x0008bfe3u);
    EXPECT_EQ(created.RevisedPublishingInterval, 100.0);
    EXPECT_EQ(created.RevisedMaxKeepAliveCount, 10u);

    const Response items = DecodeMessage(UaVectors::CreateMonitoredItemsResponse);
    const auto& item = std::get<CreateMonitoredItemsResponse>(items.Body).Results.at(0);
    EXPECT_EQ(item.Status, Status::Good);
    EXPECT_EQ(item.MonitoredItemId, 0x00013175u);
    EXPECT_EQ(item.RevisedSamplingInterval, 100.0);

    const Response publish = DecodeMessage(UaVectors::PublishResponse);
    const auto& published = std::get<PublishResponse>(publish.Body);
    EXPECT_EQ(published.SubscriptionId, 0x0008bfe3u);
    EXPECT_EQ(published.SequenceNumber, 1u);
    EXPECT_TRUE(published.HasNotificationData);
    ASSERT_EQ(published.DataChanges.size(), 1u);
    EXPECT_EQ(published.DataChanges[0].ClientHandle, 1u);
    EXPECT_EQ(published.DataChanges[0].Value.Value->Real, 1357.0);

    // A Publish refused for want of subscriptions comes as a ServiceFault
    // (five of them arrived in one segment, 52 bytes each).
    const Bytes faults = FromHex(UaVectors::ServiceFaults);
    ASSERT_EQ(faults.size(), 5 * 52u);
    const Response fault = *DecodeServerMessage(faults.data(), 52).Service;
    EXPECT_EQ(fault.TypeId, Id::ServiceFault);
    EXPECT_EQ(fault.Header.ServiceResult, Status::BadNoSubscription);
}

TEST(UaBinary, EveryTruncationOfAResponseIsAnErrorNotACrash)
{
    for (const char* hex : {UaVectors::GetEndpointsResponse, UaVectors::BrowseResponse,
                            UaVectors::PublishResponse, UaVectors::ReadResponse}) {
        const Bytes whole = FromHex(hex);
        const Bytes body = Tail(whole, CapturedMsgBody);
        for (size_t size = 0; size < body.size(); ++size)
            EXPECT_THROW(DecodeResponse(body.data(), size), DecodeError) << size;
    }
}

TEST(UaBinary, HostileLengthsAndNestingAreRefusedBeforeAllocating)
{
    // An array claiming 2^31-1 doubles in a few bytes.
    Bytes array = {0x8B, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0};
    Reader arrayReader(array);
    EXPECT_THROW(ReadVariant(arrayReader), DecodeError);
    // A string longer than the message, and a negative length other than -1.
    Bytes text = {0x0C, 0x00, 0x00, 0x00, 0x10, 'a'};
    Reader textReader(text);
    EXPECT_THROW(ReadVariant(textReader), DecodeError);
    Bytes negative = {0x0C, 0xFE, 0xFF, 0xFF, 0xFF};
    Reader negativeReader(negative);
    EXPECT_THROW(ReadVariant(negativeReader), DecodeError);
    // Variants inside variants, deeper than any server sends.
    Bytes nested(200, 0x18);
    nested.push_back(0);
    Reader nestedReader(nested);
    EXPECT_THROW(ReadVariant(nestedReader), DecodeError);
    // A built-in type past DiagnosticInfo.
    Bytes unknown = {0x1F};
    Reader unknownReader(unknown);
    EXPECT_THROW(ReadVariant(unknownReader), DecodeError);
    // A message header claiming more than the negotiated chunk size.
    const Bytes big = {'M', 'S', 'G', 'F', 0x00, 0x00, 0x10, 0x00};
    EXPECT_THROW(ReadTransportHeader(big.data(), big.size(), 65536), DecodeError);
    const Bytes tiny = {'M', 'S', 'G', 'F', 0x04, 0x00, 0x00, 0x00};
    EXPECT_THROW(ReadTransportHeader(tiny.data(), tiny.size(), 65536), DecodeError);
}

TEST(UaBinary, ChunksSplitWithinThePeerBufferAndReassemble)
{
    Limits peer{8192, 8192, 0, 0};
    Bytes body(20000);
    for (size_t i = 0; i < body.size(); ++i)
        body[i] = uint8_t(i * 7);
    const std::vector<Bytes> chunks = EncodeChunks("MSG", 5, 6, 100, 9, body, peer);
    ASSERT_EQ(chunks.size(), 3u);
    ChunkAssembler assembler(Limits{8192, 8192, 0, 3});
    for (size_t i = 0; i < chunks.size(); ++i) {
        EXPECT_LE(chunks[i].size(), 8192u);
        Chunk chunk = ReadChunk(chunks[i].data(), chunks[i].size(), 8192);
        EXPECT_EQ(chunk.Sequence.SequenceNumber, 100 + i);
        EXPECT_EQ(chunk.Sequence.RequestId, 9u);
        EXPECT_EQ(chunk.TokenId, 6u);
        EXPECT_EQ(assembler.Add(std::move(chunk)), i + 1 == chunks.size());
    }
    EXPECT_EQ(assembler.Body, body);

    // One chunk more than the limit, and an abort.
    ChunkAssembler limited(Limits{8192, 8192, 0, 2});
    for (size_t i = 0; i < 2; ++i)
        limited.Add(ReadChunk(chunks[i].data(), chunks[i].size(), 8192));
    EXPECT_THROW(limited.Add(ReadChunk(chunks[2].data(), chunks[2].size(), 8192)), DecodeError);
    Chunk abort = ReadChunk(chunks[0].data(), chunks[0].size(), 8192);
    abort.Header.Chunk = 'A';
    Writer reason;
    reason.U32(0x80BA0000u);
    reason.String("too large");
    abort.Body = reason.Data;
    EXPECT_THROW(assembler.Add(std::move(abort)), DecodeError);
    // A request the server's limits cannot take.
    EXPECT_THROW(EncodeChunks("MSG", 5, 6, 1, 1, body, Limits{8192, 8192, 0, 2}), DecodeError);
    EXPECT_THROW(EncodeChunks("MSG", 5, 6, 1, 1, body, Limits{65536, 65536, 1000, 0}), DecodeError);
}

TEST(UaBinary, NodeIdTextRoundTrips)
{
    for (const char* text :
         {"i=85", "ns=2;s=Loop1.MV", "ns=3;i=1001", "ns=1;s=", "ns=65535;i=4294967295",
          "ns=4;g=09087E75-8E5E-499B-954F-F2A9603DB28A", "ns=1;b=AQID/w=="}) {
        const std::optional<NodeId> id = ParseNodeId(text);
        ASSERT_TRUE(id) << text;
        EXPECT_EQ(NodeIdText(*id), text);
        Writer writer;
        WriteNodeId(writer, *id);
        Reader reader(writer.Data);
        EXPECT_EQ(ReadNodeId(reader), *id) << text;
        EXPECT_EQ(reader.Left(), 0u);
    }
    for (const char* text : {"", "85", "ns=x;i=1", "ns=1;i=", "ns=70000;i=1", "i=-1", "q=1",
                             "ns=1;g=1234", "ns=1;b=%%"})
        EXPECT_FALSE(ParseNodeId(text)) << text;
    // The shortest encodings: two bytes, four bytes, then the full numeric.
    Writer writer;
    WriteNodeId(writer, NodeId::Num(85));
    WriteNodeId(writer, NodeId::Num(446));
    WriteNodeId(writer, NodeId::Num(70000, 2));
    EXPECT_EQ(writer.Data, (Bytes{0x00, 0x55, 0x01, 0x00, 0xBE, 0x01, 0x02, 0x02, 0x00, 0x70, 0x11,
                                  0x01, 0x00}));
}

TEST(UaBinary, StatusTexts)
{
    EXPECT_EQ(StatusText(Status::BadNotWritable), "BadNotWritable");
    EXPECT_EQ(StatusText(Status::BadTypeMismatch | 0x0000FFFFu), "BadTypeMismatch");
    EXPECT_EQ(StatusText(0x81230000u), "0x81230000");
}
