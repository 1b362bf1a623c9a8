// "Naloži v regulator": the P, I and D fields of the controller page are
// written to the tags of tag-table rows 7, 8 and 9 (controller 1) through
// the group "SkupReg".
//
// All three fields are read before anything is touched, so that a field
// that is not a number (or reads "inf" or "nan") never leaves the plant's
// controller with part of a new parameter set. The writes themselves go one
// by one; a refused write stops the rest, and the message says which
// parameters the controller has already received.

#include "app/Glavna.h"

#include "base/Errors.h"
#include "base/NumberText.h"
#include "base/StringGrid.h"
#include "experiment/RunEngine.h"
#include "opc/OpcClient.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTimer>

#include <array>

namespace {

struct Parameter {
    const char* Name; // "P", "I", "D"
    int Row;          // tag-table row of its tag
    QVariant Value;   // as it is written
    QString Shown;    // the field's text, "0" for an empty field
};

// A field's value as the controller receives it: a double, or the integer 0
// for an empty field.
QVariant FieldValue(const QLineEdit* field, const char* name)
{
    const QString text = field->text();
    if (text.isEmpty())
        return QVariant(0);
    try {
        return QVariant(ParseNumber(text));
    } catch (const ConversionError& e) {
        throw ConversionError(QStringLiteral("Parameter %1: %2. V regulator ni bil zapisan "
                                             "noben parameter.")
                                  .arg(QLatin1String(name), QString::fromUtf8(e.what()))
                                  .toStdString());
    }
}

QString NotWritten(const QString& reason)
{
    return QStringLiteral("Parametri niso bili naloženi v regulator: ") + reason;
}

// One pump of the event queue while waiting: deliveries and user input are
// processed without spinning the processor.
void PumpEvents()
{
    QEventLoop loop;
    QTimer::singleShot(10, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

void TForm1::Button16Click()
{
    // A message of an earlier write-back must not stand for this one.
    StatusBar1->clearMessage();
    const auto parameter = [](const char* name, int row, const QLineEdit* field) {
        const QString text = field->text();
        return Parameter{name, row, FieldValue(field, name),
                         text.isEmpty() ? QStringLiteral("0") : text};
    };
    const std::array<Parameter, 3> parameters = {parameter("P", 7, Edit_Reg_Kp),
                                                 parameter("I", 8, Edit_Reg_Ki),
                                                 parameter("D", 9, Edit_Reg_Kd)};
    if (!dOPCServer1.Active())
        throw OpcError(NotWritten(QStringLiteral("povezava z OPC strežnikom ni vzpostavljena."))
                           .toStdString());
    if (!WriteBackGroup)
        throw OpcError(NotWritten(QStringLiteral("skupina \"SkupReg\" ne obstaja.")).toStdString());
    // A parameter without a tag could not be written after the others had
    // been: the controller would keep part of the old set.
    for (const Parameter& p : parameters)
        if (OPCTabela->Cell(0, p.Row).trimmed().isEmpty())
            throw OpcError(NotWritten(QStringLiteral("v tabeli OPC točk manjka oznaka točke "
                                                     "\"%1 člen\".")
                                          .arg(QLatin1String(p.Name)))
                               .toStdString());

    dOPCServer1.ClearItems(*WriteBackGroup);
    std::array<OpcItem*, 3> items{};
    for (std::size_t i = 0; i < parameters.size(); ++i)
        items[i] = dOPCServer1.AddItem(*WriteBackGroup, OPCTabela->Cell(0, parameters[i].Row));

    // The wait keeps the window alive; the button must not start a second
    // write-back meanwhile.
    const bool wasEnabled = Button16->isEnabled();
    Button16->setEnabled(false);
    const auto restore = qScopeGuard([this, wasEnabled] { Button16->setEnabled(wasEnabled); });
    QElapsedTimer clock;
    clock.start();
    OpcItem& pItem = *items[0];
    const bool good = WaitForGoodQuality(
        [this, &pItem] { return dOPCServer1.Active() && IsQualityGood(pItem); }, PumpEvents,
        [&clock] { return clock.elapsed(); }, WriteBackQualityWaitMs);
    if (!good)
        throw OpcError(
            NotWritten(QStringLiteral("OPC točka P člena \"%1\" v %2 s ni dobila "
                                      "dobre kakovosti.")
                           .arg(pItem.ItemID, FormatGeneral(WriteBackQualityWaitMs / 1000.0, 6)))
                .toStdString());

    QStringList written;
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        try {
            dOPCServer1.WriteItem(*items[i], parameters[i].Value);
        } catch (const OpcError& e) {
            const QString done = written.isEmpty()
                                     ? QStringLiteral("Noben parameter ni bil zapisan.")
                                     : QStringLiteral("Zapisano: %1.").arg(written.join(", "));
            throw OpcError((QString::fromUtf8(e.what()) + done).toStdString());
        }
        written << QLatin1String(parameters[i].Name);
    }
    // The write gives no sign of its own; say what went where.
    QStringList loaded;
    for (std::size_t i = 0; i < parameters.size(); ++i)
        loaded << QStringLiteral("%1 = %2").arg(items[i]->ItemID, parameters[i].Shown);
    StatusBar1->showMessage(QStringLiteral("Naloženo v regulator: ") +
                            loaded.join(QStringLiteral("; ")) + u'.');
}
