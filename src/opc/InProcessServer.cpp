#include "opc/InProcessServer.h"

#include "base/NumberText.h"
#include "data/GlobalProcedures.h"

#include <QRegularExpression>
#include <QSysInfo>
#include <QUuid>

#include <cmath>
#include <optional>

namespace {

std::optional<int> IntegerOf(const QVariant& value, double lowest, double highest)
{
    const std::optional<double> number = VariantNumber(value);
    if (!number)
        return std::nullopt;
    const int rounded = RoundHalfEven(*number);
    if (rounded < lowest || rounded > highest || std::fabs(*number - rounded) > 0.5)
        return std::nullopt;
    return rounded;
}

QStringList SplitItemId(const QString& itemId)
{
    return itemId.split(QLatin1Char('.'));
}

} // namespace

bool ConvertOpcValue(const QVariant& value, int dataType, QVariant& converted)
{
    std::optional<int> integer;
    switch (dataType) {
    case OpcType::Empty:
    case OpcType::Variant:
        converted = value;
        return true;
    case OpcType::R8:
        if (const auto number = VariantNumber(value)) {
            converted = *number;
            return true;
        }
        return false;
    case OpcType::R4:
        if (const auto number = VariantNumber(value); number && std::fabs(*number) <= 3.4e38) {
            converted = static_cast<float>(*number);
            return true;
        }
        return false;
    case OpcType::I1:
        integer = IntegerOf(value, -128, 127);
        break;
    case OpcType::UI1:
        integer = IntegerOf(value, 0, 255);
        break;
    case OpcType::I2:
        integer = IntegerOf(value, -32768, 32767);
        break;
    case OpcType::UI2:
        integer = IntegerOf(value, 0, 65535);
        break;
    case OpcType::I4:
        integer = IntegerOf(value, -2147483648.0, 2147483647.0);
        break;
    case OpcType::Bool:
        if (const auto number = VariantNumber(value)) {
            converted = *number != 0;
            return true;
        }
        return false;
    case OpcType::Bstr:
        if (const auto number = VariantNumber(value);
            number && value.typeId() != QMetaType::QString) {
            converted = QString::fromStdString(FormatGeneralC(*number, 15));
            return true;
        }
        if (!value.canConvert<QString>())
            return false;
        converted = value.toString();
        return true;
    case OpcType::Date:
        if (!value.toDateTime().isValid())
            return false;
        converted = value.toDateTime();
        return true;
    default:
        return false;
    }
    if (!integer)
        return false;
    converted = *integer;
    return true;
}

bool IsLocalComputer(const QString& computer)
{
    const QString name = computer.trimmed();
    return name.isEmpty() || name == QLatin1String(".") ||
           name.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 ||
           name == QLatin1String("127.0.0.1") ||
           name.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) == 0;
}

// ---------------------------------------------------------------- InProcessServer

InProcessServer::InProcessServer(QString progId, QString description, unsigned kinds,
                                 QObject* parent)
    : QObject(parent), progId_(std::move(progId)), description_(std::move(description)),
      kinds_(kinds)
{
    // A stable class identifier derived from the ProgID, as a registry would hold it.
    static const QUuid Namespace(QStringLiteral("{5b7d3c9e-6a41-4f0e-9d0b-2f6c8e1a4d73}"));
    classId_ = QUuid::createUuidV5(Namespace, progId_.toLower()).toString().toUpper();
}

const InProcessServer::Node* InProcessServer::FindBranch(const QStringList& path) const
{
    const Node* node = &root_;
    for (const QString& name : path) {
        const auto it =
            std::find_if(node->Children.begin(), node->Children.end(),
                         [&](const auto& child) { return child->IsBranch && child->Name == name; });
        if (it == node->Children.end())
            return nullptr;
        node = it->get();
    }
    return node;
}

InProcessServer::Node* InProcessServer::MakeBranch(const QStringList& path)
{
    Node* node = &root_;
    for (const QString& name : path) {
        const auto it =
            std::find_if(node->Children.begin(), node->Children.end(),
                         [&](const auto& child) { return child->IsBranch && child->Name == name; });
        if (it != node->Children.end()) {
            node = it->get();
            continue;
        }
        node->Children.push_back(std::make_unique<Node>(Node{name, true, {}}));
        node = node->Children.back().get();
    }
    return node;
}

void InProcessServer::AddBranch(const QString& path)
{
    MakeBranch(SplitItemId(path));
}

void InProcessServer::AddTag(const QString& itemId, int dataType, const QVariant& value,
                             bool writable, double euLow, double euHigh)
{
    QStringList path = SplitItemId(itemId);
    const QString leaf = path.takeLast();
    Node* branch = MakeBranch(path);
    const bool known = tags_.count(itemId) > 0;
    if (!known)
        branch->Children.push_back(std::make_unique<Node>(Node{leaf, false, {}}));

    InProcessTag tag;
    tag.ItemID = itemId;
    tag.DataType = dataType;
    tag.Writable = writable;
    if (!ConvertOpcValue(value, dataType, tag.Value))
        tag.Quality = OpcQualityBad;
    tag.TimeStamp = QDateTime::currentDateTimeUtc();
    tag.EuLow = euLow;
    tag.EuHigh = euHigh;
    if (known)
        tag.Version = tags_[itemId].Version + 1;
    tags_[itemId] = tag;
}

const InProcessTag* InProcessServer::FindTag(const QString& itemId) const
{
    const auto it = tags_.find(itemId);
    return it == tags_.end() ? nullptr : &it->second;
}

