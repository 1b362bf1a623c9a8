#pragma once

// A word-processor document built the way a report is typed into a word
// processor: a selection types text and paragraphs with its current font,
// sets the alignment of its paragraph, inserts page breaks and inline
// pictures, moves right from cell to cell of a table and to the end of the
// document; the document adds tables at the selection and addresses every
// table by its number in the document (Tables.Item(t).Cell(r, c)), its own
// and those of its template alike. SaveAs writes the document as an Office
// Open XML package (.docx) in one go, through a temporary file and a rename.
//
// Alignment values are those of the word processor: 0 left, 1 centred,
// 2 right. Sizes are in points.

#include "report/DocxTemplate.h"

#include <QString>

#include <memory>
#include <optional>
#include <variant>
#include <vector>

namespace docx {

struct RunFormat {
    double Size = 12;
    bool Bold = false;
    bool Italic = false;
};

// A picture of the document's package: the PNG bytes and the size it is shown at.
struct Picture {
    QString Name; // file name it was read from, without folder
    QByteArray Png;
    qint64 WidthEmu = 0;
    qint64 HeightEmu = 0;
};

struct Run {
    enum class Kind { Text, PageBreak, Picture };
    Kind Type = Kind::Text;
    QString Text;
    RunFormat Format;
    int PictureIndex = -1;
};

struct Paragraph {
    std::optional<int> Alignment; // unset: as the paragraph style says
    RunFormat Mark;               // the paragraph mark: the height of an empty line
    std::vector<Run> Runs;
    bool IsEmpty() const { return Runs.empty(); }
};

struct Cell {
    std::vector<std::unique_ptr<Paragraph>> Paragraphs;
};

// A table added by the report: rows x columns of cells, row-major.
struct NewTable {
    int Rows = 0;
    int Columns = 0;
    std::vector<Cell> Cells;
    std::optional<int> RowsAlignment;
    Cell& At(int row, int column)
    {
        return Cells[static_cast<std::size_t>(row * Columns + column)];
    }
};

// A block of the body: a paragraph or table of the report, or an element of
// the template's body kept as it was read (a paragraph, a table, ...).
using Block = std::variant<Paragraph, NewTable, XmlNode>;

} // namespace docx

class WordDocument;

// Cell(r, c) of a table: its Range.
class TableCell {
public:
    // Range.InsertAfter: the text at the end of the cell, in the formatting
    // of the cell's paragraph mark.
    void InsertAfter(const QString& text);
    // Range.Font.Bold: the cell's text and paragraph mark.
    void SetBold(bool bold);

private:
    friend class DocumentTable;
    TableCell(docx::Block* table, int row, int column) : table_(table), row_(row), column_(column)
    {
    }
    docx::Block* table_;
    int row_, column_;
};

// Tables.Item(t).
class DocumentTable {
public:
    // The cell in row r and column c, both from 1. Throws VarkolError when the
    // table has no such cell.
    TableCell Cell(int row, int column);
    // Rows.Alignment: the rows' place between the margins (0, 1, 2).
    void SetRowsAlignment(int alignment);

private:
    friend class TableCollection;
    DocumentTable(docx::Block* table, int number) : table_(table), number_(number) {}
    docx::Block* table_;
    int number_;
};

class DocumentSelection {
public:
    // The font of what is typed next. Moving the selection takes the font of
    // the place it moves to.
    docx::RunFormat Font;

    void TypeText(const QString& text);
    void TypeParagraph();
    // ParagraphFormat.Alignment of the paragraph at the selection.
    void SetAlignment(int alignment);
    // InsertBreak: a page break; what is typed next begins the next page.
    void InsertBreak();
    // InlineShapes.AddPicture(file, link to file false, save with document
    // true): the PNG at its own size (pixels at its resolution, 96 dpi when it
    // states none), scaled down to the text width when wider. Throws
    // FileError when the file cannot be read or is not a PNG picture.
    void AddPicture(const QString& fileName);
    // MoveRight(unit 12 = cell, count 1, extend 0): into the next cell.
    void MoveRightCell();
    // EndKey(6 = story): to the end of the document.
    void EndKey();

private:
    friend class WordDocument;
    friend class TableCollection;
    explicit DocumentSelection(WordDocument& document) : document_(document) {}
    void MoveTo(docx::Paragraph* paragraph);

    WordDocument& document_;
    docx::Paragraph* paragraph_ = nullptr;
    docx::NewTable* table_ = nullptr; // the table of the cell the selection is in
    int cellIndex_ = 0;
};

class TableCollection {
public:
    // Tables.Add(Range = Selection.Range, rows, columns,
    // DefaultTableBehavior 1, AutoFitBehavior 1): a table with borders whose
    // columns fit their contents, at the selection, which moves into its
    // first cell.
    DocumentTable Add(int rows, int columns);
    // Tables.Item(t), t from 1, in the order of the document. Throws
    // VarkolError when there are fewer tables.
    DocumentTable Item(int number);
    int Count() const;

private:
    friend class WordDocument;
    explicit TableCollection(WordDocument& document) : document_(document) {}
    WordDocument& document_;
};

class WordDocument {
public:
    // Documents.Add(template): the built-in blank document for "normal.dot"
    // or an empty name, else a document begun from the template's file; the
    // selection stands at the end of the template's body. Throws FileError
    // naming the file and the reason when the template cannot be read.
    static std::unique_ptr<WordDocument> Add(const QString& templateName);
    WordDocument(const WordDocument&) = delete;
    WordDocument& operator=(const WordDocument&) = delete;

    DocumentSelection& Selection() { return selection_; }
    TableCollection& Tables() { return tables_; }

    // The package (.docx) as bytes.
    QByteArray Package() const;
    // Writes the package in one go; a failed write leaves no file (and an
    // existing file as it was). Returns the number of bytes written. Throws
    // FileError.
    qint64 SaveAs(const QString& fileName) const;
    // The document is done with: nothing more can be typed.
    void Close();

    // The names of the pictures in the order they were added.
    QStringList PictureNames() const;
    // The width between the margins, in EMU.
    qint64 TextWidthEmu() const { return template_.TextWidthEmu; }

private:
    friend class DocumentSelection;
    friend class TableCollection;
    explicit WordDocument(DocxTemplate source);

    QString BodyXml() const;
    std::vector<std::unique_ptr<docx::Block>>::iterator BlockOf(const docx::Paragraph* paragraph);
    void CheckOpen() const;

    DocxTemplate template_;
    std::vector<std::unique_ptr<docx::Block>> body_;
    std::vector<docx::Picture> pictures_;
    DocumentSelection selection_;
    TableCollection tables_;
    bool closed_ = false;
};
