#include "experiment/QueueFile.h"

#include "base/Errors.h"
#include "base/TextFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

namespace {

[[noreturn]] void Refuse(const QString& fileName, const QString& why)
{
    throw FileError(QStringLiteral("%1: čakalna vrsta ni berljiva: %2")
                        .arg(QDir::toNativeSeparators(fileName), why)
                        .toStdString());
}

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

QString DefaultQueueFileName()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
           QStringLiteral("/cakalna-vrsta.json");
}

void SaveQueue(const QString& fileName, const ExperimentQueue& queue)
{
    QJsonArray entries;
    for (const QueueEntry& entry : queue.Entries()) {
        QJsonObject object;
        object[QStringLiteral("start")] =
            QDateTime::fromMSecsSinceEpoch(entry.StartMs, Qt::UTC).toString(Qt::ISODateWithMs);
        object[QStringLiteral("start_text")] = Text(entry.StartText);
        object[QStringLiteral("label")] = Text(entry.Label);
        object[QStringLiteral("dir")] = Text(entry.Dir);
        entries.append(object);
    }
    QJsonObject root;
    root[QStringLiteral("entries")] = entries;
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    WriteFileBytes(fileName, QJsonDocument(root).toJson(QJsonDocument::Indented));
}

ExperimentQueue LoadQueue(const QString& fileName)
{
    ExperimentQueue queue;
    QFile file(fileName);
    if (!file.exists())
        return queue;
    if (!file.open(QIODevice::ReadOnly))
        Refuse(fileName, file.errorString());
    // A queue of a few hundred entries is a few ten kB; anything far larger
    // is not ours.
    constexpr qint64 MaxBytes = 16 * 1024 * 1024;
    if (file.size() > MaxBytes)
        Refuse(fileName, QStringLiteral("datoteka je prevelika"));
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError)
        Refuse(fileName, error.errorString());
    const QJsonValue entries = document.object().value(QStringLiteral("entries"));
    if (!document.isObject() || !entries.isArray())
        Refuse(fileName, QStringLiteral("manjka seznam \"entries\""));
    int number = 0;
    for (const QJsonValue& value : entries.toArray()) {
        ++number;
        const QJsonObject object = value.toObject();
        const QDateTime start = QDateTime::fromString(
            object.value(QStringLiteral("start")).toString(), Qt::ISODateWithMs);
        const QString label = object.value(QStringLiteral("label")).toString();
        const QString dir = object.value(QStringLiteral("dir")).toString();
        if (!start.isValid() || label.isEmpty() || dir.isEmpty())
            Refuse(fileName, QStringLiteral("vnos %1 nima začetka, oznake ali mape").arg(number));
        QString startText = object.value(QStringLiteral("start_text")).toString();
        if (startText.isEmpty())
            startText = start.toLocalTime().toString(Qt::ISODate);
        queue.Insert({start.toMSecsSinceEpoch(), startText.toStdString(), label.toStdString(),
                      dir.toStdString()});
    }
    return queue;
}
