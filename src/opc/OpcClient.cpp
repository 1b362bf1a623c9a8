#include "opc/OpcClient.h"

#include "base/Errors.h"
#include "base/NumberText.h"

#include <cmath>

namespace {

constexpr int MaxReportLines = 26;

bool IsNonFiniteNumber(const QVariant& value)
{
    const int type = value.typeId();
    if (type == QMetaType::Double || type == QMetaType::Float)
        return !std::isfinite(value.toDouble());
    return false;
}

} // namespace

const QStringList& OpcVariantTypeNames()
{
    static const QStringList names = {
        QStringLiteral("EMPTY"),     QStringLiteral("NULL"),    QStringLiteral("I2"),
        QStringLiteral("I4"),        QStringLiteral("R4"),      QStringLiteral("R8"),
        QStringLiteral("CY"),        QStringLiteral("DATE"),    QStringLiteral("BSTR"),
        QStringLiteral("DISPATCH"),  QStringLiteral("ERROR"),   QStringLiteral("BOOL"),
        QStringLiteral("VARIANT"),   QStringLiteral("UNKNOWN"), QStringLiteral("DECIMAL"),
        QStringLiteral("undef"),     QStringLiteral("I1"),      QStringLiteral("UI1"),
        QStringLiteral("UI2"),       QStringLiteral("UI4"),     QStringLiteral("I8"),
        QStringLiteral("UI8"),       QStringLiteral("INT"),     QStringLiteral("UINT"),
        QStringLiteral("VOID"),      QStringLiteral("HRESULT"), QStringLiteral("PTR"),
        QStringLiteral("SAFEARRAY"), QStringLiteral("CARRAY"),  QStringLiteral("USERDEFINED"),
        QStringLiteral("LPSTR"),     QStringLiteral("LPWSTR"),
    };
    return names;
}

QString OpcItemErrorReport(const QString& header, const QList<OpcItemError>& refused)
{
    const QString lineEnd = QStringLiteral("\r\n");
    QString report = header + lineEnd;
    const qsizetype count = std::min<qsizetype>(refused.size(), MaxReportLines);
    for (qsizetype i = 0; i < count; ++i) {
        const OpcItemError& error = refused[i];
        const QString text = error.Text.isEmpty()
                                 ? QStringLiteral("Unknown error : %1").arg(error.Code)
                                 : error.Text;
        report += error.ItemID + QStringLiteral(" - ") + text + lineEnd;
    }
    return report;
}

QString OpcServerStateText(int state)
{
    switch (state) {
    case 1:
        return QStringLiteral("running");
    case 2:
        return QStringLiteral("failed");
    case 3:
        return QStringLiteral("no config");
    case 4:
        return QStringLiteral("suspended");
    case 5:
        return QStringLiteral("test");
    default:
        return {};
    }
}

// ---------------------------------------------------------------- OpcGroup

OpcGroup::OpcGroup(OpcServer& server, QString name, bool isActive, int updateRate, float deadBand,
                   int localeId, int timeBias)
    : server_(server), name_(std::move(name)), isActive_(isActive),
      updateRate_(std::max(0, updateRate)), deadBand_(deadBand), localeId_(localeId),
      timeBias_(timeBias)
{
}

void OpcGroup::SetIsActive(bool active)
{
    if (active == isActive_)
        return;
    isActive_ = active;
    if (ServerHandle != -1)
        server_.GroupStateChanged(*this);
}

void OpcGroup::SetUpdateRate(int milliseconds)
{
    milliseconds = std::max(0, milliseconds);
    if (milliseconds == updateRate_)
        return;
    updateRate_ = milliseconds;
    if (ServerHandle != -1)
        server_.GroupStateChanged(*this);
}

