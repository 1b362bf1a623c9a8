#include "report/DocumentXml.h"

#include "report/DocxPackage.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

using namespace docx;

namespace {

constexpr qint64 EmuPerTwip = 635;
// Cell margins left and right, and the least width of a column [twips].
constexpr double CellMargins = 2 * 108;
constexpr double LeastColumn = 1134;
// Room for faces wider than the estimate's (a reader without Arial shows
// another sans-serif face).
constexpr double FaceAllowance = 1.25;

QString AlignmentValue(int alignment)
{
    switch (alignment) {
    case 1:
        return QStringLiteral("center");
    case 2:
        return QStringLiteral("right");
    case 3:
        return QStringLiteral("both");
    default:
        return QStringLiteral("left");
    }
}

// Text content of a run: tabs and line breaks become their own elements.
QString TextContentXml(const QString& text)
{
    QString out;
    QString pending;
    auto flush = [&] {
        if (pending.isEmpty())
            return;
        out += QStringLiteral("<w:t xml:space=\"preserve\">") + XmlEscaped(pending) +
               QStringLiteral("</w:t>");
        pending.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\t') {
            flush();
            out += QStringLiteral("<w:tab/>");
        } else if (c == u'\n' || c == u'\r') {
            flush();
            out += QStringLiteral("<w:br/>");
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else {
            pending += c;
        }
    }
    flush();
    return out;
}

// Average advance of a character in ems, for a sans-serif face.
double CharacterEms(QChar c)
{
    if (c == u' ' || c == u'.' || c == u',' || c == u':' || c == u';' || c == u'i' || c == u'l' ||
        c == u'j' || c == u'I' || c == u'!' || c == u'|' || c == u'\'')
        return 0.28;
    if (c == u'f' || c == u't' || c == u'r' || c == u'(' || c == u')' || c == u'[' || c == u']' ||
        c == u'/' || c == u'-')
        return 0.34;
    if (c == u'm' || c == u'w' || c == u'M' || c == u'W')
        return 0.85;
    if (c.isUpper())
        return 0.68;
    if (c.isDigit())
        return 0.56;
    return 0.53;
}

} // namespace

QString RunPropertiesXml(const RunFormat& format)
{
    const QString size = QString::number(std::lround(format.Size * 2));
    QString out = QStringLiteral("<w:rPr>");
    if (format.Bold)
        out += QStringLiteral("<w:b/><w:bCs/>");
    if (format.Italic)
        out += QStringLiteral("<w:i/><w:iCs/>");
    out += QStringLiteral("<w:sz w:val=\"%1\"/><w:szCs w:val=\"%1\"/></w:rPr>").arg(size);
    return out;
}

double EstimatedTextTwips(const QString& text, const RunFormat& format)
{
    double ems = 0;
    for (const QChar c : text)
        ems += CharacterEms(c);
    return ems * format.Size * 20 * (format.Bold ? 1.12 : 1.0);
}

void DocumentXmlWriter::WriteParagraph(const Paragraph& paragraph,
                                       const std::vector<Picture>& pictures)
{
    Out += QStringLiteral("<w:p><w:pPr>");
    if (paragraph.Alignment)
        Out += QStringLiteral("<w:jc w:val=\"%1\"/>").arg(AlignmentValue(*paragraph.Alignment));
    Out += RunPropertiesXml(paragraph.Mark);
    Out += QStringLiteral("</w:pPr>");
    for (const Run& run : paragraph.Runs)
        WriteRun(run, pictures);
    Out += QStringLiteral("</w:p>");
}

void DocumentXmlWriter::WriteRun(const Run& run, const std::vector<Picture>& pictures)
{
    switch (run.Type) {
    case Run::Kind::Text:
        Out += QStringLiteral("<w:r>") + RunPropertiesXml(run.Format) + TextContentXml(run.Text) +
               QStringLiteral("</w:r>");
        break;
    case Run::Kind::PageBreak:
        Out += QStringLiteral("<w:r><w:br w:type=\"page\"/></w:r>");
        break;
    case Run::Kind::Picture:
        Out += QStringLiteral("<w:r>") + RunPropertiesXml(run.Format);
        WritePicture(pictures[static_cast<std::size_t>(run.PictureIndex)], run.PictureIndex);
        Out += QStringLiteral("</w:r>");
        break;
    }
}

