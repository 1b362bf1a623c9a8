#pragma once

// The XML of a word-processor document, read and written by the report.
//
// Every text that enters a document goes through XmlEscaped: markup
// characters become entities and the characters XML cannot carry (control
// characters other than tab and line breaks, unpaired surrogates, U+FFFE and
// U+FFFF) are dropped, so no text a user types can break the document or add
// markup to it.
//
// XmlNode is a small element tree for the parts of a template that the
// report changes (its body, content types and relationships). Names are kept
// as written, with their prefixes, and namespace declarations stay ordinary
// attributes, so a part is written back as it was read.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <vector>

// `text` with the characters XML forbids dropped.
QString XmlAllowed(const QString& text);

// `text` escaped for element content or a quoted attribute value, with the
// forbidden characters dropped.
QString XmlEscaped(const QString& text);

struct XmlNode {
    QString Name; // qualified name ("w:p"); empty for a text node
    QList<QPair<QString, QString>> Attributes;
    QString Text; // the characters of a text node
    std::vector<XmlNode> Children;

    bool IsText() const { return Name.isEmpty(); }
    bool IsElement(const QString& name) const { return Name == name; }

    // The value of an attribute, or an empty string.
    QString Attribute(const QString& name) const;
    void SetAttribute(const QString& name, const QString& value);

    // The first child element of that name, or null.
    XmlNode* Child(const QString& name);
    const XmlNode* Child(const QString& name) const;
    // The child elements of that name, in order.
    std::vector<XmlNode*> ChildrenNamed(const QString& name);

    static XmlNode Element(const QString& name, QList<QPair<QString, QString>> attributes = {});

    // The element and its content as XML text.
    void Write(QString& out) const;
};

// Parses a whole part. Throws FileError "<part>: vrstica N: ..." for text
// that is not well-formed XML, and refuses document type declarations and
// elements nested more than 256 deep.
XmlNode ParseXml(const QByteArray& bytes, const QString& partName);

// The part's bytes: the XML declaration, then the element, as UTF-8.
QByteArray XmlPart(const XmlNode& root);
QByteArray XmlPart(const QString& rootText);
