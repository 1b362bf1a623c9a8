// varkol-cli opc: checks a plant's OPC UA connection from a terminal.
//
//   opc servers [DISCOVERY_URL]          the servers a discovery server reports
//   opc browse URL [NODE]                the children of a node (the Objects folder)
//   opc read URL NODE...                 value, type, status and source time
//   opc write URL NODE VALUE             VALUE encoded in the variable's own type
//   opc watch URL NODE... --seconds S [--interval MS]   one JSON line per data change
//
// --timeout MS bounds every request and each step of connecting. A refused
// write prints the server's status and exits with status 2.

#include "cli/CliArguments.h"
#include "cli/Commands.h"
#include "cli/JsonWriter.h"
#include "opc/UaClient.h"
#include "opc/UaConnection.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

std::string Std(const QString& text)
{
    return text.toStdString();
}

Ua::NodeId NodeArgument(const std::string& text)
{
    const std::optional<Ua::NodeId> node = Ua::ParseNodeId(text);
    if (!node)
        throw UsageError("'" + text + "' is not a node id (ns=2;s=Loop1.MV, ns=3;i=1001, i=85)");
    return *node;
}

std::string TimeText(Ua::Ticks ticks)
{
    if (ticks == 0)
        return {};
    return Std(QDateTime::fromMSecsSinceEpoch(UaTicksToMsecsSinceEpoch(ticks), Qt::UTC)
                   .toString(Qt::ISODateWithMs));
}

JsonValue ValueJson(const Ua::Variant& value)
{
    using T = Ua::BuiltinType;
    if (value.IsArray) {
        JsonValue::Array elements;
        for (Ua::Variant element : value.Elements) {
            element.Type = value.Type;
            elements.push_back(ValueJson(element));
        }
        return elements;
    }
    switch (value.Type) {
    case T::Null:
        return {};
    case T::Boolean:
        return value.Bool;
    case T::SByte:
    case T::Int16:
    case T::Int32:
    case T::Int64:
        return std::int64_t(value.Int);
    case T::Byte:
    case T::UInt16:
    case T::UInt32:
    case T::StatusCode:
        return std::int64_t(value.UInt);
    case T::UInt64:
        return value.UInt <= uint64_t(INT64_MAX) ? JsonValue(std::int64_t(value.UInt))
                                                 : JsonValue(std::to_string(value.UInt));
    case T::Float:
    case T::Double:
        return value.Real;
    case T::DateTime:
        return TimeText(value.Int);
    default:
        return Std(UaToQVariant(value).toString());
    }
}

JsonValue DataValueJson(const std::string& node, const Ua::DataValue& data)
{
    JsonValue json;
    json.Add("node_id", node);
    json.Add("value", data.Value ? ValueJson(*data.Value) : JsonValue());
    json.Add("type", std::string(Ua::BuiltinTypeName(data.Value ? data.Value->Type
                                                                : Ua::BuiltinType::Null)));
    json.Add("status", Ua::StatusText(data.Status));
    json.Add("source_time", TimeText(data.SourceTimestamp));
    return json;
}

std::string NodeClassName(uint32_t nodeClass)
{
    switch (nodeClass) {
    case 1:
        return "Object";
    case 2:
        return "Variable";
    case 4:
        return "Method";
    case 8:
        return "ObjectType";
    case 16:
        return "VariableType";
    case 32:
        return "ReferenceType";
    case 64:
        return "DataType";
    case 128:
        return "View";
    default:
        return std::to_string(nodeClass);
    }
}

std::unique_ptr<QCoreApplication> MakeApplication()
{
    static int qtArgc = 1;
    static char name[] = "varkol-cli";
    static char* qtArgv[] = {name, nullptr};
    if (QCoreApplication::instance())
        return nullptr;
    return std::make_unique<QCoreApplication>(qtArgc, qtArgv);
}

// The Qt application the client's socket needs, and the connection.
struct Session {
    std::unique_ptr<QCoreApplication> Application = MakeApplication();
    UaClient Client;
};

std::unique_ptr<Session> Open(const CliArguments& args, const std::string& url, bool session)
{
    auto opened = std::make_unique<Session>();
    if (const std::optional<int> timeout = args.Integer("timeout")) {
        if (*timeout <= 0)
            throw UsageError("--timeout must be a positive number of milliseconds");
        opened->Client.TimeoutMs = *timeout;
    }
    const QString endpoint = QString::fromStdString(url);
    if (!IsUaEndpointUrl(endpoint))
        throw UsageError("'" + url + "' is not an OPC UA endpoint URL (opc.tcp://host:port)");
    try {
        if (session)
            opened->Client.Connect(endpoint);
        else
            opened->Client.OpenChannel(endpoint);
    } catch (const UaError& e) {
        throw std::runtime_error("Unable to connect to OPC server " + url + ": " + e.what());
    }
    return opened;
}

