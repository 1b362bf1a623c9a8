#pragma once

// The program's text files, read and written one way: a file is read whole
// into lines addressed by their 1-based number (as an editor shows them), and
// written in one go from lines built in memory, each ended by CR LF, through
// a QSaveFile so that a failed write leaves the previous file intact. Every
// failure is a FileError naming the file, and the line where there is one:
// "file: vrstica N: what".

#include <QByteArray>
#include <QString>
#include <QStringList>

class FileLines {
public:
    // Reads the whole file: UTF-8, or the Central European code page
    // Windows-1250 (in which 8-bit files of Slovenian systems are written)
    // when it is not valid UTF-8; CR LF, LF and a lone CR each end a line,
    // and a closing line break does not start another. Files over 256 MB and
    // files that hold NUL bytes (not text) are refused.
    explicit FileLines(const QString& fileName);
    // Lines already in memory, reported under `fileName`.
    FileLines(const QString& fileName, QStringList lines);

    const QString& FileName() const { return fileName_; }
    int Count() const { return static_cast<int>(lines_.size()); }
    const QStringList& All() const { return lines_; }

    // Line `number`; a missing one fails with its number.
    const QString& Line(int number) const;
    // The line as a number with the locale's decimal separator.
    double Number(int number) const;
    // The line as a number with either decimal mark ("," or ".").
    double LenientNumber(int number) const;
    int Integer(int number) const;

    [[noreturn]] void Fail(int number, const QString& what) const;

private:
    QString fileName_;
    QStringList lines_;
};

// Throws the FileError "file: vrstica N: what".
[[noreturn]] void FailAtLine(const QString& fileName, int number, const QString& what);

// Writes the lines, each ended by CR LF, as UTF-8 through a QSaveFile.
void WriteTextLines(const QString& fileName, const QStringList& lines);

// Writes the bytes in one go through a QSaveFile.
void WriteFileBytes(const QString& fileName, const QByteArray& bytes);

// Bytes of the Central European code page Windows-1250 as text.
QString DecodeWindows1250(const QByteArray& bytes);