void DocumentXmlWriter::WritePicture(const Picture& picture, int index)
{
    const QString cx = QString::number(picture.WidthEmu);
    const QString cy = QString::number(picture.HeightEmu);
    const QString id = QString::number(source_.NextDrawingId + index);
    const QString name = XmlEscaped(picture.Name);
    Out += QStringLiteral(
               "<w:drawing><wp:inline distT=\"0\" distB=\"0\" distL=\"0\" distR=\"0\">"
               "<wp:extent cx=\"%1\" cy=\"%2\"/><wp:effectExtent l=\"0\" t=\"0\" r=\"0\" b=\"0\"/>"
               "<wp:docPr id=\"%3\" name=\"%4\"/>"
               "<wp:cNvGraphicFramePr><a:graphicFrameLocks "
               "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
               "noChangeAspect=\"1\"/></wp:cNvGraphicFramePr>"
               "<a:graphic xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\">"
               "<a:graphicData uri=\"http://schemas.openxmlformats.org/drawingml/2006/picture\">"
               "<pic:pic xmlns:pic=\"http://schemas.openxmlformats.org/drawingml/2006/picture\">"
               "<pic:nvPicPr><pic:cNvPr id=\"0\" name=\"%4\"/><pic:cNvPicPr/></pic:nvPicPr>"
               "<pic:blipFill><a:blip r:embed=\"%5\"/><a:stretch><a:fillRect/></a:stretch>"
               "</pic:blipFill><pic:spPr><a:xfrm><a:off x=\"0\" y=\"0\"/>"
               "<a:ext cx=\"%1\" cy=\"%2\"/></a:xfrm><a:prstGeom prst=\"rect\"><a:avLst/>"
               "</a:prstGeom></pic:spPr></pic:pic></a:graphicData></a:graphic></wp:inline>"
               "</w:drawing>")
               .arg(cx, cy, id, name, PictureRelationshipId(source_, index));
}

void DocumentXmlWriter::WriteTable(const NewTable& table, const std::vector<Picture>& pictures)
{
    // Each column as wide as its widest cell, shrunk together (no column
    // below the least width) when they would pass the text width.
    std::vector<double> widths(static_cast<std::size_t>(table.Columns), 0.0);
    for (int r = 0; r < table.Rows; ++r) {
        for (int c = 0; c < table.Columns; ++c) {
            const Cell& cell = table.Cells[static_cast<std::size_t>(r * table.Columns + c)];
            double needed = 0;
            for (const auto& paragraph : cell.Paragraphs) {
                double line = 0;
                for (const Run& run : paragraph->Runs)
                    line +=
                        run.Type == Run::Kind::Text ? EstimatedTextTwips(run.Text, run.Format) : 0;
                needed = std::max(needed, line);
            }
            double& width = widths[static_cast<std::size_t>(c)];
            width = std::max(
                width, std::max(LeastColumn, std::ceil(needed * FaceAllowance + CellMargins)));
        }
    }
    const double textWidth = static_cast<double>(source_.TextWidthEmu / EmuPerTwip);
    double total = 0;
    for (double w : widths)
        total += w;
    if (total > textWidth) {
        const double above = total - LeastColumn * table.Columns;
        const double excess = total - textWidth;
        for (double& w : widths)
            w -= above > 0 ? (w - LeastColumn) / above * excess : 0;
    }

    Out += QStringLiteral("<w:tbl><w:tblPr><w:tblW w:w=\"0\" w:type=\"auto\"/>");
    if (table.RowsAlignment)
        Out += QStringLiteral("<w:jc w:val=\"%1\"/>").arg(AlignmentValue(*table.RowsAlignment));
    Out += QStringLiteral("<w:tblBorders>");
    for (const char* side : {"top", "left", "bottom", "right", "insideH", "insideV"})
        Out += QStringLiteral("<w:%1 w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"auto\"/>")
                   .arg(QLatin1String(side));
    Out += QStringLiteral(
        "</w:tblBorders><w:tblLayout w:type=\"autofit\"/><w:tblCellMar>"
        "<w:top w:w=\"40\" w:type=\"dxa\"/><w:left w:w=\"108\" w:type=\"dxa\"/>"
        "<w:bottom w:w=\"40\" w:type=\"dxa\"/><w:right w:w=\"108\" w:type=\"dxa\"/></w:tblCellMar>"
        "<w:tblLook w:val=\"04A0\" w:firstRow=\"1\" w:lastRow=\"0\" w:firstColumn=\"1\" "
        "w:lastColumn=\"0\" w:noHBand=\"0\" w:noVBand=\"1\"/></w:tblPr><w:tblGrid>");
    QStringList columnWidths;
    for (double w : widths)
        columnWidths << QString::number(std::lround(w));
    for (const QString& w : columnWidths)
        Out += QStringLiteral("<w:gridCol w:w=\"%1\"/>").arg(w);
    Out += QStringLiteral("</w:tblGrid>");
    for (int r = 0; r < table.Rows; ++r) {
        Out += QStringLiteral("<w:tr>");
        for (int c = 0; c < table.Columns; ++c) {
            Out += QStringLiteral("<w:tc><w:tcPr><w:tcW w:w=\"%1\" w:type=\"dxa\"/></w:tcPr>")
                       .arg(columnWidths[c]);
            for (const auto& paragraph :
                 table.Cells[static_cast<std::size_t>(r * table.Columns + c)].Paragraphs)
                WriteParagraph(*paragraph, pictures);
            Out += QStringLiteral("</w:tc>");
        }
        Out += QStringLiteral("</w:tr>");
    }
    Out += QStringLiteral("</w:tbl>");
}