int Servers(const CliArguments& args)
{
    const std::string url = args.Positional().size() > 1 ? args.Positional()[1]
                                                         : std::string("opc.tcp://localhost:4840");
    std::unique_ptr<Session> session = Open(args, url, false);
    JsonValue::Array servers;
    for (const Ua::ApplicationDescription& server : session->Client.FindServers()) {
        JsonValue entry;
        entry.Add("name", server.ApplicationName.Text);
        entry.Add("application_uri", server.ApplicationUri);
        static const char* const types[] = {"Server", "Client", "ClientAndServer",
                                            "DiscoveryServer"};
        entry.Add("type", server.ApplicationType < 4 ? types[server.ApplicationType] : "");
        JsonValue::Array urls;
        for (const std::string& discovery : server.DiscoveryUrls)
            urls.emplace_back(discovery);
        entry.Add("discovery_urls", urls);
        servers.push_back(entry);
    }
    session->Client.Close();
    JsonValue json;
    json.Add("discovery_url", url);
    json.Add("servers", servers);
    std::printf("%s\n", json.Serialize().c_str());
    return 0;
}

int Browse(const CliArguments& args)
{
    const std::string url = args.Required(1, "URL");
    const std::string nodeText = args.Positional().size() > 2 ? args.Positional()[2] : "i=85";
    const Ua::NodeId node = NodeArgument(nodeText);
    std::unique_ptr<Session> session = Open(args, url, true);
    UaClient& client = session->Client;
    const std::vector<Ua::ReferenceDescription> children = client.Browse(node);
    std::vector<Ua::ReadValueId> reads;
    for (const Ua::ReferenceDescription& child : children) {
        if (child.NodeClass == 2) {
            reads.push_back({child.Node.Id, Ua::Id::AttributeDataType});
            reads.push_back({child.Node.Id, Ua::Id::AttributeAccessLevel});
        }
    }
    const std::vector<Ua::DataValue> attributes =
        reads.empty() ? std::vector<Ua::DataValue>() : client.Read(reads);
    JsonValue::Array list;
    size_t variable = 0;
    for (const Ua::ReferenceDescription& child : children) {
        JsonValue entry;
        entry.Add("node_id", Ua::NodeIdText(child.Node.Id));
        entry.Add("browse_name", child.BrowseName.Name);
        entry.Add("display_name", child.DisplayName.Text);
        entry.Add("node_class", NodeClassName(child.NodeClass));
        if (child.NodeClass == 2) {
            const Ua::DataValue& dataType = attributes[2 * variable];
            const Ua::DataValue& access = attributes[2 * variable + 1];
            ++variable;
            std::string typeName;
            if (dataType.Value && dataType.Value->Type == Ua::BuiltinType::NodeId) {
                const Ua::BuiltinType builtin = UaBuiltinTypeOf(dataType.Value->Node, nullptr);
                typeName = builtin != Ua::BuiltinType::Null
                               ? std::string(Ua::BuiltinTypeName(builtin))
                               : Ua::NodeIdText(dataType.Value->Node);
            }
            const uint64_t level = access.Value ? access.Value->UInt : 0;
            entry.Add("data_type", typeName);
            entry.Add("access", std::string(level & 1 ? "r" : "") + (level & 2 ? "w" : ""));
        }
        list.push_back(entry);
    }
    client.Close();
    JsonValue json;
    json.Add("url", url);
    json.Add("node_id", Ua::NodeIdText(node));
    json.Add("children", list);
    std::printf("%s\n", json.Serialize().c_str());
    return 0;
}

int Read(const CliArguments& args)
{
    const std::string url = args.Required(1, "URL");
    args.Required(2, "NODE");
    std::vector<Ua::ReadValueId> reads;
    for (size_t i = 2; i < args.Positional().size(); ++i)
        reads.push_back({NodeArgument(args.Positional()[i]), Ua::Id::AttributeValue});
    std::unique_ptr<Session> session = Open(args, url, true);
    const std::vector<Ua::DataValue> values = session->Client.Read(reads);
    session->Client.Close();
    JsonValue::Array list;
    for (size_t i = 0; i < values.size(); ++i)
        list.push_back(DataValueJson(Ua::NodeIdText(reads[i].Node), values[i]));
    JsonValue json;
    json.Add("url", url);
    json.Add("values", list);
    std::printf("%s\n", json.Serialize().c_str());
    return 0;
}

