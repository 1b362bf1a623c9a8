#include "opc/ControllerWriteBack.h"

#include "base/Errors.h"
#include "base/EventWait.h"
#include "base/NumberText.h"
#include "opc/OpcClient.h"
#include "opc/PlantValues.h"

#include <QStringList>

#include <cmath>

namespace {

constexpr std::array<TagRole, 3> Roles = {TagRole::P, TagRole::I, TagRole::D};
constexpr std::array<const char*, 3> Names = {"P", "I", "D"};

[[noreturn]] void NotWritten(const QString& reason)
{
    throw OpcError(("Parametri niso bili naloženi v regulator: " + reason).toStdString());
}

QString Label(const WriteBackParameter& p)
{
    return QStringLiteral("%1 (%2)").arg(p.Name, p.Tag);
}

// A value as the status line shows it.
QString ValueText(const QVariant& value)
{
    if (const std::optional<double> number = VariantNumber(value))
        return FormatGeneral(*number, 10);
    return value.isValid() ? value.toString() : QStringLiteral("?");
}

} // namespace

QString WriteBackPlan::Question() const
{
    QStringList lines{QStringLiteral("Zapišem v regulator?")};
    for (const WriteBackParameter& p : Parameters)
        lines << (p.Skipped ? QStringLiteral("%1: brez točke, preskočen").arg(p.Name)
                            : QStringLiteral("%1 = %2").arg(Label(p), p.Shown));
    return lines.join(u'\n');
}

WriteBackPlan PlanWriteBack(const LoopTags& tags, const std::array<WriteBackField, 3>& fields,
                            bool tuningCurrent)
{
    if (!tuningCurrent)
        NotWritten(QStringLiteral("za sedanji model še ni izračunanih parametrov regulatorja "
                                  "(\"Izračun PID parametrov\")."));
    WriteBackPlan plan;
    bool anyNonZero = false;
    for (std::size_t i = 0; i < Roles.size(); ++i) {
        WriteBackParameter& p = plan.Parameters[i];
        p.Role = Roles[i];
        p.Name = QString::fromLatin1(Names[i]);
        p.Tag = tags.Tag(p.Role).trimmed().isEmpty() ? QString() : tags.Tag(p.Role);
        const QString& text = fields[i].Text;
        const bool nothingToWrite = text.isEmpty() || !fields[i].Visible;
        if (p.Tag.isEmpty()) {
            // A value without a tag could not be written after the others
            // had been: the controller would keep part of the old set.
            if (!nothingToWrite)
                NotWritten(QStringLiteral("v tabeli OPC točk manjka oznaka točke \"%1 člen\".")
                               .arg(p.Name));
            p.Skipped = true;
            continue;
        }
        if (text.isEmpty()) {
            p.Value = QVariant(0);
            p.Shown = QStringLiteral("0");
            continue;
        }
        try {
            const double value = ParseNumber(text);
            p.Value = QVariant(value);
            anyNonZero = anyNonZero || value != 0;
        } catch (const ConversionError& e) {
            throw ConversionError(QStringLiteral("Parameter %1: %2. V regulator ni bil zapisan "
                                                 "noben parameter.")
                                      .arg(p.Name, QString::fromUtf8(e.what()))
                                      .toStdString());
        }
        p.Shown = text;
    }
    if (!anyNonZero)
        NotWritten(QStringLiteral("vsi parametri, ki bi bili zapisani, so 0."));
    return plan;
}

QString ControllerWriteBack::Write(const WriteBackPlan& plan)
{
    if (!server_.Active())
        NotWritten(QStringLiteral("povezava z OPC strežnikom ni vzpostavljena."));

    server_.ClearItems(group_);
    std::array<OpcItem*, 3> items{};
    for (std::size_t i = 0; i < items.size(); ++i)
        if (!plan.Parameters[i].Skipped)
            items[i] = server_.AddItem(group_, plan.Parameters[i].Tag);

    // Nothing is written before every tag shows a good quality: the values
    // it holds are kept for "Povrni prejšnje", and a tag the server does not
    // deliver would refuse the write after the others had been written.
    for (std::size_t i = 0; i < items.size(); ++i) {
        OpcItem* item = items[i];
        if (item && !WaitWithEvents([&] { return server_.Active() && IsQualityGood(*item); }, WaitMs))
            NotWritten(QStringLiteral("OPC točka %1 člena \"%2\" v %3 s ni dobila dobre kakovosti.")
                           .arg(plan.Parameters[i].Name, item->ItemID,
                                FormatGeneral(WaitMs / 1000.0, 6)));
    }
    WriteBackPlan before = plan;
    for (std::size_t i = 0; i < items.size(); ++i) {
        WriteBackParameter& p = before.Parameters[i];
        if (items[i]) {
            p.Value = items[i]->Value;
            p.Shown = ValueText(p.Value);
        }
    }

    QStringList written;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!items[i])
            continue;
        try {
            server_.WriteItem(*items[i], plan.Parameters[i].Value);
        } catch (const OpcError& e) {
            if (!written.isEmpty())
                previous_ = before;
            const QString done = written.isEmpty()
                                     ? QStringLiteral("Noben parameter ni bil zapisan.")
                                     : QStringLiteral("Zapisano: %1.").arg(written.join(", "));
            throw OpcError((QString::fromUtf8(e.what()) + done).toStdString());
        }
        written << plan.Parameters[i].Name;
    }
    previous_ = before;

    // The write gives no sign of its own: what counts is what the server
    // reports back.
    const auto arrived = [&](std::size_t i) {
        return !VariantDiffersFrom(items[i]->Value, plan.Parameters[i].Value.toDouble());
    };
    WaitWithEvents(
        [&] {
            for (std::size_t i = 0; i < items.size(); ++i)
                if (items[i] && !arrived(i))
                    return false;
            return true;
        },
        WaitMs);

    QStringList lines, wrong;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const WriteBackParameter& p = plan.Parameters[i];
        if (!items[i]) {
            lines << QStringLiteral("%1 preskočen (brez točke)").arg(p.Name);
            continue;
        }
        lines << QStringLiteral("%1 %2 → %3").arg(Label(p), before.Parameters[i].Shown, p.Shown);
        if (!arrived(i))
            wrong << QStringLiteral("%1 = %2 (zapisano %3)")
                         .arg(Label(p), ValueText(items[i]->Value), p.Shown);
    }
    if (!wrong.isEmpty())
        throw OpcError(QStringLiteral("Regulator po zapisu vrača drugačne vrednosti, kot so bile "
                                      "zapisane: %1.")
                           .arg(wrong.join(QStringLiteral("; ")))
                           .toStdString());
    return QStringLiteral("Naloženo v regulator: ") + lines.join(QStringLiteral("; ")) + u'.';
}