// ----- A template's own tables ------------------------------------------------

namespace {

XmlNode* TemplateCell(XmlNode& table, int row, int column)
{
    const std::vector<XmlNode*> rows = table.ChildrenNamed(QStringLiteral("w:tr"));
    if (row < 1 || row > static_cast<int>(rows.size()))
        return nullptr;
    const std::vector<XmlNode*> cells =
        rows[static_cast<std::size_t>(row - 1)]->ChildrenNamed(QStringLiteral("w:tc"));
    if (column < 1 || column > static_cast<int>(cells.size()))
        return nullptr;
    return cells[static_cast<std::size_t>(column - 1)];
}

XmlNode& LastParagraph(XmlNode& cell)
{
    for (auto it = cell.Children.rbegin(); it != cell.Children.rend(); ++it) {
        if (it->Name == QStringLiteral("w:p"))
            return *it;
    }
    cell.Children.push_back(XmlNode::Element(QStringLiteral("w:p")));
    return cell.Children.back();
}

// Places `element` among run properties in the order the schema asks:
// after the style and fonts, before everything else.
void PutBold(XmlNode& properties, bool bold)
{
    auto& children = properties.Children;
    children.erase(std::remove_if(children.begin(), children.end(),
                                  [](const XmlNode& n) {
                                      return n.Name == QStringLiteral("w:b") ||
                                             n.Name == QStringLiteral("w:bCs");
                                  }),
                   children.end());
    auto at = children.begin();
    while (at != children.end() &&
           (at->IsText() || at->Name == QStringLiteral("w:rStyle") ||
            at->Name == QStringLiteral("w:rFonts") || at->Name == QStringLiteral("w:ins") ||
            at->Name == QStringLiteral("w:del") || at->Name == QStringLiteral("w:moveFrom") ||
            at->Name == QStringLiteral("w:moveTo")))
        ++at;
    XmlNode element = XmlNode::Element(QStringLiteral("w:b"));
    if (!bold)
        element.SetAttribute(QStringLiteral("w:val"), QStringLiteral("0"));
    children.insert(at, std::move(element));
}

// The run properties of a paragraph's mark (w:pPr/w:rPr), created on demand.
XmlNode& MarkProperties(XmlNode& paragraph)
{
    XmlNode* pPr = paragraph.Child(QStringLiteral("w:pPr"));
    if (!pPr) {
        paragraph.Children.insert(paragraph.Children.begin(),
                                  XmlNode::Element(QStringLiteral("w:pPr")));
        pPr = &paragraph.Children.front();
    }
    XmlNode* rPr = pPr->Child(QStringLiteral("w:rPr"));
    if (!rPr) {
        // Before a section break or a change record, which close the pPr.
        auto at = std::find_if(pPr->Children.begin(), pPr->Children.end(), [](const XmlNode& n) {
            return n.Name == QStringLiteral("w:sectPr") || n.Name == QStringLiteral("w:pPrChange");
        });
        rPr = &*pPr->Children.insert(at, XmlNode::Element(QStringLiteral("w:rPr")));
    }
    return *rPr;
}

} // namespace

