#include "base/Errors.h"
#include "report/WordDocument.h"
#include "report/XmlTree.h"
#include "report/ZipPackage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <functional>

#include <gtest/gtest.h>

namespace {

// The body of a saved document.
XmlNode SavedBody(const QString& fileName)
{
    QFile file(fileName);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const auto parts = ReadZip(file.readAll(), fileName);
    XmlNode document = ParseXml(parts.at(QStringLiteral("word/document.xml")), fileName);
    return *document.Child(QStringLiteral("w:body"));
}

// All text of an element.
QString TextOf(const XmlNode& node)
{
    if (node.IsText())
        return node.Text;
    QString text;
    for (const XmlNode& child : node.Children)
        text += TextOf(child);
    return text;
}

template <typename Call> std::string FailureOf(Call call)
{
    try {
        call();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no failure";
}

QString WritePng(const QString& fileName, int width, int height, double dpi)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    EXPECT_TRUE(image.save(fileName, "PNG"));
    return fileName;
}

} // namespace

TEST(XmlText, EscapesMarkupAndDropsWhatXmlCannotCarry)
{
    const QString text = QStringLiteral("a<b>&\"'\t") + QChar(0x01) + QChar(0x0B) + QChar(0xFFFE) +
                         QChar(0xD800) + QStringLiteral("温度 Ω") +
                         QString::fromUcs4(U"\U0001F600");
    EXPECT_EQ(XmlEscaped(text), QStringLiteral("a&lt;b&gt;&amp;&quot;&apos;&#9;温度 Ω") +
                                    QString::fromUcs4(U"\U0001F600"));
}

TEST(XmlText, RefusesWhatCouldNotBeReadSafely)
{
    const QByteArray deep = QByteArray("<a>").repeated(300) + QByteArray("</a>").repeated(300);
    const QByteArray entities = "<!DOCTYPE a [<!ENTITY e \"x\">]><a>&e;</a>";
    for (const QByteArray& bytes : {deep, entities})
        EXPECT_THROW(ParseXml(bytes, QStringLiteral("part.xml")), FileError);
    EXPECT_EQ(ParseXml("<a x=\"&lt;\"><b/>t</a>", QStringLiteral("part.xml"))
                  .Attribute(QStringLiteral("x")),
              QStringLiteral("<"));
}

TEST(WordDocument, TablesCountInDocumentOrderWithTheTemplatesFirst)
{
    QTemporaryDir dir;
    const QString templateName = dir.filePath(QStringLiteral("predloga.docx"));
    {
        auto source = WordDocument::Add(QStringLiteral("normal.dot"));
        source->Selection().TypeText(QStringLiteral("Glava"));
        source->Selection().TypeParagraph();
        source->Tables().Add(2, 2);
        source->SaveAs(templateName);
    }
    auto document = WordDocument::Add(templateName);
    EXPECT_EQ(document->Tables().Count(), 1);
    DocumentSelection& selection = document->Selection();
    selection.TypeText(QStringLiteral("Poročilo"));
    selection.TypeParagraph();
    document->Tables().Add(3, 3);
    selection.Font.Bold = true;
    selection.TypeText(QStringLiteral("A"));
    selection.MoveRightCell();
    selection.TypeText(QStringLiteral("B"));
    document->Tables().Item(1).Cell(2, 2).InsertAfter(QStringLiteral("v predlogi"));
    document->Tables().Item(2).Cell(3, 3).InsertAfter(QStringLiteral("zadnja"));
    document->Tables().Item(2).SetRowsAlignment(1);
    selection.EndKey();
    EXPECT_FALSE(selection.Font.Bold); // the font of the place the selection moved to
    selection.TypeText(QStringLiteral("Konec"));

    EXPECT_NE(FailureOf([&] { document->Tables().Item(1).Cell(3, 1); }).find("Tabela 1"),
              std::string::npos);
    EXPECT_NE(FailureOf([&] { document->Tables().Item(3); }).find("tabele 3"), std::string::npos);
    EXPECT_NE(FailureOf([&] { selection.MoveRightCell(); }), "no failure");

    const QString fileName = dir.filePath(QStringLiteral("r.docx"));
    document->SaveAs(fileName);
    const XmlNode body = SavedBody(fileName);
    QStringList blocks;
    for (const XmlNode& block : body.Children)
        blocks << block.Name + u':' + TextOf(block);
    EXPECT_EQ(blocks, (QStringList{QStringLiteral("w:p:Glava"), QStringLiteral("w:tbl:v predlogi"),
                                   QStringLiteral("w:p:Poročilo"), QStringLiteral("w:tbl:ABzadnja"),
                                   QStringLiteral("w:p:Konec"), QStringLiteral("w:sectPr:")}));
    const XmlNode& table = body.Children[3];
    EXPECT_EQ(table.Child(QStringLiteral("w:tblPr"))
                  ->Child(QStringLiteral("w:jc"))
                  ->Attribute(QStringLiteral("w:val")),
              QStringLiteral("center"));
}

