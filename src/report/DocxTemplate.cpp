#include "report/DocxTemplate.h"

#include "base/Errors.h"
#include "report/ZipPackage.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <utility>

const QString BuiltInTemplateName = QStringLiteral("normal.dot");

namespace {

// EMU per twip (1/20 point): 914400 EMU an inch, 1440 twips an inch.
constexpr qint64 EmuPerTwip = 635;

// The parts of the built-in blank document: A4 with 2.5 cm margins, Arial
// 12 pt in the Slovenian language, single-spaced paragraphs without spacing
// between them, as the old blank document was.
const char* const BuiltInContentTypes =
    R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="xml" ContentType="application/xml"/>)"
    R"(<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>)"
    R"(<Override PartName="/word/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml"/>)"
    R"(<Override PartName="/word/settings.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml"/>)"
    R"(</Types>)";

const char* const BuiltInPackageRelationships =
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/>)"
    R"(</Relationships>)";

const char* const BuiltInDocumentRelationships =
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>)"
    R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/settings" Target="settings.xml"/>)"
    R"(</Relationships>)";

const char* const BuiltInDocument =
    R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main" )"
    R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships" )"
    R"(xmlns:wp="http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing">)"
    R"(<w:body><w:sectPr><w:pgSz w:w="11906" w:h="16838"/>)"
    R"(<w:pgMar w:top="1417" w:right="1417" w:bottom="1417" w:left="1417" w:header="708" w:footer="708" w:gutter="0"/>)"
    R"(<w:cols w:space="708"/><w:docGrid w:linePitch="360"/></w:sectPr></w:body></w:document>)";

const char* const BuiltInStyles =
    R"(<w:styles xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)"
    R"(<w:docDefaults><w:rPrDefault><w:rPr>)"
    R"(<w:rFonts w:ascii="Arial" w:hAnsi="Arial" w:eastAsia="Arial" w:cs="Arial"/>)"
    R"(<w:sz w:val="24"/><w:szCs w:val="24"/><w:lang w:val="sl-SI" w:eastAsia="en-US" w:bidi="ar-SA"/>)"
    R"(</w:rPr></w:rPrDefault><w:pPrDefault><w:pPr><w:spacing w:after="0" w:line="240" w:lineRule="auto"/>)"
    R"(</w:pPr></w:pPrDefault></w:docDefaults>)"
    R"(<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:name w:val="Normal"/><w:qFormat/></w:style>)"
    R"(<w:style w:type="character" w:default="1" w:styleId="DefaultParagraphFont"><w:name w:val="Default Paragraph Font"/>)"
    R"(<w:uiPriority w:val="1"/><w:semiHidden/><w:unhideWhenUsed/></w:style>)"
    R"(<w:style w:type="table" w:default="1" w:styleId="TableNormal"><w:name w:val="Normal Table"/>)"
    R"(<w:uiPriority w:val="99"/><w:semiHidden/><w:unhideWhenUsed/><w:tblPr><w:tblInd w:w="0" w:type="dxa"/>)"
    R"(<w:tblCellMar><w:top w:w="0" w:type="dxa"/><w:left w:w="108" w:type="dxa"/>)"
    R"(<w:bottom w:w="0" w:type="dxa"/><w:right w:w="108" w:type="dxa"/></w:tblCellMar></w:tblPr></w:style>)"
    R"(<w:style w:type="numbering" w:default="1" w:styleId="NoList"><w:name w:val="No List"/>)"
    R"(<w:uiPriority w:val="99"/><w:semiHidden/><w:unhideWhenUsed/></w:style>)"
    R"(</w:styles>)";

const char* const BuiltInSettings =
    R"(<w:settings xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)"
    R"(<w:zoom w:percent="100"/><w:defaultTabStop w:val="708"/><w:hyphenationZone w:val="425"/>)"
    R"(<w:characterSpacingControl w:val="doNotCompress"/><w:compat>)"
    R"(<w:compatSetting w:name="compatibilityMode" w:uri="http://schemas.microsoft.com/office/word" w:val="15"/>)"
    R"(</w:compat></w:settings>)";

[[noreturn]] void Refuse(const QString& fileName, const QString& reason)
{
    throw FileError(
        QStringLiteral("%1: predloge ni mogoče uporabiti: %2").arg(fileName, reason).toStdString());
}

// The folder of a part name ("word/document.xml" -> "word/").
QString PartFolder(const QString& part)
{
    const qsizetype slash = part.lastIndexOf(u'/');
    return slash < 0 ? QString() : part.left(slash + 1);
}

