#pragma once

// The Office Open XML package of a report document: content types,
// relationships, the main document part, the template's other parts
// (styles, settings, headers, footers, ...), the pictures and the core
// properties, zipped.

#include "report/DocxTemplate.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace docx {
struct Picture;
}

// The relationship id of picture `index` (from 0) in the main part.
QString PictureRelationshipId(const DocxTemplate& source, int index);

// The package: the template's parts with the main part's body replaced by
// `bodyXml` (the blocks, without the closing section properties) and the
// pictures added.
QByteArray BuildDocxPackage(const DocxTemplate& source, const QString& bodyXml,
                            const std::vector<docx::Picture>& pictures);
