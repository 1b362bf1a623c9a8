#pragma once

// The bytes of one fuzz input as a file, for readers that take a path: a
// file of this process in the temporary folder, removed again afterwards.

#include <QString>

#include <cstddef>
#include <cstdint>

class FuzzInputFile {
public:
    FuzzInputFile(const std::uint8_t* data, std::size_t size, const char* extension);
    ~FuzzInputFile();
    FuzzInputFile(const FuzzInputFile&) = delete;
    FuzzInputFile& operator=(const FuzzInputFile&) = delete;

    const QString& Path() const { return path_; }

private:
    QString path_;
};
