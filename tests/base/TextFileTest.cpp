#include "base/TextFile.h"

#include "base/Errors.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString WriteRaw(const QTemporaryDir& dir, const char* name, const QByteArray& bytes)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

} // namespace

TEST(TextFile, ReadsAnyLineEndAndFallsBackToTheCentralEuropeanCodePage)
{
    QTemporaryDir dir;
    const FileLines mixed(WriteRaw(dir, "mixed.txt", "a\r\nb\nc\rd\r\n"));
    EXPECT_EQ(mixed.All(), (QStringList{"a", "b", "c", "d"}));
    const FileLines open(WriteRaw(dir, "open.txt", "a\r\rb")); // no closing line break
    EXPECT_EQ(open.All(), (QStringList{"a", "", "b"}));
    // Windows-1250, as 8-bit files of Slovenian systems are written.
    const FileLines cp1250(WriteRaw(dir, "cp1250.txt", "\xe8\x9a\x9e\xc8\x8a\x8e" "as\r\n"));
    EXPECT_EQ(cp1250.Line(1), QStringLiteral("čšžČŠŽas"));
    const FileLines utf8(WriteRaw(dir, "utf8.txt", "\xc4\x8d" "as\r\n"));
    EXPECT_EQ(utf8.Line(1), QStringLiteral("čas"));
    // Not a text file: said so, without its bytes.
    try {
        FileLines binary(WriteRaw(dir, "binary.dat", QByteArray("VARKOL\0\x01\x02", 9)));
        FAIL();
    } catch (const FileError& e) {
        EXPECT_TRUE(std::string(e.what()).ends_with(": datoteka ni besedilna")) << e.what();
    }
}

TEST(TextFile, FailuresNameTheFileAndTheLine)
{
    QTemporaryDir dir;
    const QString path = WriteRaw(dir, "two.txt", "1,5\r\nx\r\n");
    const FileLines lines(path);
    EXPECT_EQ(lines.LenientNumber(1), 1.5);
    try {
        lines.Integer(2);
        FAIL();
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()).rfind(path.toStdString() + ": vrstica 2: 'x'", 0), 0u);
    }
    try {
        lines.Line(3);
        FAIL();
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()),
                  path.toStdString() + ": vrstica 3: vrstica manjka (datoteka ima 2 vrstic)");
    }
    EXPECT_THROW(FileLines(dir.filePath("missing.txt")), FileError);
}

TEST(TextFile, WritesCrLfLinesAndKeepsThePreviousFileWhenItCannot)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("out.txt");
    WriteTextLines(path, {"ena", "dva"});
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("ena\r\ndva\r\n"));
    EXPECT_THROW(WriteTextLines(dir.filePath("no/such/dir/out.txt"), {"x"}), FileError);
}
