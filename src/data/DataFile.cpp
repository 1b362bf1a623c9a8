#include "data/DataFile.h"

#include "base/Errors.h"
#include "base/NumberText.h"
#include "base/TextFile.h"
#include "data/Podatki.h"

#include <QDate>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <QTime>

#include <cmath>
#include <optional>

const QString MeasurementFileFilter = QStringLiteral(
    "Measured Data (*.vkd)|*.vkd|Data files (*.txt, *.dat)|*.txt; *.dat|All files|*.*");
const QString MeasurementFileExtension = QStringLiteral("vkd");

namespace {

const QString VkdKey = QStringLiteral("VARKOL Mesurements");
const QString VkdVersion = QStringLiteral("V1.0");
constexpr int VkdHeaderLines = 18;
constexpr int ForeignMaxValues = 39;
constexpr int ForeignMaxSamples = Podatki::MaxSamples - 1;

double SampleValue(QStringView field)
{
    return ParseSampleField(field).value_or(0.0);
}

LoadedMeasurements ReadVkd(const FileLines& lines)
{
    LoadedMeasurements result;
    MeasurementFileSettings& s = result.Settings;
    s.Date = lines.Line(3);
    s.Time = lines.Line(4);
    const double samplingTime = lines.LenientNumber(5);
    if (!(samplingTime > 0))
        lines.Fail(5, QStringLiteral("čas vzorčenja mora biti večji od 0"));
    const int n = lines.Integer(6);
    if (n < 1 || n > Podatki::MaxSamples)
        lines.Fail(
            6, QStringLiteral("število vzorcev %1 ni med 1 in %2").arg(n).arg(Podatki::MaxSamples));
    s.WindowStart = QString::number(lines.Integer(7));
    s.WindowEnd = QString::number(lines.Integer(8));
    s.FilterTime = FormatGeneral(lines.LenientNumber(9), 10);
    s.ActuatorMaximum = FormatGeneral(lines.LenientNumber(10), 10);
    s.ActuatorMinimum = FormatGeneral(lines.LenientNumber(11), 10);
    s.ActuatorVelocity = FormatGeneral(lines.LenientNumber(12), 10);

    MeasurementSet data(n, 6);
    data.SamplingTime = samplingTime;
    for (int k = 0; k < 6; ++k)
        data.ColumnNames.push_back(lines.Line(13 + k).toStdString());
    for (int r = 0; r < n; ++r) {
        const int number = VkdHeaderLines + 1 + r;
        const QString& line = lines.Line(number);
        const QList<QStringView> fields = QStringView(line).split(u'\t');
        if (fields.size() < 2)
            lines.Fail(number, QStringLiteral("vrstica vzorca nima polj, ločenih s tabulatorjem"));
        data.Time[static_cast<std::size_t>(r)] = SampleValue(fields[0]);
        // A short line repeats its last field into the remaining columns.
        for (qsizetype c = 0; c < 6; ++c)
            data.Columns[static_cast<std::size_t>(c)][static_cast<std::size_t>(r)] =
                SampleValue(fields[std::min(c + 1, fields.size() - 1)]);
    }
    result.Data = std::move(data);
    return result;
}

// Hours, minutes and seconds of "h:m:s", whole numbers of a clock time
// (0:0:0 to 23:59:59): a stamp beyond a day would make the crossing of
// midnight give a negative sampling time.
int StampSeconds(const FileLines& lines, int number, QStringView stamp)
{
    const QList<QStringView> parts = stamp.trimmed().split(u':');
    bool ok = parts.size() == 3;
    int total = 0;
    for (qsizetype i = 0; ok && i < parts.size(); ++i) {
        const QStringView part = parts[i].trimmed();
        ok = !part.isEmpty() && part.size() <= 6;
        for (const QChar c : part)
            ok = ok && c >= u'0' && c <= u'9';
        const int value = ok ? part.toInt() : 0;
        ok = ok && value < (i == 0 ? 24 : 60);
        total = total * 60 + value;
    }
    if (!ok)
        lines.Fail(number, QStringLiteral("'%1' ni čas oblike ure:minute:sekunde").arg(stamp));
    return total;
}

// The values of one foreign sample line into sample `row` of the columns;
// the count of values read. A value is a field closed by the separator;
// reading stops at an unclosed or empty field, after a field that is not a
// number (stored as 0, the last value of the line) or after 39 values.
int ReadForeignValues(QStringView line, QChar separator, MeasurementSet& data, int row,
                      QStringView* stamp)
{
    qsizetype pos = line.indexOf(separator);
    if (stamp)
        *stamp = pos < 0 ? line : line.left(pos);
    if (pos < 0)
        return 0;
    ++pos;
    int count = 0;
    while (count < ForeignMaxValues) {
        const qsizetype next = line.indexOf(separator, pos);
        if (next < 0)
            break;
        const QStringView field = line.mid(pos, next - pos);
        if (field.trimmed().isEmpty())
            break;
        const std::optional<double> value = ParseSampleField(field);
        data.Columns[static_cast<std::size_t>(count)][static_cast<std::size_t>(row)] =
            value.value_or(0.0);
        ++count;
        if (!value)
            break;
        pos = next + 1;
    }
    return count;
}

LoadedMeasurements ReadForeign(const FileLines& lines)
{
    LoadedMeasurements result;
    result.Foreign = true;
    MeasurementFileSettings& s = result.Settings;
    const QString& first = lines.Line(1);
    const QChar separator = first.contains(u';') ? u';' : u',';
    s.Date = first.section(separator, 0, 0);

    QStringList names = lines.Line(3).split(separator);
    if (names.size() > 1 && names.constLast().isEmpty())
        names.removeLast(); // the closing separator
    while (names.size() > Podatki::MaxColumns)
        names.removeLast();

    lines.Line(6);
    lines.Line(7);
    // Samples from line 6 up to the line before the last (the closing
    // line), but lines 6 and 7 always; at most 4999.
    const int n = std::clamp(lines.Count() - 6, 2, ForeignMaxSamples);
    MeasurementSet data(n, ForeignMaxValues);
    QStringView stamp1, stamp2;
    ReadForeignValues(lines.Line(6), separator, data, 0, &stamp1);
    const int signalCount = ReadForeignValues(lines.Line(7), separator, data, 1, &stamp2);
    if (signalCount == 0)
        lines.Fail(7, QStringLiteral("v vrstici ni nobene vrednosti meritve"));
    for (int r = 2; r < n; ++r)
        ReadForeignValues(lines.Line(6 + r), separator, data, r, nullptr);

    const int firstSeconds = StampSeconds(lines, 6, stamp1);
    double samplingTime = StampSeconds(lines, 7, stamp2) - firstSeconds;
    if (samplingTime <= 0)
        samplingTime += 86400; // the record crosses midnight
    data.SamplingTime = samplingTime;
    data.Time[0] = 0;
    for (int r = 1; r < n; ++r)
        data.Time[static_cast<std::size_t>(r)] =
            data.Time[static_cast<std::size_t>(r - 1)] + samplingTime;

    data.SignalCount = signalCount;
    data.Columns.resize(static_cast<std::size_t>(signalCount));
    for (const QString& name : names)
        data.ColumnNames.push_back(name.toStdString());

    s.Time = stamp1.toString();
    s.WindowStart = QStringLiteral("1");
    s.WindowEnd = QString::number(n);
    s.FilterTime = QStringLiteral("0");
    s.ActuatorMaximum = QStringLiteral("100");
    s.ActuatorMinimum = QStringLiteral("0");
    s.ActuatorVelocity = QStringLiteral("100");
    result.Data = std::move(data);
    return result;
}

[[noreturn]] void FailWrite(const QString& fileName, const QString& what)
{
    throw FileError(QStringLiteral("%1: %2").arg(fileName, what).toStdString());
}

} // namespace

