#include "report/DocxPackage.h"

#include "report/WordDocument.h"
#include "report/ZipPackage.h"

#include <QDateTime>
#include <QSet>

namespace {

const QString CorePart = QStringLiteral("docProps/core.xml");

QSet<QString> RelationshipIds(const XmlNode& relationships)
{
    QSet<QString> ids;
    for (const XmlNode& r : relationships.Children)
        ids.insert(r.Attribute(QStringLiteral("Id")));
    return ids;
}

XmlNode Relationship(const QString& id, const QString& type, const QString& target)
{
    return XmlNode::Element(QStringLiteral("Relationship"), {{QStringLiteral("Id"), id},
                                                             {QStringLiteral("Type"), type},
                                                             {QStringLiteral("Target"), target}});
}

// The content types with the main part a document (a template's is a
// template), PNG pictures and the core properties declared.
XmlNode ContentTypes(const DocxTemplate& source, const QString& corePart)
{
    XmlNode types = source.ContentTypes;
    bool png = false, core = false;
    for (XmlNode& entry : types.Children) {
        if (entry.Name == QStringLiteral("Default") &&
            entry.Attribute(QStringLiteral("Extension"))
                    .compare(QStringLiteral("png"), Qt::CaseInsensitive) == 0) {
            png = true;
        } else if (entry.Name == QStringLiteral("Override")) {
            const QString part = entry.Attribute(QStringLiteral("PartName"));
            if (part == u'/' + source.MainPart)
                entry.SetAttribute(QStringLiteral("ContentType"), docxns::DocumentType);
            else if (part == u'/' + corePart) {
                entry.SetAttribute(QStringLiteral("ContentType"), docxns::CoreType);
                core = true;
            }
        }
    }
    if (!png)
        types.Children.insert(
            types.Children.begin(),
            XmlNode::Element(QStringLiteral("Default"),
                             {{QStringLiteral("Extension"), QStringLiteral("png")},
                              {QStringLiteral("ContentType"), QStringLiteral("image/png")}}));
    if (!core)
        types.Children.push_back(XmlNode::Element(
            QStringLiteral("Override"), {{QStringLiteral("PartName"), u'/' + corePart},
                                         {QStringLiteral("ContentType"), docxns::CoreType}}));
    return types;
}

// The package relationships with the core properties; `corePart` receives
// the name of their part.
XmlNode PackageRelationships(const DocxTemplate& source, QString& corePart)
{
    XmlNode relationships = source.PackageRelationships;
    for (const XmlNode& r : relationships.Children) {
        if (r.Attribute(QStringLiteral("Type")) == docxns::CoreProperties) {
            corePart = r.Attribute(QStringLiteral("Target"));
            if (corePart.startsWith(u'/'))
                corePart.remove(0, 1);
            return relationships;
        }
    }
    corePart = CorePart;
    const QSet<QString> ids = RelationshipIds(relationships);
    QString id = QStringLiteral("rIdCore");
    while (ids.contains(id))
        id += u'1';
    relationships.Children.push_back(Relationship(id, docxns::CoreProperties, corePart));
    return relationships;
}

QByteArray CoreProperties()
{
    const QString now = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    return XmlPart(
        QStringLiteral(
            "<cp:coreProperties "
            "xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
            "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
            "xmlns:dcterms=\"http://purl.org/dc/terms/\" "
            "xmlns:dcmitype=\"http://purl.org/dc/dcmitype/\" "
            "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
            "<dc:title>Poročilo o eksperimentu</dc:title><dc:creator>Varkol</dc:creator>"
            "<cp:lastModifiedBy>Varkol</cp:lastModifiedBy>"
            "<dcterms:created xsi:type=\"dcterms:W3CDTF\">%1</dcterms:created>"
            "<dcterms:modified xsi:type=\"dcterms:W3CDTF\">%1</dcterms:modified>"
            "</cp:coreProperties>")
            .arg(now));
}

QString MediaName(const DocxTemplate& source, int index)
{
    QString name = QStringLiteral("word/media/varkol%1.png").arg(index + 1);
    while (source.Parts.count(name))
        name.insert(name.size() - 4, u'_');
    return name;
}

// The main part's target for a part name ("word/media/a.png" from
// "word/document.xml" is "media/a.png").
QString RelativeTarget(const QString& mainPart, const QString& part)
{
    const qsizetype slash = mainPart.lastIndexOf(u'/');
    const QString folder = slash < 0 ? QString() : mainPart.left(slash + 1);
    return part.startsWith(folder) ? part.mid(folder.size()) : u'/' + part;
}

} // namespace

QString PictureRelationshipId(const DocxTemplate& source, int index)
{
    const QSet<QString> ids = RelationshipIds(source.DocumentRelationships);
    QString id = QStringLiteral("rIdVarkolPicture%1").arg(index + 1);
    while (ids.contains(id))
        id.prepend(u'x');
    return id;
}

QByteArray BuildDocxPackage(const DocxTemplate& source, const QString& bodyXml,
                            const std::vector<docx::Picture>& pictures)
{
    QString corePart;
    const XmlNode packageRelationships = PackageRelationships(source, corePart);

    XmlNode documentRelationships = source.DocumentRelationships;
    std::vector<ZipEntry> media;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const int index = static_cast<int>(i);
        const QString name = MediaName(source, index);
        documentRelationships.Children.push_back(
            Relationship(PictureRelationshipId(source, index), docxns::ImageRelationship,
                         RelativeTarget(source.MainPart, name)));
        media.push_back({name, pictures[i].Png, true});
    }

    QString document;
    XmlNode root = source.DocumentRoot;
    root.Children.clear();
    // The root's start tag with the template's namespaces, then the body.
    {
        QString rootText;
        root.Children.push_back(XmlNode{}); // keeps the element open
        root.Write(rootText);
        document = rootText.left(rootText.indexOf(u'>') + 1);
    }
    document += QStringLiteral("<w:body>");
    document += bodyXml;
    source.SectionProperties.Write(document);
    document += QStringLiteral("</w:body></w:document>");

    std::vector<ZipEntry> entries;
    entries.push_back(
        {QStringLiteral("[Content_Types].xml"), XmlPart(ContentTypes(source, corePart))});
    entries.push_back({QStringLiteral("_rels/.rels"), XmlPart(packageRelationships)});
    entries.push_back({source.MainPart, XmlPart(document)});
    entries.push_back({source.DocumentRelationshipsPart(), XmlPart(documentRelationships)});
    entries.push_back({corePart, CoreProperties()});
    QSet<QString> written;
    for (const ZipEntry& entry : entries)
        written.insert(entry.Name);
    for (const auto& [name, bytes] : source.Parts) {
        if (!written.contains(name))
            entries.push_back({name, bytes, false});
    }
    for (ZipEntry& entry : media)
        entries.push_back(std::move(entry));
    return WriteZip(entries);
}
