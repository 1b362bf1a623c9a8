#pragma once

// The zip container of a word-processor document, through libzip, in
// memory: a package is read from its bytes and written to bytes, which the
// caller saves in one go.

#include <QByteArray>
#include <QString>

#include <map>
#include <vector>

// One part of a package. Stored parts (pictures, already compressed) are
// not compressed again.
struct ZipEntry {
    QString Name;
    QByteArray Bytes;
    bool Stored = false;
};

// The parts of a zip archive by name. Throws FileError naming `fileName`
// when the bytes are not a zip archive ("ni arhiv ZIP") or a part cannot be
// read; parts over 256 MB, more than 512 MB in all, or more than 10000 parts
// are refused.
std::map<QString, QByteArray> ReadZip(const QByteArray& bytes, const QString& fileName);

// The archive of the entries, in their order.
QByteArray WriteZip(const std::vector<ZipEntry>& entries);
