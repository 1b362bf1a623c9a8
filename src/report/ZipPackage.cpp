#include "report/ZipPackage.h"

#include "base/Errors.h"

#include <zip.h>

#include <memory>

namespace {

constexpr zip_uint64_t MaxPartSize = 256u * 1024 * 1024;
constexpr zip_uint64_t MaxTotalSize = 512u * 1024 * 1024;
constexpr zip_int64_t MaxParts = 10000;

[[noreturn]] void Fail(const QString& fileName, const QString& reason)
{
    throw FileError(QStringLiteral("%1: %2").arg(fileName, reason).toStdString());
}

QString ErrorText(zip_error_t* error)
{
    return QString::fromUtf8(zip_error_strerror(error));
}

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};

} // namespace

std::map<QString, QByteArray> ReadZip(const QByteArray& bytes, const QString& fileName)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(
        bytes.constData(), static_cast<zip_uint64_t>(bytes.size()), 0, &error);
    if (!source) {
        const QString text = ErrorText(&error);
        zip_error_fini(&error);
        Fail(fileName, text);
    }
    std::unique_ptr<zip_t, ArchiveCloser> archive(zip_open_from_source(source, ZIP_RDONLY, &error));
    if (!archive) {
        zip_source_free(source);
        const bool notZip = zip_error_code_zip(&error) == ZIP_ER_NOZIP;
        const QString text = ErrorText(&error);
        zip_error_fini(&error);
        Fail(fileName, notZip ? QStringLiteral("ni arhiv ZIP") : text);
    }
    zip_error_fini(&error);

    std::map<QString, QByteArray> parts;
    zip_uint64_t total = 0;
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    if (count > MaxParts)
        Fail(fileName, QStringLiteral("arhiv ima preveč delov (%1)").arg(count));
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        zip_stat_t stat;
        if (zip_stat_index(archive.get(), index, 0, &stat) != 0)
            Fail(fileName, ErrorText(zip_get_error(archive.get())));
        const QString name = QString::fromUtf8(stat.name);
        if (name.endsWith(u'/'))
            continue; // a folder entry
        total += stat.size;
        if (stat.size > MaxPartSize || total > MaxTotalSize)
            Fail(fileName, QStringLiteral("del %1 je prevelik").arg(name));
        zip_file_t* file = zip_fopen_index(archive.get(), index, 0);
        if (!file)
            Fail(fileName,
                 QStringLiteral("%1: %2").arg(name, ErrorText(zip_get_error(archive.get()))));
        QByteArray data(static_cast<qsizetype>(stat.size), Qt::Uninitialized);
        const zip_int64_t read = zip_fread(file, data.data(), stat.size);
        const QString readError = ErrorText(zip_file_get_error(file));
        zip_fclose(file);
        if (read < 0 || static_cast<zip_uint64_t>(read) != stat.size)
            Fail(fileName, QStringLiteral("%1: %2").arg(name, readError));
        parts[name] = std::move(data);
    }
    return parts;
}

QByteArray WriteZip(const std::vector<ZipEntry>& entries)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* target = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!target)
        throw FileError(ErrorText(&error).toStdString());
    zip_t* archive = zip_open_from_source(target, ZIP_TRUNCATE, &error);
    if (!archive) {
        zip_source_free(target);
        const QString text = ErrorText(&error);
        zip_error_fini(&error);
        throw FileError(text.toStdString());
    }
    zip_error_fini(&error);
    zip_source_keep(target); // the archive's bytes stay after it is closed

    auto fail = [&](const QString& what) {
        const QString text = what + QStringLiteral(": ") + ErrorText(zip_get_error(archive));
        zip_discard(archive);
        zip_source_free(target);
        throw FileError(text.toStdString());
    };
    for (const ZipEntry& entry : entries) {
        zip_source_t* part = zip_source_buffer(archive, entry.Bytes.constData(),
                                               static_cast<zip_uint64_t>(entry.Bytes.size()), 0);
        if (!part)
            fail(entry.Name);
        const QByteArray name = entry.Name.toUtf8();
        const zip_int64_t index = zip_file_add(archive, name.constData(), part, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(part);
            fail(entry.Name);
        }
        const zip_uint64_t at = static_cast<zip_uint64_t>(index);
        if (zip_set_file_compression(archive, at, entry.Stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                                     entry.Stored ? 0 : 6) != 0)
            fail(entry.Name);
    }
    if (zip_close(archive) != 0)
        fail(QStringLiteral("zip"));

    QByteArray bytes;
    zip_stat_t stat;
    if (zip_source_open(target) != 0 || zip_source_stat(target, &stat) != 0) {
        zip_source_free(target);
        throw FileError("zip: arhiva ni mogoče prebrati iz pomnilnika");
    }
    bytes.resize(static_cast<qsizetype>(stat.size));
    const zip_int64_t read = zip_source_read(target, bytes.data(), stat.size);
    zip_source_close(target);
    zip_source_free(target);
    if (read < 0 || static_cast<zip_uint64_t>(read) != stat.size)
        throw FileError("zip: arhiva ni mogoče prebrati iz pomnilnika");
    return bytes;
}