TEST(WordDocument, UnusableTemplatesAreRefusedNamingFileAndReason)
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("text.dotx"));
    const QString old = dir.filePath(QStringLiteral("old.dot"));
    {
        QFile f(text);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("plain text");
        QFile g(old);
        ASSERT_TRUE(g.open(QIODevice::WriteOnly));
        g.write(QByteArray::fromHex("d0cf11e0a1b11ae1") + QByteArray(512, '\0'));
    }
    const std::pair<QString, const char*> cases[] = {
        {dir.filePath(QStringLiteral("none.dotx")), "datoteka ne obstaja"},
        {text, "ni arhiv ZIP"},
        {old, "stari binarni obliki"}};
    for (const auto& [name, reason] : cases) {
        const std::string message = FailureOf([&] { WordDocument::Add(name); });
        EXPECT_NE(message.find(name.toStdString()), std::string::npos) << message;
        EXPECT_NE(message.find(reason), std::string::npos) << message;
    }
}

TEST(WordDocument, PicturesKeepTheirSizeUpToTheTextWidth)
{
    QTemporaryDir dir;
    auto document = WordDocument::Add(QString());
    DocumentSelection& selection = document->Selection();
    // 400 x 250 on screen drawn at twice the density, and a chart wider
    // than the text.
    selection.AddPicture(WritePng(dir.filePath(QStringLiteral("a.png")), 800, 500, 192));
    selection.AddPicture(WritePng(dir.filePath(QStringLiteral("b.png")), 2000, 500, 96));
    const QString notPng = dir.filePath(QStringLiteral("c.png"));
    {
        QFile f(notPng);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("GIF89a");
    }
    EXPECT_NE(FailureOf([&] { selection.AddPicture(notPng); }).find("ni slika PNG"),
              std::string::npos);
    EXPECT_NE(FailureOf([&] {
                  selection.AddPicture(dir.filePath(QStringLiteral("none.png")));
              }).find("none.png"),
              std::string::npos);

    const QString fileName = dir.filePath(QStringLiteral("r.docx"));
    document->SaveAs(fileName);
    QStringList extents;
    std::function<void(const XmlNode&)> collect = [&](const XmlNode& node) {
        if (node.Name == QStringLiteral("wp:extent"))
            extents << node.Attribute(QStringLiteral("cx")) + u'x' +
                           node.Attribute(QStringLiteral("cy"));
        for (const XmlNode& child : node.Children)
            collect(child);
    };
    collect(SavedBody(fileName));
    const qint64 textWidth = 9072 * 635;
    EXPECT_EQ(extents, (QStringList{QStringLiteral("3810000x2381250"),
                                    QStringLiteral("%1x%2").arg(textWidth).arg(textWidth / 4)}));
}

TEST(WordDocument, AFailedSaveLeavesNoFile)
{
    QTemporaryDir dir;
    auto document = WordDocument::Add(QString());
    document->Selection().TypeText(QStringLiteral("x"));
    const QString taken = dir.filePath(QStringLiteral("taken.docx"));
    ASSERT_TRUE(QDir().mkdir(taken));
    const QString missing = dir.filePath(QStringLiteral("no/such/folder/r.docx"));
    for (const QString& target : {taken, missing}) {
        const std::string message = FailureOf([&] { document->SaveAs(target); });
        EXPECT_NE(message.find(target.toStdString()), std::string::npos) << message;
    }
    EXPECT_TRUE(QFileInfo(taken).isDir());
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{});
}
