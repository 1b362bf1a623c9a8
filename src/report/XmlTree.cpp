#include "report/XmlTree.h"

#include "base/Errors.h"

#include <QXmlStreamReader>

namespace {

constexpr std::size_t MaxDepth = 256;

bool AllowedCharacter(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

} // namespace

QString XmlAllowed(const QString& text)
{
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
        } else if (!c.isSurrogate() && AllowedCharacter(c.unicode())) {
            out += c;
        }
    }
    return out;
}

QString XmlEscaped(const QString& text)
{
    const QString allowed = XmlAllowed(text);
    QString out;
    out.reserve(allowed.size() + 16);
    for (const QChar c : allowed) {
        switch (c.unicode()) {
        case '&':
            out += QStringLiteral("&amp;");
            break;
        case '<':
            out += QStringLiteral("&lt;");
            break;
        case '>':
            out += QStringLiteral("&gt;");
            break;
        case '"':
            out += QStringLiteral("&quot;");
            break;
        case '\'':
            out += QStringLiteral("&apos;");
            break;
        case '\t':
            out += QStringLiteral("&#9;");
            break;
        case '\n':
            out += QStringLiteral("&#10;");
            break;
        case '\r':
            out += QStringLiteral("&#13;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString XmlNode::Attribute(const QString& name) const
{
    for (const auto& [key, value] : Attributes) {
        if (key == name)
            return value;
    }
    return {};
}

void XmlNode::SetAttribute(const QString& name, const QString& value)
{
    for (auto& attribute : Attributes) {
        if (attribute.first == name) {
            attribute.second = value;
            return;
        }
    }
    Attributes.append({name, value});
}

XmlNode* XmlNode::Child(const QString& name)
{
    for (XmlNode& child : Children) {
        if (child.Name == name)
            return &child;
    }
    return nullptr;
}

const XmlNode* XmlNode::Child(const QString& name) const
{
    return const_cast<XmlNode*>(this)->Child(name);
}

std::vector<XmlNode*> XmlNode::ChildrenNamed(const QString& name)
{
    std::vector<XmlNode*> found;
    for (XmlNode& child : Children) {
        if (child.Name == name)
            found.push_back(&child);
    }
    return found;
}

XmlNode XmlNode::Element(const QString& name, QList<QPair<QString, QString>> attributes)
{
    XmlNode node;
    node.Name = name;
    node.Attributes = std::move(attributes);
    return node;
}

void XmlNode::Write(QString& out) const
{
    if (IsText()) {
        out += XmlEscaped(Text);
        return;
    }
    out += u'<';
    out += Name;
    for (const auto& [key, value] : Attributes) {
        out += u' ';
        out += key;
        out += QStringLiteral("=\"");
        out += XmlEscaped(value);
        out += u'"';
    }
    if (Children.empty()) {
        out += QStringLiteral("/>");
        return;
    }
    out += u'>';
    for (const XmlNode& child : Children)
        child.Write(out);
    out += QStringLiteral("</");
    out += Name;
    out += u'>';
}

XmlNode ParseXml(const QByteArray& bytes, const QString& partName)
{
    QXmlStreamReader reader(bytes);
    reader.setNamespaceProcessing(false);
    XmlNode root;
    std::vector<XmlNode*> open;
    bool seenRoot = false;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::DTD:
            reader.raiseError(QStringLiteral("dokument z deklaracijo DTD ni dovoljen"));
            break;
        case QXmlStreamReader::StartElement: {
            // The tree is written and freed recursively: a nesting deeper
            // than any document needs is refused rather than risked.
            if (open.size() >= MaxDepth) {
                reader.raiseError(QStringLiteral("elementi so vgnezdeni pregloboko"));
                break;
            }
            XmlNode element;
            element.Name = reader.qualifiedName().toString();
            for (const QXmlStreamAttribute& a : reader.attributes())
                element.Attributes.append({a.qualifiedName().toString(), a.value().toString()});
            if (open.empty()) {
                root = std::move(element);
                open.push_back(&root);
                seenRoot = true;
            } else {
                open.back()->Children.push_back(std::move(element));
                open.push_back(&open.back()->Children.back());
            }
            break;
        }
        case QXmlStreamReader::EndElement:
            open.pop_back();
            break;
        case QXmlStreamReader::Characters:
            if (!open.empty()) {
                XmlNode text;
                text.Text = reader.text().toString();
                open.back()->Children.push_back(std::move(text));
            }
            break;
        default:
            break;
        }
    }
    if (reader.hasError() || !seenRoot)
        throw FileError(
            QStringLiteral("%1: vrstica %2: %3")
                .arg(partName, QString::number(reader.lineNumber()),
                     reader.hasError() ? reader.errorString() : QStringLiteral("del je prazen"))
                .toStdString());
    return root;
}

QByteArray XmlPart(const QString& rootText)
{
    return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n") +
           rootText.toUtf8();
}

QByteArray XmlPart(const XmlNode& root)
{
    QString text;
    root.Write(text);
    return XmlPart(text);
}