int Write(const CliArguments& args)
{
    args.ExpectPositionalCount(4);
    const std::string url = args.Required(1, "URL");
    const Ua::NodeId node = NodeArgument(args.Required(2, "NODE"));
    const QString text = QString::fromStdString(args.Required(3, "VALUE"));
    std::unique_ptr<Session> session = Open(args, url, true);
    UaClient& client = session->Client;
    const std::vector<Ua::DataValue> current =
        client.Read({{node, Ua::Id::AttributeDataType}, {node, Ua::Id::AttributeValue}});
    if (Ua::Status::IsBad(current[0].Status) || !current[0].Value ||
        current[0].Value->Type != Ua::BuiltinType::NodeId)
        throw std::runtime_error(Ua::NodeIdText(node) + ": " +
                                 Ua::StatusText(Ua::Status::IsBad(current[0].Status)
                                                    ? current[0].Status
                                                    : Ua::Status::BadNodeIdUnknown));
    const Ua::BuiltinType type =
        UaBuiltinTypeOf(current[0].Value->Node, current[1].Value ? &*current[1].Value : nullptr);
    QVariant value = text;
    if (type == Ua::BuiltinType::Boolean && (text == "true" || text == "false"))
        value = text == "true" ? 1 : 0;
    if (type == Ua::BuiltinType::DateTime)
        value = QDateTime::fromString(text, Qt::ISODateWithMs);
    uint32_t status = 0;
    const std::optional<Ua::Variant> encoded = UaFromQVariant(value, type, status);
    if (encoded)
        status = client.Write({{node, *encoded}}).at(0);
    client.Close();
    if (Ua::Status::IsBad(status))
        throw std::runtime_error(Ua::NodeIdText(node) + ": " + Ua::StatusText(status));
    JsonValue json;
    json.Add("url", url);
    json.Add("node_id", Ua::NodeIdText(node));
    json.Add("type", std::string(Ua::BuiltinTypeName(type)));
    json.Add("value", ValueJson(*encoded));
    json.Add("status", Ua::StatusText(status));
    std::printf("%s\n", json.Serialize().c_str());
    return 0;
}

int Watch(const CliArguments& args)
{
    const std::string url = args.Required(1, "URL");
    args.Required(2, "NODE");
    const std::optional<double> seconds = args.Number("seconds");
    if (!seconds || !(*seconds > 0) || *seconds > 86400 * 365)
        throw UsageError("--seconds S is required, a positive number");
    const int interval = args.Integer("interval").value_or(1000);
    if (interval < 0)
        throw UsageError("--interval must not be negative");
    std::vector<Ua::MonitoredItemRequest> items;
    std::vector<std::string> names;
    for (size_t i = 2; i < args.Positional().size(); ++i) {
        const Ua::NodeId node = NodeArgument(args.Positional()[i]);
        items.push_back({node, uint32_t(items.size()), double(interval), 1});
        names.push_back(Ua::NodeIdText(node));
    }
    std::unique_ptr<Session> session = Open(args, url, true);
    UaClient& client = session->Client;
    QString lost;
    client.OnLost = [&](const QString& reason) { lost = reason; };
    client.OnDataChange = [&](uint32_t, const std::vector<Ua::MonitoredItemNotification>& changes) {
        for (const Ua::MonitoredItemNotification& change : changes) {
            if (change.ClientHandle < names.size())
                std::printf(
                    "%s\n",
                    DataValueJson(names[change.ClientHandle], change.Value).Serialize().c_str());
        }
        std::fflush(stdout);
    };
    const Ua::CreateSubscriptionResponse subscription = client.CreateSubscription(interval, true);
    const std::vector<Ua::MonitoredItemCreateResult> results =
        client.CreateMonitoredItems(subscription.SubscriptionId, items);
    for (size_t i = 0; i < results.size(); ++i)
        if (Ua::Status::IsBad(results[i].Status))
            throw std::runtime_error(names[i] + ": " + Ua::StatusText(results[i].Status));
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (!lost.isEmpty() || clock.elapsed() >= qint64(*seconds * 1000))
            loop.quit();
    });
    check.start(10);
    loop.exec();
    if (!lost.isEmpty())
        throw std::runtime_error("Connection to " + url + " lost: " + Std(lost));
    client.DeleteSubscriptions({subscription.SubscriptionId});
    client.Close();
    return 0;
}

} // namespace

int RunOpc(int argc, char** argv)
{
    const CliArguments args(argc, argv, 2, {"timeout", "seconds", "interval"}, {});
    const std::string& what = args.Required(0, "servers|browse|read|write|watch");
    try {
        if (what == "servers")
            return Servers(args);
        if (what == "browse")
            return Browse(args);
        if (what == "read")
            return Read(args);
        if (what == "write")
            return Write(args);
        if (what == "watch")
            return Watch(args);
    } catch (const UaError& e) {
        throw std::runtime_error(e.what());
    }
    throw UsageError("unknown opc command '" + what + "' (servers, browse, read, write, watch)");
}
