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

TEST(TextFile, ReadsEitherLineEndAndFallsBackToLatin1)
{
    QTemporaryDir dir;
    const FileLines mixed(WriteRaw(dir, "mixed.txt", "a\r\nb\nc\r\n"));
    EXPECT_EQ(mixed.All(), (QStringList{"a", "b", "c"}));
    const FileLines open(WriteRaw(dir, "open.txt", "a\n\nb")); // no closing line break
    EXPECT_EQ(open.All(), (QStringList{"a", "", "b"}));
    const FileLines latin1(
        WriteRaw(dir, "latin1.txt", "\xe8" "as\r\n")); // "čas" is not Latin-1, "èas" is
    EXPECT_EQ(latin1.Line(1), QStringLiteral("èas"));
    const FileLines utf8(WriteRaw(dir, "utf8.txt", "\xc4\x8d" "as\r\n"));
    EXPECT_EQ(utf8.Line(1), QStringLiteral("čas"));
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