qint64 TwipsAttribute(const XmlNode* node, const QString& name, qint64 fallback)
{
    if (!node)
        return fallback;
    bool ok = false;
    const qint64 value = node->Attribute(name).toLongLong(&ok);
    return ok ? value : fallback;
}

qint64 TextWidth(const XmlNode& sectPr)
{
    const qint64 page =
        TwipsAttribute(sectPr.Child(QStringLiteral("w:pgSz")), QStringLiteral("w:w"), 11906);
    const XmlNode* margins = sectPr.Child(QStringLiteral("w:pgMar"));
    const qint64 left = TwipsAttribute(margins, QStringLiteral("w:left"), 1417);
    const qint64 right = TwipsAttribute(margins, QStringLiteral("w:right"), 1417);
    const qint64 gutter = TwipsAttribute(margins, QStringLiteral("w:gutter"), 0);
    const qint64 width = page - left - right - gutter;
    return (width > 720 ? width : 9072) * EmuPerTwip;
}

int LargestDrawingId(const XmlNode& node)
{
    int largest = 0;
    if (node.Name == QStringLiteral("wp:docPr"))
        largest = node.Attribute(QStringLiteral("id")).toInt();
    for (const XmlNode& child : node.Children)
        largest = std::max(largest, LargestDrawingId(child));
    return largest;
}

// A paragraph with nothing but its properties (and no section break).
bool IsEmptyParagraph(const XmlNode& node)
{
    if (node.Name != QStringLiteral("w:p"))
        return false;
    for (const XmlNode& child : node.Children) {
        if (child.IsText())
            continue;
        if (child.Name != QStringLiteral("w:pPr") || child.Child(QStringLiteral("w:sectPr")))
            return false;
    }
    return true;
}

// Splits the document element into the root, the body's blocks and the
// closing section properties.
void TakeBody(DocxTemplate& t, XmlNode document, const QString& fileName)
{
    if (document.Name != QStringLiteral("w:document") ||
        document.Attribute(QStringLiteral("xmlns:w")) != docxns::Main)
        Refuse(fileName, QStringLiteral("glavni del ni dokument WordprocessingML v prehodni obliki "
                                        "(dokumenti Strict OOXML niso podprti)"));
    // Pictures and relationships need these prefixes at the root.
    for (const auto& [prefix, uri] : {std::pair{QStringLiteral("xmlns:r"), docxns::Relationships},
                                      std::pair{QStringLiteral("xmlns:wp"), docxns::Drawing}}) {
        const QString declared = document.Attribute(prefix);
        if (declared.isEmpty())
            document.SetAttribute(prefix, uri);
        else if (declared != uri)
            Refuse(fileName,
                   QStringLiteral("predpona %1 ima nepričakovan pomen").arg(prefix.mid(6)));
    }
    XmlNode* body = document.Child(QStringLiteral("w:body"));
    std::vector<XmlNode> blocks;
    if (body)
        blocks = std::move(body->Children);
    document.Children.clear();
    t.DocumentRoot = std::move(document);

    t.SectionProperties = XmlNode::Element(QStringLiteral("w:sectPr"));
    for (XmlNode& block : blocks) {
        if (block.IsText())
            continue;
        if (block.Name == QStringLiteral("w:sectPr"))
            t.SectionProperties = std::move(block);
        else
            t.Body.push_back(std::move(block));
    }
    // The report continues the template's text: a closing empty paragraph
    // gives way to the report's first one.
    if (!t.Body.empty() && IsEmptyParagraph(t.Body.back()))
        t.Body.pop_back();
    t.TextWidthEmu = TextWidth(t.SectionProperties);
    int largest = 0;
    for (const XmlNode& block : t.Body)
        largest = std::max(largest, LargestDrawingId(block));
    t.NextDrawingId = largest + 1;
}

QString RelationshipTarget(const XmlNode& relationships, const QString& type)
{
    for (const XmlNode& r : relationships.Children) {
        if (r.Name == QStringLiteral("Relationship") &&
            r.Attribute(QStringLiteral("Type")) == type &&
            r.Attribute(QStringLiteral("TargetMode")) != QStringLiteral("External"))
            return r.Attribute(QStringLiteral("Target"));
    }
    return {};
}

QString MainPartType(const XmlNode& contentTypes, const QString& mainPart)
{
    for (const XmlNode& entry : contentTypes.Children) {
        if (entry.Name == QStringLiteral("Override") &&
            entry.Attribute(QStringLiteral("PartName")) == u'/' + mainPart)
            return entry.Attribute(QStringLiteral("ContentType"));
    }
    return {};
}

