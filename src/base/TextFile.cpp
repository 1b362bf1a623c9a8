#include "base/TextFile.h"

#include "base/Errors.h"
#include "base/NumberText.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <optional>

namespace {

constexpr qint64 MaxFileBytes = 256LL * 1024 * 1024;

[[noreturn]] void FailFile(const QString& fileName, const QString& what)
{
    // One arg() for both, so that a "%" in the file name stays as it is.
    throw FileError(QStringLiteral("%1: %2").arg(fileName, what).toStdString());
}

QStringList ReadLines(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        FailFile(fileName,
                 QStringLiteral("datoteke ni mogoče odpreti (%1)").arg(file.errorString()));
    if (file.size() > MaxFileBytes)
        FailFile(fileName, QStringLiteral("datoteka je prevelika (več kot 256 MB)"));
    const QByteArray bytes = file.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    for (QString& line : lines)
        if (line.endsWith(u'\r'))
            line.chop(1);
    return lines;
}

} // namespace

FileLines::FileLines(const QString& fileName) : fileName_(fileName), lines_(ReadLines(fileName))
{
}

FileLines::FileLines(const QString& fileName, QStringList lines)
    : fileName_(fileName), lines_(std::move(lines))
{
}

const QString& FileLines::Line(int number) const
{
    if (number < 1 || number > Count())
        Fail(number, QStringLiteral("vrstica manjka (datoteka ima %1 vrstic)").arg(Count()));
    return lines_[number - 1];
}

double FileLines::Number(int number) const
{
    try {
        return ParseNumber(Line(number));
    } catch (const ConversionError& e) {
        Fail(number, QString::fromStdString(e.what()));
    }
}

double FileLines::LenientNumber(int number) const
{
    const std::optional<double> value = ParseSampleField(Line(number));
    if (!value)
        Fail(number, QStringLiteral("'%1' ni veljavno število").arg(Line(number)));
    return *value;
}

int FileLines::Integer(int number) const
{
    try {
        return ParseInteger(Line(number));
    } catch (const ConversionError& e) {
        Fail(number, QString::fromStdString(e.what()));
    }
}

void FileLines::Fail(int number, const QString& what) const
{
    FailAtLine(fileName_, number, what);
}

void FailAtLine(const QString& fileName, int number, const QString& what)
{
    throw FileError(QStringLiteral("%1: vrstica %2: %3")
                        .arg(fileName, QString::number(number), what)
                        .toStdString());
}

void WriteTextLines(const QString& fileName, const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    WriteFileBytes(fileName, bytes);
}

void WriteFileBytes(const QString& fileName, const QByteArray& bytes)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        FailFile(fileName,
                 QStringLiteral("datoteke ni mogoče zapisati (%1)").arg(file.errorString()));
}
