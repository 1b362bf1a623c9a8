#pragma once

// The WordprocessingML of the report's paragraphs and tables, and the few
// changes the report makes to a template's own tables (text into a cell,
// bold cells, centred rows).

#include "report/DocxTemplate.h"
#include "report/WordDocument.h"

#include <QString>

#include <vector>

class DocumentXmlWriter {
public:
    explicit DocumentXmlWriter(const DocxTemplate& source) : source_(source) {}

    void WriteParagraph(const docx::Paragraph& paragraph,
                        const std::vector<docx::Picture>& pictures);
    // Columns as wide as their widest cell needs, together at most the text
    // width; borders all round and between the cells.
    void WriteTable(const docx::NewTable& table, const std::vector<docx::Picture>& pictures);

    QString Out;

private:
    void WriteRun(const docx::Run& run, const std::vector<docx::Picture>& pictures);
    void WritePicture(const docx::Picture& picture, int index);

    const DocxTemplate& source_;
};

// The run properties of a format, "<w:rPr>...</w:rPr>".
QString RunPropertiesXml(const docx::RunFormat& format);

// The estimated width of a text in twips (1/20 point), for fitting columns.
double EstimatedTextTwips(const QString& text, const docx::RunFormat& format);

// A template's table (a w:tbl element): rows are its w:tr elements, cells
// the w:tc elements of a row, both counted from 1.
bool TemplateCellExists(XmlNode& table, int row, int column);
void TemplateCellInsertAfter(XmlNode& table, int row, int column, const QString& text);
void TemplateCellSetBold(XmlNode& table, int row, int column, bool bold);
void TemplateTableSetAlignment(XmlNode& table, int alignment);
