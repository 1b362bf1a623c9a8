#include "FuzzInput.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdlib>

FuzzInputFile::FuzzInputFile(const std::uint8_t* data, std::size_t size, const char* extension)
    : path_(QDir::temp().filePath(QStringLiteral("varkol-fuzz-%1.%2")
                                      .arg(QCoreApplication::applicationPid())
                                      .arg(QString::fromLatin1(extension))))
{
    QFile file(path_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
            static_cast<qint64>(size))
        std::abort(); // the check cannot run: not a finding of the reader
}

FuzzInputFile::~FuzzInputFile()
{
    QFile::remove(path_);
}