LoadedMeasurements ReadMeasurementFile(const QString& fileName)
{
    const FileLines lines(fileName);
    if (lines.Count() >= 1 && lines.Line(1).trimmed() == VkdKey)
        return ReadVkd(lines);
    return ReadForeign(lines);
}

MeasurementFileSettings LoadMeasurements(Podatki& store, const QString& fileName)
{
    LoadedMeasurements loaded = ReadMeasurementFile(fileName);
    StoreMeasurements(store, loaded.Data);
    return loaded.Settings;
}

std::array<QString, 6> FieldNames(const Podatki& store, const ColumnChoice& columns)
{
    const auto name = [&store](int column) {
        if (column < 1 || column > Podatki::MaxColumns)
            return QString();
        return QString::fromStdString(store.ColumnNames[static_cast<std::size_t>(column - 1)]);
    };
    return {name(columns.MV), name(columns.MV), name(columns.U),
            name(columns.U),  name(columns.Y1), name(columns.Y2)};
}

void SaveMeasurements(const Podatki& store, const QString& fileName, const QString& dateText,
                      const QString& timeText, double samplingTime, int sampleCount,
                      int windowStart, int windowEnd, const ConditioningSettings& settings,
                      const ColumnChoice& columns, const std::array<QString, 6>& fieldNames)
{
    if (sampleCount < 1)
        throw VarkolError("Ni izmerjenih podatkov za shranjevanje.");
    if (sampleCount > Podatki::MaxSamples)
        FailWrite(fileName, QStringLiteral("število vzorcev %1 presega %2")
                                .arg(sampleCount)
                                .arg(Podatki::MaxSamples));
    const int chosen[6] = {columns.MV, columns.MV, columns.U, columns.U, columns.Y1, columns.Y2};
    for (const int column : chosen)
        if (column < 1 || column > Podatki::MaxColumns)
            FailWrite(fileName, QStringLiteral("stolpec %1 ne obstaja").arg(column));
    const double header[5] = {samplingTime, settings.FilterTime, settings.Maximum, settings.Minimum,
                              settings.Velocity};
    for (const double value : header)
        if (!std::isfinite(value))
            FailWrite(fileName,
                      QStringLiteral("nastavitev ni končno število; datoteka ni zapisana"));

    QStringList lines;
    lines.reserve(VkdHeaderLines + sampleCount);
    lines << VkdKey << VkdVersion << dateText << timeText << FormatGeneral(samplingTime, 10)
          << QString::number(sampleCount) << QString::number(windowStart)
          << QString::number(windowEnd) << FormatGeneral(settings.FilterTime, 10)
          << FormatGeneral(settings.Maximum, 10) << FormatGeneral(settings.Minimum, 10)
          << FormatGeneral(settings.Velocity, 10);
    for (const QString& name : fieldNames)
        lines << name;
    const QString tab = QStringLiteral("\t");
    for (int i = 1; i <= sampleCount; ++i) {
        const double time = Sample(store.Time, i);
        if (!std::isfinite(time))
            FailWrite(
                fileName,
                QStringLiteral("čas vzorca %1 ni končno število; datoteka ni zapisana").arg(i));
        QString line = FormatGeneral(time, 12, 4);
        for (const int column : chosen) {
            const double value = store.Column(column)[i - 1];
            if (!std::isfinite(value))
                FailWrite(
                    fileName,
                    QStringLiteral("vzorec %1 stolpca %2 ni končno število; datoteka ni zapisana")
                        .arg(i)
                        .arg(column));
            line += tab;
            line += FormatGeneral(value, 12, 4);
        }
        lines << line;
    }
    WriteTextLines(fileName, lines);
}

QString CurrentDateText()
{
    return QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
}

QString CurrentTimeText()
{
    // The long time format without its time zone.
    static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b\\s*"));
    const QString format = QLocale().timeFormat(QLocale::LongFormat).remove(zone).trimmed();
    return QLocale().toString(QTime::currentTime(), format);
}