void OpcGroup::SetDeadBand(float percent)
{
    if (!(percent >= 0 && percent <= 100))
        throw OpcError(QStringLiteral("Dead band %1 of group %2 is outside 0 to 100")
                           .arg(FormatGeneral(percent, 7), name_)
                           .toStdString());
    if (percent == deadBand_)
        return;
    deadBand_ = percent;
    if (ServerHandle != -1)
        server_.GroupStateChanged(*this);
}

// ---------------------------------------------------------------- OpcServer

OpcServer::OpcServer(QObject* parent) : QObject(parent)
{
}

OpcServer::~OpcServer() = default;

OpcGroup* OpcServer::AddGroup(const QString& name)
{
    const bool exists = std::any_of(groups_.begin(), groups_.end(),
                                    [&](const auto& group) { return group->Name() == name; });
    if (exists || name.trimmed().isEmpty())
        throw OpcError(QStringLiteral("Group %1 already exists").arg(name).toStdString());
    const OpcGroupDefaults& d = OPCGroupDefault;
    groups_.push_back(std::make_unique<OpcGroup>(*this, name, d.IsActive, d.UpdateRate, d.DeadBand,
                                                 d.LocaleId, d.TimeBias));
    OpcGroup* group = groups_.back().get();
    if (Active())
        GroupAdded(*group);
    return group;
}

void OpcServer::ClearItems(OpcGroup& group)
{
    Q_ASSERT(&group.server_ == this);
    std::vector<OpcItem*> onServer;
    for (const auto& item : group.items_)
        if (item->ServerHandle != -1)
            onServer.push_back(item.get());
    if (!onServer.empty() && Active())
        ItemsRemoved(group, onServer);
    group.items_.clear();
}

OpcItem* OpcServer::AddItem(OpcGroup& group, const QString& itemId)
{
    Q_ASSERT(&group.server_ == this);
    auto item = std::make_unique<OpcItem>();
    item->ItemID = itemId;
    OpcItem* added = item.get();
    group.items_.push_back(std::move(item));
    if (Active() && group.ServerHandle != -1) {
        const QList<OpcItemError> refused = ItemsAdded(group, {added});
        if (!refused.isEmpty())
            emit ItemErrorReport(OpcItemErrorReport(QStringLiteral("OPC Command:"), refused));
    }
    return added;
}

void OpcServer::WriteItem(OpcItem& item, const QVariant& value)
{
    if (!Active())
        return;
    QList<OpcItemError> refused;
    if (IsNonFiniteNumber(value)) {
        item.Error = OpcResult::Range;
        refused.append(
            {item.ItemID, OpcResult::Range, QStringLiteral("The value is not a finite number")});
    } else {
        refused = WriteValue(item, value);
    }
    if (!refused.isEmpty())
        throw OpcError(
            OpcItemErrorReport(QStringLiteral("Cannot write Items:"), refused).toStdString());
}

void OpcServer::CreateGroupsOnServer()
{
    for (const auto& group : groups_) {
        GroupAdded(*group);
        std::vector<OpcItem*> waiting;
        for (const auto& item : group->items_)
            if (item->ServerHandle == -1)
                waiting.push_back(item.get());
        if (waiting.empty())
            continue;
        const QList<OpcItemError> refused = ItemsAdded(*group, waiting);
        if (!refused.isEmpty())
            emit ItemErrorReport(OpcItemErrorReport(QStringLiteral("Cannot add Items:"), refused));
    }
}

void OpcServer::ForgetServerHandles()
{
    for (const auto& group : groups_) {
        group->ServerHandle = -1;
        for (const auto& item : group->items_)
            item->ServerHandle = -1;
    }
}

void OpcServer::GrantUpdateRate(OpcGroup& group, int milliseconds)
{
    group.updateRate_ = milliseconds;
}

std::optional<double> VariantNumber(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Float:
    case QMetaType::Double: {
        const double number = value.toDouble();
        if (std::isfinite(number))
            return number;
        return std::nullopt;
    }
    case QMetaType::QString:
        return ParseSampleField(value.toString());
    default:
        return std::nullopt;
    }
}
