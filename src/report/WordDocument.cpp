#include "report/WordDocument.h"

#include "base/Errors.h"
#include "base/TextFile.h"
#include "report/DocumentXml.h"
#include "report/DocxPackage.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cmath>

using namespace docx;

namespace {

constexpr qint64 EmuPerInch = 914400;

[[noreturn]] void Fail(const QString& message)
{
    throw VarkolError(message.toStdString());
}

quint32 BigEndian32(const QByteArray& bytes, qsizetype at)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData() + at);
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
}

// The pixel size and resolution of a PNG picture, from its IHDR and pHYs
// chunks. False when the bytes are not a PNG picture.
bool ReadPngSize(const QByteArray& png, quint32& width, quint32& height, double& dpiX, double& dpiY)
{
    static const QByteArray signature = QByteArray::fromHex("89504e470d0a1a0a");
    if (!png.startsWith(signature) || png.size() < 33 || png.mid(12, 4) != "IHDR")
        return false;
    width = BigEndian32(png, 16);
    height = BigEndian32(png, 20);
    dpiX = dpiY = 96;
    qsizetype at = 8;
    while (at + 12 <= png.size()) {
        const quint32 length = BigEndian32(png, at);
        const QByteArray type = png.mid(at + 4, 4);
        if (type == "IDAT" || type == "IEND")
            break;
        if (type == "pHYs" && length == 9 && at + 17 <= png.size() && png[at + 16] == 1) {
            // Pixels per metre, a whole number: 192 dpi is stored as 7559
            // and read back to the hundredth of a dot.
            const double x = BigEndian32(png, at + 8), y = BigEndian32(png, at + 12);
            if (x > 0 && y > 0) {
                dpiX = std::round(x * 2.54) / 100;
                dpiY = std::round(y * 2.54) / 100;
            }
        }
        at += 12 + static_cast<qsizetype>(length);
    }
    return width > 0 && height > 0;
}

void AppendText(std::vector<Run>& runs, const QString& text, const RunFormat& format)
{
    if (text.isEmpty())
        return;
    if (!runs.empty() && runs.back().Type == Run::Kind::Text &&
        runs.back().Format.Size == format.Size && runs.back().Format.Bold == format.Bold &&
        runs.back().Format.Italic == format.Italic) {
        runs.back().Text += text;
        return;
    }
    Run run;
    run.Text = text;
    run.Format = format;
    runs.push_back(std::move(run));
}

NewTable* AsNewTable(Block* block)
{
    return std::get_if<NewTable>(block);
}

bool IsTable(const Block& block)
{
    if (std::holds_alternative<NewTable>(block))
        return true;
    const XmlNode* node = std::get_if<XmlNode>(&block);
    return node && node->Name == QStringLiteral("w:tbl");
}

} // namespace

// ----- Table cells and tables ----------------------------------------------

void TableCell::InsertAfter(const QString& text)
{
    if (NewTable* table = AsNewTable(table_)) {
        Paragraph& last = *table->At(row_ - 1, column_ - 1).Paragraphs.back();
        AppendText(last.Runs, text, last.Mark);
    } else {
        TemplateCellInsertAfter(std::get<XmlNode>(*table_), row_, column_, text);
    }
}

void TableCell::SetBold(bool bold)
{
    if (NewTable* table = AsNewTable(table_)) {
        for (auto& paragraph : table->At(row_ - 1, column_ - 1).Paragraphs) {
            paragraph->Mark.Bold = bold;
            for (Run& run : paragraph->Runs)
                run.Format.Bold = bold;
        }
    } else {
        TemplateCellSetBold(std::get<XmlNode>(*table_), row_, column_, bold);
    }
}

TableCell DocumentTable::Cell(int row, int column)
{
    bool exists = false;
    if (NewTable* table = AsNewTable(table_))
        exists = row >= 1 && row <= table->Rows && column >= 1 && column <= table->Columns;
    else
        exists = TemplateCellExists(std::get<XmlNode>(*table_), row, column);
    if (!exists)
        Fail(QStringLiteral("Tabela %1 dokumenta nima celice v vrstici %2 in stolpcu %3.")
                 .arg(number_)
                 .arg(row)
                 .arg(column));
    return TableCell(table_, row, column);
}