bool TemplateCellExists(XmlNode& table, int row, int column)
{
    return TemplateCell(table, row, column) != nullptr;
}

void TemplateCellInsertAfter(XmlNode& table, int row, int column, const QString& text)
{
    if (text.isEmpty())
        return;
    XmlNode& paragraph = LastParagraph(*TemplateCell(table, row, column));
    // The text takes the formatting of the paragraph mark; change records
    // of the mark are no run properties.
    XmlNode properties = XmlNode::Element(QStringLiteral("w:rPr"));
    if (const XmlNode* pPr = paragraph.Child(QStringLiteral("w:pPr"))) {
        if (const XmlNode* mark = pPr->Child(QStringLiteral("w:rPr"))) {
            for (const XmlNode& child : mark->Children) {
                if (!child.IsText() && child.Name != QStringLiteral("w:ins") &&
                    child.Name != QStringLiteral("w:del") &&
                    child.Name != QStringLiteral("w:moveFrom") &&
                    child.Name != QStringLiteral("w:moveTo") &&
                    child.Name != QStringLiteral("w:rPrChange"))
                    properties.Children.push_back(child);
            }
        }
    }
    XmlNode run = XmlNode::Element(QStringLiteral("w:r"));
    if (!properties.Children.empty())
        run.Children.push_back(std::move(properties));
    QString pending;
    auto flush = [&] {
        if (pending.isEmpty())
            return;
        XmlNode t = XmlNode::Element(QStringLiteral("w:t"),
                                     {{QStringLiteral("xml:space"), QStringLiteral("preserve")}});
        XmlNode content;
        content.Text = pending;
        t.Children.push_back(std::move(content));
        run.Children.push_back(std::move(t));
        pending.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\t' || c == u'\n' || c == u'\r') {
            flush();
            run.Children.push_back(
                XmlNode::Element(c == u'\t' ? QStringLiteral("w:tab") : QStringLiteral("w:br")));
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else {
            pending += c;
        }
    }
    flush();
    paragraph.Children.push_back(std::move(run));
}

void TemplateCellSetBold(XmlNode& table, int row, int column, bool bold)
{
    XmlNode& cell = *TemplateCell(table, row, column);
    for (XmlNode* paragraph : cell.ChildrenNamed(QStringLiteral("w:p"))) {
        PutBold(MarkProperties(*paragraph), bold);
        for (XmlNode* run : paragraph->ChildrenNamed(QStringLiteral("w:r"))) {
            XmlNode* properties = run->Child(QStringLiteral("w:rPr"));
            if (!properties) {
                run->Children.insert(run->Children.begin(),
                                     XmlNode::Element(QStringLiteral("w:rPr")));
                properties = &run->Children.front();
            }
            PutBold(*properties, bold);
        }
    }
}

void TemplateTableSetAlignment(XmlNode& table, int alignment)
{
    XmlNode* properties = table.Child(QStringLiteral("w:tblPr"));
    if (!properties) {
        table.Children.insert(table.Children.begin(), XmlNode::Element(QStringLiteral("w:tblPr")));
        properties = &table.Children.front();
    }
    auto& children = properties->Children;
    children.erase(
        std::remove_if(children.begin(), children.end(),
                       [](const XmlNode& n) { return n.Name == QStringLiteral("w:jc"); }),
        children.end());
    // jc follows the style, floating position, overlap, direction, banding
    // and width of the table.
    static const QStringList before = {QStringLiteral("w:tblStyle"),
                                       QStringLiteral("w:tblpPr"),
                                       QStringLiteral("w:tblOverlap"),
                                       QStringLiteral("w:bidiVisual"),
                                       QStringLiteral("w:tblStyleRowBandSize"),
                                       QStringLiteral("w:tblStyleColBandSize"),
                                       QStringLiteral("w:tblW")};
    auto at = children.begin();
    while (at != children.end() && (at->IsText() || before.contains(at->Name)))
        ++at;
    children.insert(at, XmlNode::Element(QStringLiteral("w:jc"),
                                         {{QStringLiteral("w:val"), AlignmentValue(alignment)}}));
}
