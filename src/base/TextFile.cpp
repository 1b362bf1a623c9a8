#include "base/TextFile.h"

#include "base/Errors.h"
#include "base/NumberText.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>
#include <optional>

namespace {

constexpr qint64 MaxFileBytes = 256LL * 1024 * 1024;

[[noreturn]] void FailFile(const QString& fileName, const QString& what)
{
    // One arg() for both, so that a "%" in the file name stays as it is.
    throw FileError(QStringLiteral("%1: %2").arg(fileName, what).toStdString());
}

// Unicode of the bytes 0x80 to 0xFF of Windows-1250; its five unassigned
// bytes become U+FFFD.
constexpr char16_t Windows1250High[128] = {
    0x20AC, 0xFFFD, 0x201A, 0xFFFD, 0x201E, 0x2026, 0x2020, 0x2021, 0xFFFD, 0x2030, 0x0160, 0x2039,
    0x015A, 0x0164, 0x017D, 0x0179, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0xFFFD, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141,
    0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB,
    0x013D, 0x02DD, 0x013E, 0x017C, 0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3,
    0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB,
    0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

// The lines of a text; CR LF, LF and a lone CR (older exports) end a line.
QStringList SplitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != u'\n' && c != u'\r')
            continue;
        lines << text.mid(start, i - start);
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines << text.mid(start);
    return lines;
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
    if (bytes.contains('\0'))
        FailFile(fileName, QStringLiteral("datoteka ni besedilna"));
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = DecodeWindows1250(bytes);
    return SplitLines(text);
}

} // namespace

QString DecodeWindows1250(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        *out++ = b < 0x80 ? QChar(b) : QChar(Windows1250High[b - 0x80]);
    }
    return text;
}

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
        Fail(number,
             QStringLiteral("'%1' ni veljavno število").arg(QuotedForMessage(Line(number))));
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
    const auto fail = [&fileName](const QString& cause) {
        FailFile(fileName, QStringLiteral("datoteke ni mogoče zapisati (%1)").arg(cause));
    };
    // Unbuffered: a write that a full disk or a file-size limit cuts short
    // must show as short here. Buffered, the file device takes the short
    // write for a whole one, and the commit would put a truncated file in
    // the place of the previous one.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        fail(file.errorString());
    errno = 0;
    const qint64 written = file.write(bytes);
    if (written != bytes.size()) {
        const int error = errno;
        const QString cause = file.error() != QFileDevice::NoError ? file.errorString()
                              : error != 0 ? QString::fromLocal8Bit(std::strerror(error))
                                           : QStringLiteral("na disku ni prostora");
        file.cancelWriting(); // the temporary file goes, the previous file stays
        fail(cause);
    }
    if (!file.commit())
        fail(file.errorString());
}
