#pragma once

// Where a report document begins: the built-in blank document, or a
// template (.dotx) or document (.docx) chosen by the user. The template
// gives the styles, page set-up, headers and footers and every other part of
// its package, and its body with its tables, which the report continues.

#include "report/XmlTree.h"

#include <QByteArray>
#include <QString>

#include <map>
#include <vector>

// The name that stands for the built-in blank document (the report page's
// initial template caption).
extern const QString BuiltInTemplateName;

// True for "normal.dot" (any case) and an empty name.
bool IsBuiltInTemplate(const QString& templateName);

struct DocxTemplate {
    QString FileName; // empty for the built-in document
    // Every part of the package by name, those rebuilt for the report
    // included (they are replaced when the package is written).
    std::map<QString, QByteArray> Parts;
    QString MainPart = QStringLiteral("word/document.xml");
    XmlNode ContentTypes;          // [Content_Types].xml
    XmlNode PackageRelationships;  // _rels/.rels
    XmlNode DocumentRelationships; // the main part's relationships
    XmlNode DocumentRoot;          // w:document with its attributes, without its body
    std::vector<XmlNode> Body;     // the body's blocks, the closing w:sectPr left out
    XmlNode SectionProperties;     // the closing w:sectPr: page set-up, headers, footers
    qint64 TextWidthEmu = 0;       // page width less the side margins
    int NextDrawingId = 1;         // above every drawing id of the body

    // Name of the relationships part of the main part.
    QString DocumentRelationshipsPart() const;
};

// The template a report begins from. Throws FileError
// "<file>: predloge ni mogoče uporabiti: <reason>" when the file is missing,
// is not a zip package, is an old binary document (.doc, .dot), holds macros,
// or has no readable main document part.
DocxTemplate LoadTemplate(const QString& templateName);

// The relationship types and content types the report uses.
namespace docxns {
inline const QString Main =
    QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");
inline const QString Relationships =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
inline const QString Drawing =
    QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing");
inline const QString PackageRelationships =
    QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships");
inline const QString OfficeDocument = QStringLiteral(
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument");
inline const QString CoreProperties = QStringLiteral(
    "http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties");
inline const QString ImageRelationship =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/image");
inline const QString DocumentType = QStringLiteral(
    "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml");
inline const QString TemplateType = QStringLiteral(
    "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml");
inline const QString CoreType =
    QStringLiteral("application/vnd.openxmlformats-package.core-properties+xml");
} // namespace docxns
