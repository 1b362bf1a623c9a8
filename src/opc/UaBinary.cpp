#include "opc/UaBinary.h"

#include <charconv>
#include <cstring>

namespace Ua {

namespace {

constexpr int MaxDepth = 16;

// Nesting guard of the recursive decoders.
struct DepthGuard {
    explicit DepthGuard(Reader& reader) : reader_(reader)
    {
        if (++reader_.Depth > MaxDepth)
            throw DecodeError("values nested too deep");
    }
    ~DepthGuard() { --reader_.Depth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    Reader& reader_;
};

// The smallest encoding of one element of an array of the type.
size_t MinEncodedSize(BuiltinType type)
{
    switch (type) {
    case BuiltinType::Int16:
    case BuiltinType::UInt16:
    case BuiltinType::NodeId:
    case BuiltinType::ExpandedNodeId:
        return 2;
    case BuiltinType::Int32:
    case BuiltinType::UInt32:
    case BuiltinType::Float:
    case BuiltinType::String:
    case BuiltinType::ByteString:
    case BuiltinType::XmlElement:
    case BuiltinType::StatusCode:
        return 4;
    case BuiltinType::Int64:
    case BuiltinType::UInt64:
    case BuiltinType::Double:
    case BuiltinType::DateTime:
        return 8;
    case BuiltinType::Guid:
        return 16;
    case BuiltinType::QualifiedName:
        return 6;
    case BuiltinType::ExtensionObject:
        return 3;
    default:
        return 1;
    }
}

std::string Base64(const std::string& bytes)
{
    static const char* const digits =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const uint32_t n =
            (uint8_t(bytes[i]) << 16) | (uint8_t(bytes[i + 1]) << 8) | uint8_t(bytes[i + 2]);
        for (int shift : {18, 12, 6, 0})
            text += digits[(n >> shift) & 63];
    }
    if (i < bytes.size()) {
        uint32_t n = uint8_t(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            n |= uint8_t(bytes[i + 1]) << 8;
        text += digits[(n >> 18) & 63];
        text += digits[(n >> 12) & 63];
        text += i + 1 < bytes.size() ? digits[(n >> 6) & 63] : '=';
        text += '=';
    }
    return text;
}

std::optional<std::string> FromBase64(std::string_view text)
{
    std::string bytes;
    uint32_t n = 0;
    int bits = 0;
    for (char c : text) {
        int value;
        if (c >= 'A' && c <= 'Z')
            value = c - 'A';
        else if (c >= 'a' && c <= 'z')
            value = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            value = c - '0' + 52;
        else if (c == '+')
            value = 62;
        else if (c == '/')
            value = 63;
        else if (c == '=')
            break;
        else
            return std::nullopt;
        n = (n << 6) | uint32_t(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes += char((n >> bits) & 0xFF);
        }
    }
    return bytes;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

template <typename Number> std::optional<Number> ParseNumber(std::string_view text)
{
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

void ReadScalar(Reader& reader, BuiltinType type, Variant& value);

} // namespace

std::string_view BuiltinTypeName(BuiltinType type)
{
    static constexpr std::string_view names[] = {
        "Null",          "Boolean",       "SByte",           "Byte",           "Int16",
        "UInt16",        "Int32",         "UInt32",          "Int64",          "UInt64",
        "Float",         "Double",        "String",          "DateTime",       "Guid",
        "ByteString",    "XmlElement",    "NodeId",          "ExpandedNodeId", "StatusCode",
        "QualifiedName", "LocalizedText", "ExtensionObject", "DataValue",      "Variant",
        "DiagnosticInfo"};
    const auto index = static_cast<size_t>(type);
    return index < std::size(names) ? names[index] : std::string_view();
}

// ---------------------------------------------------------------- node id text

std::string NodeIdText(const NodeId& id)
{
    std::string text;
    if (id.Namespace != 0)
        text = "ns=" + std::to_string(id.Namespace) + ";";
    switch (id.IdKind) {
    case NodeId::Kind::Numeric:
        return text + "i=" + std::to_string(id.Numeric);
    case NodeId::Kind::String:
        return text + "s=" + id.Text;
    case NodeId::Kind::Opaque:
        return text + "b=" + Base64(id.Text);
    case NodeId::Kind::Guid: {
        static const char* const hex = "0123456789ABCDEF";
        // Data1 (u32), Data2, Data3 (u16) little-endian, then 8 bytes as they are.
        const int order[16] = {3, 2, 1, 0, -1, 5, 4, -1, 7, 6, -1, 8, 9, -1, 10, 11};
        std::string guid;
        for (int i : order) {
            if (i < 0) {
                guid += '-';
                continue;
            }
            guid += hex[id.Guid[size_t(i)] >> 4];
            guid += hex[id.Guid[size_t(i)] & 15];
        }
        for (size_t i = 12; i < 16; ++i) {
            guid += hex[id.Guid[i] >> 4];
            guid += hex[id.Guid[i] & 15];
        }
        return text + "g=" + guid;
    }
    }
    return text;
}

std::optional<NodeId> ParseNodeId(std::string_view text)
{
    NodeId id;
    if (text.substr(0, 3) == "ns=") {
        const size_t semicolon = text.find(';');
        if (semicolon == std::string_view::npos)
            return std::nullopt;
        const auto ns = ParseNumber<uint16_t>(text.substr(3, semicolon - 3));
        if (!ns)
            return std::nullopt;
        id.Namespace = *ns;
        text.remove_prefix(semicolon + 1);
    }
    if (text.size() < 2 || text[1] != '=')
        return std::nullopt;
    const std::string_view rest = text.substr(2);
    switch (text[0]) {
    case 'i': {
        const auto number = ParseNumber<uint32_t>(rest);
        if (!number)
            return std::nullopt;
        id.Numeric = *number;
        return id;
    }
    case 's':
        id.IdKind = NodeId::Kind::String;
        id.Text = std::string(rest);
        return id;
    case 'b': {
        const auto bytes = FromBase64(rest);
        if (!bytes)
            return std::nullopt;
        id.IdKind = NodeId::Kind::Opaque;
        id.Text = *bytes;
        return id;
    }
    case 'g': {
        std::string hex;
        for (char c : rest)
            if (c != '-')
                hex += c;
        if (hex.size() != 32 || rest.size() != 36)
            return std::nullopt;
        uint8_t raw[16];
        for (size_t i = 0; i < 16; ++i) {
            const int high = HexDigit(hex[2 * i]), low = HexDigit(hex[2 * i + 1]);
            if (high < 0 || low < 0)
                return std::nullopt;
            raw[i] = uint8_t(high * 16 + low);
        }
        const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
        for (size_t i = 0; i < 16; ++i)
            id.Guid[size_t(order[i])] = raw[i];
        id.IdKind = NodeId::Kind::Guid;
        return id;
    }
    default:
        return std::nullopt;
    }
}

// ---------------------------------------------------------------- reader

void Reader::Need(size_t count) const
{
    if (count > left_)
        throw DecodeError("message ends early");
}

void Reader::Skip(size_t count)
{
    Need(count);
    data_ += count;
    left_ -= count;
}

uint8_t Reader::U8()
{
    Need(1);
    const uint8_t value = *data_;
    Skip(1);
    return value;
}

uint16_t Reader::U16()
{
    Need(2);
    const uint16_t value = uint16_t(data_[0] | (data_[1] << 8));
    Skip(2);
    return value;
}

uint32_t Reader::U32()
{
    Need(4);
    const uint32_t value = uint32_t(data_[0]) | (uint32_t(data_[1]) << 8) |
                           (uint32_t(data_[2]) << 16) | (uint32_t(data_[3]) << 24);
    Skip(4);
    return value;
}

uint64_t Reader::U64()
{
    const uint64_t low = U32();
    const uint64_t high = U32();
    return low | (high << 32);
}

float Reader::Float()
{
    const uint32_t bits = U32();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

double Reader::Double()
{
    const uint64_t bits = U64();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::string Reader::String()
{
    const int32_t length = I32();
    if (length == -1)
        return {};
    if (length < 0)
        throw DecodeError("negative string length");
    Need(size_t(length));
    std::string text(reinterpret_cast<const char*>(data_), size_t(length));
    Skip(size_t(length));
    return text;
}

Bytes Reader::ByteString()
{
    const int32_t length = I32();
    if (length == -1)
        return {};
    if (length < 0)
        throw DecodeError("negative byte string length");
    Need(size_t(length));
    Bytes bytes(data_, data_ + length);
    Skip(size_t(length));
    return bytes;
}

size_t Reader::ArrayLength(size_t minElementSize)
{
    const int32_t length = I32();
    if (length == -1)
        return 0;
    if (length < 0)
        throw DecodeError("negative array length");
    if (size_t(length) > left_ / std::max<size_t>(minElementSize, 1))
        throw DecodeError("array longer than the message");
    return size_t(length);
}

// ---------------------------------------------------------------- writer

void Writer::U16(uint16_t value)
{
    Data.push_back(uint8_t(value));
    Data.push_back(uint8_t(value >> 8));
}

void Writer::U32(uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        Data.push_back(uint8_t(value >> shift));
}

void Writer::U64(uint64_t value)
{
    U32(uint32_t(value));
    U32(uint32_t(value >> 32));
}

void Writer::Float(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    U32(bits);
}

void Writer::Double(double value)
{
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    U64(bits);
}

void Writer::String(std::string_view value)
{
    I32(int32_t(value.size()));
    Raw(reinterpret_cast<const uint8_t*>(value.data()), value.size());
}

void Writer::ByteString(const Bytes& value)
{
    I32(int32_t(value.size()));
    Raw(value);
}

void Writer::Raw(const uint8_t* data, size_t size)
{
    if (size == 0)
        return;
    const size_t at = Data.size();
    Data.resize(at + size);
    std::memcpy(Data.data() + at, data, size);
}

void Writer::PatchU32(size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        Data.at(offset + size_t(i)) = uint8_t(value >> (8 * i));
}

// ---------------------------------------------------------------- composite types

NodeId ReadNodeId(Reader& reader)
{
    NodeId id;
    const uint8_t encoding = reader.U8() & 0x3F; // the ExpandedNodeId flags are read by the caller
    switch (encoding) {
    case 0:
        id.Numeric = reader.U8();
        break;
    case 1:
        id.Namespace = reader.U8();
        id.Numeric = reader.U16();
        break;
    case 2:
        id.Namespace = reader.U16();
        id.Numeric = reader.U32();
        break;
    case 3:
        id.Namespace = reader.U16();
        id.IdKind = NodeId::Kind::String;
        id.Text = reader.String();
        break;
    case 4:
        id.Namespace = reader.U16();
        id.IdKind = NodeId::Kind::Guid;
        for (uint8_t& byte : id.Guid)
            byte = reader.U8();
        break;
    case 5: {
        id.Namespace = reader.U16();
        id.IdKind = NodeId::Kind::Opaque;
        const Bytes bytes = reader.ByteString();
        id.Text.assign(bytes.begin(), bytes.end());
        break;
    }
    default:
        throw DecodeError("unknown node id encoding");
    }
    return id;
}

void WriteNodeId(Writer& writer, const NodeId& id)
{
    switch (id.IdKind) {
    case NodeId::Kind::Numeric:
        if (id.Namespace == 0 && id.Numeric <= 0xFF) {
            writer.U8(0);
            writer.U8(uint8_t(id.Numeric));
        } else if (id.Namespace <= 0xFF && id.Numeric <= 0xFFFF) {
            writer.U8(1);
            writer.U8(uint8_t(id.Namespace));
            writer.U16(uint16_t(id.Numeric));
        } else {
            writer.U8(2);
            writer.U16(id.Namespace);
            writer.U32(id.Numeric);
        }
        return;
    case NodeId::Kind::String:
        writer.U8(3);
        writer.U16(id.Namespace);
        writer.String(id.Text);
        return;
    case NodeId::Kind::Guid:
        writer.U8(4);
        writer.U16(id.Namespace);
        writer.Raw(id.Guid.data(), id.Guid.size());
        return;
    case NodeId::Kind::Opaque:
        writer.U8(5);
        writer.U16(id.Namespace);
        writer.String(id.Text);
        return;
    }
}

ExpandedNodeId ReadExpandedNodeId(Reader& reader)
{
    if (reader.Left() == 0)
        throw DecodeError("message ends early");
    const uint8_t flags = *reader.Position();
    ExpandedNodeId id;
    id.Id = ReadNodeId(reader);
    if (flags & 0x80)
        id.NamespaceUri = reader.String();
    if (flags & 0x40)
        id.ServerIndex = reader.U32();
    return id;
}

QualifiedName ReadQualifiedName(Reader& reader)
{
    QualifiedName name;
    name.Namespace = reader.U16();
    name.Name = reader.String();
    return name;
}

LocalizedText ReadLocalizedText(Reader& reader)
{
    LocalizedText text;
    const uint8_t mask = reader.U8();
    if (mask & 0x01)
        text.Locale = reader.String();
    if (mask & 0x02)
        text.Text = reader.String();
    return text;
}

ExtensionObject ReadExtensionObject(Reader& reader)
{
    ExtensionObject object;
    object.TypeId = ReadNodeId(reader);
    object.Encoding = reader.U8();
    if (object.Encoding == 1 || object.Encoding == 2)
        object.Body = reader.ByteString();
    else if (object.Encoding != 0)
        throw DecodeError("unknown extension object encoding");
    return object;
}

void WriteNullExtensionObject(Writer& writer)
{
    writer.U8(0);
    writer.U8(0);
    writer.U8(0);
}

void SkipDiagnosticInfo(Reader& reader)
{
    DepthGuard guard(reader);
    const uint8_t mask = reader.U8();
    for (uint8_t bit : {0x01, 0x02, 0x08, 0x04})
        if (mask & bit)
            reader.U32();
    if (mask & 0x10)
        reader.String();
    if (mask & 0x20)
        reader.U32();
    if (mask & 0x40)
        SkipDiagnosticInfo(reader);
}

std::vector<std::string> ReadStringArray(Reader& reader)
{
    std::vector<std::string> strings(reader.ArrayLength(4));
    for (std::string& text : strings)
        text = reader.String();
    return strings;
}

namespace {

void ReadScalar(Reader& reader, BuiltinType type, Variant& value)
{
    value.Type = type;
    switch (type) {
    case BuiltinType::Null:
        return;
    case BuiltinType::Boolean:
        value.Bool = reader.Boolean();
        return;
    case BuiltinType::SByte:
        value.Int = int8_t(reader.U8());
        return;
    case BuiltinType::Byte:
        value.UInt = reader.U8();
        return;
    case BuiltinType::Int16:
        value.Int = int16_t(reader.U16());
        return;
    case BuiltinType::UInt16:
        value.UInt = reader.U16();
        return;
    case BuiltinType::Int32:
        value.Int = reader.I32();
        return;
    case BuiltinType::UInt32:
    case BuiltinType::StatusCode:
        value.UInt = reader.U32();
        return;
    case BuiltinType::Int64:
    case BuiltinType::DateTime:
        value.Int = reader.I64();
        return;
    case BuiltinType::UInt64:
        value.UInt = reader.U64();
        return;
    case BuiltinType::Float:
        value.Real = reader.Float();
        return;
    case BuiltinType::Double:
        value.Real = reader.Double();
        return;
    case BuiltinType::String:
    case BuiltinType::XmlElement:
    case BuiltinType::ByteString:
        value.Text = reader.String();
        return;
    case BuiltinType::Guid:
        for (uint8_t& byte : value.Guid)
            byte = reader.U8();
        return;
    case BuiltinType::NodeId:
        value.Node = ReadNodeId(reader);
        return;
    case BuiltinType::ExpandedNodeId:
        value.Expanded = ReadExpandedNodeId(reader);
        return;
    case BuiltinType::QualifiedName:
        value.QName = ReadQualifiedName(reader);
        return;
    case BuiltinType::LocalizedText:
        value.LText = ReadLocalizedText(reader);
        return;
    case BuiltinType::ExtensionObject: {
        ExtensionObject object = ReadExtensionObject(reader);
        value.Node = object.TypeId;
        value.Text.assign(object.Body.begin(), object.Body.end());
        return;
    }
    case BuiltinType::DataValue:
        value.Nested.push_back(ReadDataValue(reader));
        return;
    case BuiltinType::Variant: {
        DataValue inner;
        inner.Value = ReadVariant(reader);
        value.Nested.push_back(std::move(inner));
        return;
    }
    case BuiltinType::DiagnosticInfo:
        SkipDiagnosticInfo(reader);
        return;
    }
    throw DecodeError("unknown built-in type");
}

void WriteScalar(Writer& writer, const Variant& value)
{
    switch (value.Type) {
    case BuiltinType::Boolean:
        writer.Boolean(value.Bool);
        return;
    case BuiltinType::SByte:
        writer.U8(uint8_t(int8_t(value.Int)));
        return;
    case BuiltinType::Byte:
        writer.U8(uint8_t(value.UInt));
        return;
    case BuiltinType::Int16:
        writer.U16(uint16_t(int16_t(value.Int)));
        return;
    case BuiltinType::UInt16:
        writer.U16(uint16_t(value.UInt));
        return;
    case BuiltinType::Int32:
        writer.I32(int32_t(value.Int));
        return;
    case BuiltinType::UInt32:
    case BuiltinType::StatusCode:
        writer.U32(uint32_t(value.UInt));
        return;
    case BuiltinType::Int64:
    case BuiltinType::DateTime:
        writer.I64(value.Int);
        return;
    case BuiltinType::UInt64:
        writer.U64(value.UInt);
        return;
    case BuiltinType::Float:
        writer.Float(float(value.Real));
        return;
    case BuiltinType::Double:
        writer.Double(value.Real);
        return;
    case BuiltinType::String:
    case BuiltinType::XmlElement:
    case BuiltinType::ByteString:
        writer.String(value.Text);
        return;
    case BuiltinType::Guid:
        writer.Raw(value.Guid.data(), value.Guid.size());
        return;
    case BuiltinType::NodeId:
        WriteNodeId(writer, value.Node);
        return;
    case BuiltinType::QualifiedName:
        writer.U16(value.QName.Namespace);
        writer.String(value.QName.Name);
        return;
    case BuiltinType::LocalizedText:
        writer.U8(0x03);
        writer.String(value.LText.Locale);
        writer.String(value.LText.Text);
        return;
    default:
        throw DecodeError("this client does not write values of type " +
                          std::string(BuiltinTypeName(value.Type)));
    }
}

} // namespace

Variant ReadVariant(Reader& reader)
{
    DepthGuard guard(reader);
    const uint8_t mask = reader.U8();
    const auto type = BuiltinType(mask & 0x3F);
    if (uint8_t(type) > uint8_t(BuiltinType::DiagnosticInfo))
        throw DecodeError("unknown built-in type");
    Variant value;
    value.Type = type;
    if (mask & 0x80) {
        value.IsArray = true;
        value.Elements.resize(reader.ArrayLength(MinEncodedSize(type)));
        for (Variant& element : value.Elements)
            ReadScalar(reader, type, element);
        if (mask & 0x40) {
            value.Dimensions.resize(reader.ArrayLength(4));
            for (int32_t& dimension : value.Dimensions)
                dimension = reader.I32();
        }
    } else {
        ReadScalar(reader, type, value);
    }
    return value;
}

void WriteVariant(Writer& writer, const Variant& value)
{
    if (value.Type == BuiltinType::Null) {
        writer.U8(0);
        return;
    }
    if (!value.IsArray) {
        writer.U8(uint8_t(value.Type));
        WriteScalar(writer, value);
        return;
    }
    writer.U8(uint8_t(uint8_t(value.Type) | 0x80));
    writer.I32(int32_t(value.Elements.size()));
    for (const Variant& element : value.Elements) {
        Variant scalar = element;
        scalar.Type = value.Type;
        WriteScalar(writer, scalar);
    }
}

DataValue ReadDataValue(Reader& reader)
{
    DepthGuard guard(reader);
    DataValue value;
    const uint8_t mask = reader.U8();
    if (mask & 0x01)
        value.Value = ReadVariant(reader);
    if (mask & 0x02)
        value.Status = reader.U32();
    if (mask & 0x04)
        value.SourceTimestamp = reader.I64();
    if (mask & 0x10)
        value.SourcePicoseconds = reader.U16();
    if (mask & 0x08)
        value.ServerTimestamp = reader.I64();
    if (mask & 0x20)
        value.ServerPicoseconds = reader.U16();
    return value;
}

void WriteDataValue(Writer& writer, const DataValue& value)
{
    uint8_t mask = 0;
    if (value.Value)
        mask |= 0x01;
    if (value.Status != 0)
        mask |= 0x02;
    if (value.SourceTimestamp != 0)
        mask |= 0x04;
    if (value.ServerTimestamp != 0)
        mask |= 0x08;
    writer.U8(mask);
    if (value.Value)
        WriteVariant(writer, *value.Value);
    if (mask & 0x02)
        writer.U32(value.Status);
    if (mask & 0x04)
        writer.I64(value.SourceTimestamp);
    if (mask & 0x08)
        writer.I64(value.ServerTimestamp);
}

// ---------------------------------------------------------------- status names

std::string_view StatusName(uint32_t code)
{
    struct Entry {
        uint32_t Code;
        std::string_view Name;
    };
    static constexpr Entry names[] = {
        {0x00000000, "Good"},
        {0x80010000, "BadUnexpectedError"},
        {0x80020000, "BadInternalError"},
        {0x80030000, "BadOutOfMemory"},
        {0x80040000, "BadResourceUnavailable"},
        {0x80050000, "BadCommunicationError"},
        {0x80060000, "BadEncodingError"},
        {0x80070000, "BadDecodingError"},
        {0x80080000, "BadEncodingLimitsExceeded"},
        {0x800A0000, "BadTimeout"},
        {0x800B0000, "BadServiceUnsupported"},
        {0x800C0000, "BadShutdown"},
        {0x800D0000, "BadServerNotConnected"},
        {0x800E0000, "BadServerHalted"},
        {0x800F0000, "BadNothingToDo"},
        {0x80100000, "BadTooManyOperations"},
        {0x80130000, "BadSecurityChecksFailed"},
        {0x801F0000, "BadUserAccessDenied"},
        {0x80200000, "BadIdentityTokenInvalid"},
        {0x80210000, "BadIdentityTokenRejected"},
        {0x80220000, "BadSecureChannelIdInvalid"},
        {0x80240000, "BadNonceInvalid"},
        {0x80250000, "BadSessionIdInvalid"},
        {0x80260000, "BadSessionClosed"},
        {0x80270000, "BadSessionNotActivated"},
        {0x80280000, "BadSubscriptionIdInvalid"},
        {0x80330000, "BadNodeIdInvalid"},
        {0x80340000, "BadNodeIdUnknown"},
        {0x80350000, "BadAttributeIdInvalid"},
        {0x80360000, "BadIndexRangeInvalid"},
        {0x80390000, "BadDataEncodingInvalid"},
        {0x803A0000, "BadNotReadable"},
        {0x803B0000, "BadNotWritable"},
        {0x803C0000, "BadOutOfRange"},
        {0x803D0000, "BadNotSupported"},
        {0x803E0000, "BadNotFound"},
        {0x80400000, "BadMonitoringModeInvalid"},
        {0x80410000, "BadMonitoredItemIdInvalid"},
        {0x80430000, "BadMonitoredItemFilterUnsupported"},
        {0x80440000, "BadFilterNotAllowed"},
        {0x804A0000, "BadContinuationPointInvalid"},
        {0x804B0000, "BadNoContinuationPoints"},
        {0x80740000, "BadTypeMismatch"},
        {0x80770000, "BadTooManySubscriptions"},
        {0x80780000, "BadTooManyPublishRequests"},
        {0x80790000, "BadNoSubscription"},
        {0x807A0000, "BadSequenceNumberUnknown"},
        {0x80820000, "BadTcpInternalError"},
        {0x80830000, "BadTcpEndpointUrlInvalid"},
        {0x80840000, "BadRequestInterrupted"},
        {0x80850000, "BadRequestTimeout"},
        {0x80860000, "BadSecureChannelClosed"},
        {0x80870000, "BadSecureChannelTokenUnknown"},
        {0x80AB0000, "BadInvalidArgument"},
        {0x80AC0000, "BadConnectionRejected"},
        {0x80AD0000, "BadDisconnect"},
        {0x80AE0000, "BadConnectionClosed"},
        {0x80AF0000, "BadInvalidState"},
        {0x80B00000, "BadEndOfStream"},
        {0x80B10000, "BadNoDataAvailable"},
        {0x80B80000, "BadTcpMessageTypeInvalid"},
        {0x80B90000, "BadTcpSecureChannelUnknown"},
        {0x80BA0000, "BadTcpMessageTooLarge"},
        {0x80BB0000, "BadTcpNotEnoughResources"},
        {0x80BE0000, "BadRequestTooLarge"},
        {0x80BF0000, "BadResponseTooLarge"},
        {0x80E50000, "BadTooManySessions"},
        {0x80310000, "BadNoCommunication"},
        {0x80320000, "BadWaitingForInitialData"},
        {0x80730000, "BadWriteNotSupported"},
        {0x80890000, "BadConfigurationError"},
        {0x808A0000, "BadNotConnected"},
        {0x808B0000, "BadDeviceFailure"},
        {0x808C0000, "BadSensorFailure"},
        {0x808D0000, "BadOutOfService"},
        {0x40000000, "Uncertain"},
        {0x408F0000, "UncertainNoCommunicationLastUsableValue"},
        {0x40900000, "UncertainLastUsableValue"},
        {0x40910000, "UncertainSubstituteValue"},
        {0x40920000, "UncertainInitialValue"},
        {0x40930000, "UncertainSensorNotAccurate"},
        {0x40940000, "UncertainEngineeringUnitsExceeded"},
        {0x40950000, "UncertainSubNormal"},
        {0x80000000, "Bad"},
        {0x00960000, "GoodLocalOverride"},
    };
    const uint32_t withoutInfoBits = code & 0xFFFF0000u;
    for (const Entry& entry : names)
        if (entry.Code == withoutInfoBits)
            return entry.Name;
    return {};
}

std::string StatusText(uint32_t code)
{
    const std::string_view name = StatusName(code);
    if (!name.empty())
        return std::string(name);
    static const char* const hex = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = 28; shift >= 0; shift -= 4)
        text += hex[(code >> shift) & 15];
    return text;
}

} // namespace Ua