QList<OpcBrowseEntry> InProcessServer::Browse(const QStringList& path,
                                              const OpcBrowseFilter& filter) const
{
    const Node* branch = FindBranch(path);
    if (!branch)
        return {};
    QRegularExpression pattern;
    if (!filter.NameFilter.isEmpty())
        pattern =
            QRegularExpression(QRegularExpression::wildcardToRegularExpression(filter.NameFilter),
                               QRegularExpression::CaseInsensitiveOption);

    const QString prefix = path.isEmpty() ? QString() : path.join(QLatin1Char('.')) + '.';
    QList<OpcBrowseEntry> entries;
    for (const auto& child : branch->Children) {
        if (!filter.NameFilter.isEmpty() && !pattern.match(child->Name).hasMatch())
            continue;
        OpcBrowseEntry entry;
        entry.Name = child->Name;
        entry.ItemID = prefix + child->Name;
        entry.IsBranch = child->IsBranch;
        if (!child->IsBranch) {
            const InProcessTag& tag = tags_.at(entry.ItemID);
            if ((filter.DataType != OpcType::Empty && tag.DataType != filter.DataType) ||
                (filter.Readable && !tag.Readable) || (filter.Writable && !tag.Writable))
                continue;
            entry.DataType = tag.DataType;
            entry.Readable = tag.Readable;
            entry.Writable = tag.Writable;
        }
        entries.append(entry);
    }
    return entries;
}

void InProcessServer::Touch(InProcessTag& tag)
{
    tag.TimeStamp = QDateTime::currentDateTimeUtc();
    ++tag.Version;
}

void InProcessServer::SetTagValue(const QString& itemId, const QVariant& value)
{
    const auto it = tags_.find(itemId);
    if (it == tags_.end())
        return;
    InProcessTag& tag = it->second;
    if (ConvertOpcValue(value, tag.DataType, tag.Value))
        tag.Quality = OpcQualityGood;
    else
        tag.Quality = OpcQualityBad;
    Touch(tag);
}

void InProcessServer::SetTagQuality(const QString& itemId, quint16 quality)
{
    const auto it = tags_.find(itemId);
    if (it == tags_.end())
        return;
    it->second.Quality = quality;
    Touch(it->second);
}

void InProcessServer::RefuseItem(const QString& itemId, qint32 code)
{
    refusedItems_.insert(itemId, code);
}

void InProcessServer::RefuseWrite(const QString& itemId, qint32 code)
{
    refusedWrites_.insert(itemId, code);
}

void InProcessServer::AcceptAll()
{
    refusedItems_.clear();
    refusedWrites_.clear();
}

void InProcessServer::RequestShutdown(const QString& reason)
{
    emit ShutdownRequested(reason);
}

qint32 InProcessServer::CheckItem(const QString& itemId, int requestedType) const
{
    if (itemId.isEmpty())
        return OpcResult::InvalidItemId;
    if (const auto refused = refusedItems_.constFind(itemId); refused != refusedItems_.constEnd())
        return refused.value();
    const InProcessTag* tag = FindTag(itemId);
    if (!tag)
        return OpcResult::UnknownItemId;
    QVariant probe;
    if (requestedType != OpcType::Empty && !ConvertOpcValue(tag->Value, requestedType, probe))
        return OpcResult::BadType;
    return OpcResult::Ok;
}

qint32 InProcessServer::Write(const QString& itemId, const QVariant& value)
{
    if (const auto refused = refusedWrites_.constFind(itemId); refused != refusedWrites_.constEnd())
        return refused.value();
    const auto it = tags_.find(itemId);
    if (it == tags_.end())
        return OpcResult::UnknownItemId;
    InProcessTag& tag = it->second;
    if (!tag.Writable)
        return OpcResult::BadRights;
    QVariant converted;
    if (!ConvertOpcValue(value, tag.DataType, converted))
        return OpcResult::BadType;
    tag.Value = converted;
    tag.Quality = OpcQualityGood;
    Touch(tag);
    WriteLog.append({itemId, value});
    return OpcResult::Ok;
}

QString InProcessServer::ErrorString(qint32 code) const
{
    switch (code) {
    case OpcResult::Fail:
        return QStringLiteral("Unspecified error");
    case OpcResult::InvalidHandle:
        return QStringLiteral("The value of the handle is invalid.");
    case OpcResult::BadType:
        return QStringLiteral("The server cannot convert the data between the specified format "
                              "and/or requested data type and the canonical data type.");
    case OpcResult::BadRights:
        return QStringLiteral("The item's access rights do not allow the operation.");
    case OpcResult::UnknownItemId:
        return QStringLiteral("The item ID is not defined in the server address space.");
    case OpcResult::InvalidItemId:
        return QStringLiteral("The item ID does not conform to the server's syntax.");
    case OpcResult::Range:
        return QStringLiteral("The value was out of range.");
    default:
        return {};
    }
}

// ---------------------------------------------------------------- InProcessRegistry

void InProcessRegistry::Register(std::shared_ptr<InProcessServer> server)
{
    Unregister(server->ProgID());
    servers_.push_back(std::move(server));
}

void InProcessRegistry::Unregister(const QString& progId)
{
    std::erase_if(servers_, [&](const auto& server) {
        return server->ProgID().compare(progId, Qt::CaseInsensitive) == 0;
    });
}

std::shared_ptr<InProcessServer> InProcessRegistry::Find(const QString& progId) const
{
    for (const auto& server : servers_)
        if (server->ProgID().compare(progId, Qt::CaseInsensitive) == 0)
            return server;
    return nullptr;
}
