// The check of the OPC UA binary decoder: every message a server (or
// anything posing as one) can send.

#include "FuzzChecks.h"

#include "opc/UaBinary.h"

#include <string_view>

std::string CheckUaMessage(const std::uint8_t* data, std::size_t size)
{
    // A whole message as the client receives it, and the same bytes as a
    // service response reassembled from chunks: decoded, or refused with
    // DecodeError (anything else escapes and is a finding).
    try {
        const Ua::ServerMessage message = Ua::DecodeServerMessage(data, size);
        if (message.Header.Size > size)
            return "a message was decoded beyond its bytes";
    } catch (const Ua::DecodeError&) {
    }
    try {
        Ua::DecodeResponse(data, size);
    } catch (const Ua::DecodeError&) {
    }

    // The text form of a node id: what parses is written back to the same
    // text's meaning.
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const std::optional<Ua::NodeId> id = Ua::ParseNodeId(text)) {
        const std::optional<Ua::NodeId> again = Ua::ParseNodeId(Ua::NodeIdText(*id));
        if (!again || !(*again == *id))
            return "the node id " + Ua::NodeIdText(*id) + " does not read back";
    }
    return {};
}