void DocumentTable::SetRowsAlignment(int alignment)
{
    if (NewTable* table = AsNewTable(table_))
        table->RowsAlignment = alignment;
    else
        TemplateTableSetAlignment(std::get<XmlNode>(*table_), alignment);
}

DocumentTable TableCollection::Add(int rows, int columns)
{
    document_.CheckOpen();
    DocumentSelection& selection = document_.selection_;
    if (selection.table_)
        Fail(QStringLiteral("Tabele ni mogoče vstaviti v tabelo."));
    if (rows < 1 || columns < 1 || columns > 63)
        Fail(QStringLiteral("Tabela z %1 vrsticami in %2 stolpci ni mogoča.")
                 .arg(rows)
                 .arg(columns));

    const Paragraph& at = *selection.paragraph_;
    NewTable table;
    table.Rows = rows;
    table.Columns = columns;
    table.Cells.resize(static_cast<std::size_t>(rows * columns));
    for (docx::Cell& cell : table.Cells) {
        auto paragraph = std::make_unique<Paragraph>();
        paragraph->Alignment = at.Alignment;
        paragraph->Mark = at.Mark;
        cell.Paragraphs.push_back(std::move(paragraph));
    }

    // In an empty paragraph the table takes the paragraph's place, which
    // follows the table; after text it follows the paragraph, and a new
    // empty paragraph follows the table.
    auto& body = document_.body_;
    auto it = document_.BlockOf(selection.paragraph_);
    if (at.IsEmpty()) {
        it = body.insert(it, std::make_unique<Block>(std::move(table)));
    } else {
        auto after = std::make_unique<Paragraph>();
        after->Alignment = at.Alignment;
        after->Mark = at.Mark;
        it = body.insert(it + 1, std::make_unique<Block>(std::move(*after)));
        it = body.insert(it, std::make_unique<Block>(std::move(table)));
    }
    int number = 0;
    for (auto i = body.begin(); i <= it; ++i)
        number += IsTable(**i) ? 1 : 0;

    NewTable* added = AsNewTable(it->get());
    selection.table_ = added;
    selection.cellIndex_ = 0;
    selection.MoveTo(added->Cells.front().Paragraphs.back().get());
    return DocumentTable(it->get(), number);
}

DocumentTable TableCollection::Item(int number)
{
    int count = 0;
    for (auto& block : document_.body_) {
        if (IsTable(*block) && ++count == number)
            return DocumentTable(block.get(), number);
    }
    Fail(QStringLiteral("Dokument nima tabele %1 (tabel je %2).").arg(number).arg(count));
}

int TableCollection::Count() const
{
    return static_cast<int>(std::count_if(document_.body_.begin(), document_.body_.end(),
                                          [](const auto& block) { return IsTable(*block); }));
}

// ----- Selection -----------------------------------------------------------

void DocumentSelection::MoveTo(Paragraph* paragraph)
{
    paragraph_ = paragraph;
    Font = paragraph->Mark;
}

void DocumentSelection::TypeText(const QString& text)
{
    document_.CheckOpen();
    AppendText(paragraph_->Runs, text, Font);
}

void DocumentSelection::TypeParagraph()
{
    document_.CheckOpen();
    auto next = std::make_unique<Paragraph>();
    next->Alignment = paragraph_->Alignment;
    next->Mark = Font;
    Paragraph* added = next.get();
    if (table_) {
        auto& paragraphs = table_->Cells[static_cast<std::size_t>(cellIndex_)].Paragraphs;
        const auto at = std::find_if(paragraphs.begin(), paragraphs.end(),
                                     [this](const auto& p) { return p.get() == paragraph_; });
        paragraphs.insert(at + 1, std::move(next));
    } else {
        auto at = document_.BlockOf(paragraph_);
        auto inserted = document_.body_.insert(at + 1, std::make_unique<Block>(std::move(*next)));
        added = &std::get<Paragraph>(**inserted);
    }
    paragraph_ = added;
}

void DocumentSelection::SetAlignment(int alignment)
{
    document_.CheckOpen();
    if (alignment < 0 || alignment > 3)
        Fail(QStringLiteral("Poravnava %1 ni mogoča.").arg(alignment));
    paragraph_->Alignment = alignment;
}