DocxTemplate BuiltInTemplate()
{
    DocxTemplate t;
    t.ContentTypes = ParseXml(BuiltInContentTypes, QStringLiteral("[Content_Types].xml"));
    t.PackageRelationships = ParseXml(BuiltInPackageRelationships, QStringLiteral("_rels/.rels"));
    t.DocumentRelationships =
        ParseXml(BuiltInDocumentRelationships, QStringLiteral("word/_rels/document.xml.rels"));
    t.Parts[QStringLiteral("word/styles.xml")] = XmlPart(QString::fromUtf8(BuiltInStyles));
    t.Parts[QStringLiteral("word/settings.xml")] = XmlPart(QString::fromUtf8(BuiltInSettings));
    TakeBody(t, ParseXml(BuiltInDocument, QStringLiteral("word/document.xml")),
             BuiltInTemplateName);
    return t;
}

XmlNode ParsePart(const std::map<QString, QByteArray>& parts, const QString& name,
                  const QString& fileName)
{
    const auto it = parts.find(name);
    if (it == parts.end())
        Refuse(fileName, QStringLiteral("paket nima dela %1").arg(name));
    try {
        return ParseXml(it->second, name);
    } catch (const FileError& e) {
        Refuse(fileName, QString::fromUtf8(e.what()));
    }
}

} // namespace

bool IsBuiltInTemplate(const QString& templateName)
{
    const QString name = templateName.trimmed();
    return name.isEmpty() || name.compare(BuiltInTemplateName, Qt::CaseInsensitive) == 0;
}

QString DocxTemplate::DocumentRelationshipsPart() const
{
    return PartFolder(MainPart) + QStringLiteral("_rels/") +
           MainPart.mid(PartFolder(MainPart).size()) + QStringLiteral(".rels");
}

DocxTemplate LoadTemplate(const QString& templateName)
{
    if (IsBuiltInTemplate(templateName))
        return BuiltInTemplate();

    const QString& fileName = templateName;
    if (!QFileInfo(fileName).isFile())
        Refuse(fileName, QStringLiteral("datoteka ne obstaja"));
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        Refuse(fileName, file.errorString());
    const QByteArray bytes = file.readAll();
    // Word 97-2003 documents and templates (and encrypted packages) are OLE
    // compound files.
    if (bytes.startsWith(QByteArray::fromHex("d0cf11e0a1b11ae1")))
        Refuse(fileName,
               QStringLiteral("dokument je v stari binarni obliki (.doc, .dot) ali šifriran; "
                              "shranite ga kot predlogo .dotx ali dokument .docx"));

    DocxTemplate t;
    t.FileName = fileName;
    try {
        t.Parts = ReadZip(bytes, fileName);
    } catch (const FileError& e) {
        Refuse(fileName, QStringLiteral("ni dokument .docx ali .dotx (%1)")
                             .arg(QString::fromUtf8(e.what()).mid(fileName.size() + 2)));
    }
    t.ContentTypes = ParsePart(t.Parts, QStringLiteral("[Content_Types].xml"), fileName);
    t.PackageRelationships = ParsePart(t.Parts, QStringLiteral("_rels/.rels"), fileName);
    QString main = RelationshipTarget(t.PackageRelationships, docxns::OfficeDocument);
    if (main.startsWith(u'/'))
        main.remove(0, 1);
    if (main.isEmpty() || !t.Parts.count(main))
        Refuse(fileName, QStringLiteral("paket nima glavnega dela dokumenta"));
    t.MainPart = main;
    const QString type = MainPartType(t.ContentTypes, main);
    if (type != docxns::DocumentType && type != docxns::TemplateType)
        Refuse(fileName,
               QStringLiteral("glavni del ni dokument ali predloga brez makrov (%1)").arg(type));

    const QString relationshipsPart = t.DocumentRelationshipsPart();
    if (t.Parts.count(relationshipsPart))
        t.DocumentRelationships = ParsePart(t.Parts, relationshipsPart, fileName);
    else
        t.DocumentRelationships = ParseXml(
            QByteArrayLiteral("<Relationships xmlns=\"http://schemas.openxmlformats.org/package/"
                              "2006/relationships\"/>"),
            relationshipsPart);
    TakeBody(t, ParsePart(t.Parts, main, fileName), fileName);
    return t;
}