void DocumentSelection::InsertBreak()
{
    document_.CheckOpen();
    Run run;
    run.Type = Run::Kind::PageBreak;
    paragraph_->Runs.push_back(std::move(run));
}

void DocumentSelection::AddPicture(const QString& fileName)
{
    document_.CheckOpen();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("%1: slike ni mogoče prebrati (%2)")
                            .arg(fileName, file.errorString())
                            .toStdString());
    Picture picture;
    picture.Name = QFileInfo(fileName).fileName();
    picture.Png = file.readAll();
    quint32 width = 0, height = 0;
    double dpiX = 96, dpiY = 96;
    if (!ReadPngSize(picture.Png, width, height, dpiX, dpiY))
        throw FileError(QStringLiteral("%1: datoteka ni slika PNG").arg(fileName).toStdString());
    double w = width / dpiX * EmuPerInch;
    double h = height / dpiY * EmuPerInch;
    const double textWidth = static_cast<double>(document_.TextWidthEmu());
    if (w > textWidth) {
        h *= textWidth / w;
        w = textWidth;
    }
    picture.WidthEmu = std::llround(w);
    picture.HeightEmu = std::llround(h);
    document_.pictures_.push_back(std::move(picture));

    Run run;
    run.Type = Run::Kind::Picture;
    run.Format = Font;
    run.PictureIndex = static_cast<int>(document_.pictures_.size()) - 1;
    paragraph_->Runs.push_back(std::move(run));
}

void DocumentSelection::MoveRightCell()
{
    document_.CheckOpen();
    if (!table_ || cellIndex_ + 1 >= static_cast<int>(table_->Cells.size()))
        Fail(QStringLiteral("Desno od izbire ni celice tabele."));
    ++cellIndex_;
    MoveTo(table_->Cells[static_cast<std::size_t>(cellIndex_)].Paragraphs.back().get());
}

void DocumentSelection::EndKey()
{
    document_.CheckOpen();
    table_ = nullptr;
    MoveTo(&std::get<Paragraph>(*document_.body_.back()));
}

// ----- Document ------------------------------------------------------------

std::unique_ptr<WordDocument> WordDocument::Add(const QString& templateName)
{
    return std::unique_ptr<WordDocument>(new WordDocument(LoadTemplate(templateName)));
}

WordDocument::WordDocument(DocxTemplate source)
    : template_(std::move(source)), selection_(*this), tables_(*this)
{
    for (XmlNode& block : template_.Body)
        body_.push_back(std::make_unique<Block>(std::move(block)));
    template_.Body.clear();
    body_.push_back(std::make_unique<Block>(Paragraph{}));
    selection_.MoveTo(&std::get<Paragraph>(*body_.back()));
}

std::vector<std::unique_ptr<Block>>::iterator WordDocument::BlockOf(const Paragraph* paragraph)
{
    return std::find_if(body_.begin(), body_.end(), [paragraph](const auto& block) {
        return std::get_if<Paragraph>(block.get()) == paragraph;
    });
}

void WordDocument::CheckOpen() const
{
    if (closed_)
        Fail(QStringLiteral("Dokument je že zaprt."));
}

QString WordDocument::BodyXml() const
{
    DocumentXmlWriter writer(template_);
    for (const auto& block : body_) {
        if (const auto* paragraph = std::get_if<Paragraph>(block.get()))
            writer.WriteParagraph(*paragraph, pictures_);
        else if (const auto* table = std::get_if<NewTable>(block.get()))
            writer.WriteTable(*table, pictures_);
        else
            std::get<XmlNode>(*block).Write(writer.Out);
    }
    return writer.Out;
}

QByteArray WordDocument::Package() const
{
    return BuildDocxPackage(template_, BodyXml(), pictures_);
}

qint64 WordDocument::SaveAs(const QString& fileName) const
{
    const QByteArray bytes = Package();
    WriteFileBytes(fileName, bytes);
    return bytes.size();
}

void WordDocument::Close()
{
    closed_ = true;
}

QStringList WordDocument::PictureNames() const
{
    QStringList names;
    for (const Picture& picture : pictures_)
        names << picture.Name;
    return names;
}
