#include "report/PorociloClass.h"

#include "report/ReportPictureNames.h"
#include "report/WordDocument.h"

#include <QFileInfo>

#include <initializer_list>

namespace {

// Alignment values of the word processor.
constexpr int AlignLeft = 0;
constexpr int AlignCentre = 1;
constexpr int AlignRight = 2;

// *heading T*: size 14 bold, then back to size 12 plain.
void Heading(DocumentSelection& selection, const QString& text)
{
    selection.Font.Size = 14;
    selection.Font.Bold = true;
    selection.TypeText(text);
    selection.Font.Size = 12;
    selection.Font.Bold = false;
}

// *table (R x C)* at the selection with its header cells typed in bold,
// moving right from cell to cell. Bold stays on after the last header cell
// unless `boldOffAfterHeader`.
DocumentTable AddTable(WordDocument& document, int rows, int columns,
                       std::initializer_list<QString> header, bool boldOffAfterHeader)
{
    DocumentTable table = document.Tables().Add(rows, columns);
    DocumentSelection& selection = document.Selection();
    bool first = true;
    for (const QString& text : header) {
        if (!first)
            selection.MoveRightCell();
        first = false;
        selection.Font.Bold = true;
        selection.TypeText(text);
    }
    if (boldOffAfterHeader)
        selection.Font.Bold = false;
    return table;
}

// Tables.Item(t).Cell(row, column).Range.InsertAfter(text).
void Cell(WordDocument& document, int table, int row, int column, const QString& text)
{
    document.Tables().Item(table).Cell(row, column).InsertAfter(text);
}

void Paragraphs(DocumentSelection& selection, int count)
{
    for (int i = 0; i < count; ++i)
        selection.TypeParagraph();
}

// The six rows of a controller's table (2 or 3): its parameters and switch
// commands with their tags.
void ControllerTagRows(WordDocument& document, int table, const LoopTags& tags,
                       std::initializer_list<TagRole> roles)
{
    static const QString labels[] = {QStringLiteral("P člen"), QStringLiteral("I člen"),
                                     QStringLiteral("D člen"), QStringLiteral("R/A"),
                                     QStringLiteral("Ročno"),  QStringLiteral("Avtomatsko")};
    int row = 2;
    for (TagRole role : roles) {
        Cell(document, table, row, 1, labels[row - 2]);
        Cell(document, table, row, 2, tags.Tag(role));
        ++row;
    }
}

struct SignalSection {
    QString Phrase;
    TagRole Role;
    ReportPicture Time;
    ReportPicture Histogram;
};

} // namespace

QString PictureFolder(const QString& reportFileName)
{
    QString folder = QFileInfo(reportFileName).absolutePath();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

ReportOutcome TPorocilo::WriteReport(const ReportInputs& in, const ShowDocument& show)
{
    ReportOutcome outcome;
    const QString pictureFolder = PictureFolder(in.FileName);
    auto picture = [&](DocumentSelection& selection, ReportPicture which) {
        selection.AddPicture(pictureFolder + ReportPictureFile(which));
        outcome.Pictures << ReportPictureFile(which);
    };

    // 1. A new document from the template.
    std::unique_ptr<WordDocument> document = WordDocument::Add(in.Template);
    WordDocument& doc = *document;
    DocumentSelection& sel = doc.Selection();

    // 2. The title.
    sel.TypeParagraph();
    sel.Font.Size = 20;
    sel.Font.Bold = true;
    sel.TypeText(QStringLiteral("Poročilo o eksperimentu"));
    sel.Font.Size = 12;
    sel.Font.Bold = false;
    sel.TypeParagraph();

    // 3. The program's name and version, in italics on the right.
    sel.Font.Italic = true;
    sel.TypeText(in.Title);
    sel.SetAlignment(AlignRight);
    sel.Font.Italic = false;
    sel.TypeParagraph();
    sel.SetAlignment(AlignLeft);
    sel.TypeParagraph();

    // 4. The OPC section and its server.
    Heading(sel, QStringLiteral("OPC Nastavitve"));
    outcome.Sections << QStringLiteral("OPC Nastavitve");
    Paragraphs(sel, 2);
    sel.TypeText(QStringLiteral("OPC Strežnik: ") + in.ServerName);
    Paragraphs(sel, 3);

    // 5. Table 1: the process signals with their descriptions and tags.
    AddTable(
        doc, 5, 3,
        {QStringLiteral("Procesni signali"), QStringLiteral("Opis"), QStringLiteral("OPC točke")},
        true);
    const std::pair<QString, TagRole> signalRows[] = {
        {QStringLiteral("Manipulativni signal 1"), TagRole::MV},
        {QStringLiteral("Izhod regulatorja"), TagRole::U},
        {QStringLiteral("Meritev 1"), TagRole::Y1},
        {QStringLiteral("Meritev 2"), TagRole::Y2}};
    int row = 2;
    for (const auto& [label, role] : signalRows) {
        Cell(doc, 1, row, 1, label);
        Cell(doc, 1, row, 2, in.Tags.Description(role));
        Cell(doc, 1, row, 3, in.Tags.Tag(role));
        ++row;
    }
    sel.EndKey();
    Paragraphs(sel, 2);

    // 6. Table 2: the tags of the controller's parameters and switch.
    AddTable(doc, 7, 2, {QStringLiteral("Parametri regulatorja"), QStringLiteral("OPC točke")},
             true);
    ControllerTagRows(
        doc, 2, in.Tags,
        {TagRole::P, TagRole::I, TagRole::D, TagRole::RA, TagRole::Manual, TagRole::Auto});
    sel.EndKey();
    Paragraphs(sel, 2);

    // 7. Table 3: the same for the outer controller.
    AddTable(doc, 7, 2,
             {QStringLiteral("Parametri zunanjega regulatorja"), QStringLiteral("OPC točke")},
             true);
    ControllerTagRows(
        doc, 3, in.Tags,
        {TagRole::P2, TagRole::I2, TagRole::D2, TagRole::RA2, TagRole::Manual2, TagRole::Auto2});
    sel.EndKey();
    Paragraphs(sel, 2);

    // 8. Processing: each signal's time course, statistics and histogram,
    // a page each.
    if (in.Processing) {
        sel.InsertBreak();
        Heading(sel, QStringLiteral("Obdelava"));
        outcome.Sections << QStringLiteral("Obdelava");
        Paragraphs(sel, 2);
        const SignalSection signalSections[] = {
            {QStringLiteral("manipulativnega signala"), TagRole::MV, ReportPicture::SignalMV,
             ReportPicture::HistogramMV},
            {QStringLiteral("izhoda regulatorja"), TagRole::U, ReportPicture::SignalU,
             ReportPicture::HistogramU},
            {QStringLiteral("izhoda procesa"), TagRole::Y1, ReportPicture::SignalY1,
             ReportPicture::HistogramY1},
            {QStringLiteral("dodatnega izhoda procesa"), TagRole::Y2, ReportPicture::SignalY2,
             ReportPicture::HistogramY2}};
        for (std::size_t i = 0; i < std::size(signalSections); ++i) {
            const SignalSection& s = signalSections[i];
            const ReportStatistics& statistics = in.Statistics[i];
            const QString description = in.Tags.Description(s.Role);
            if (i > 0)
                sel.InsertBreak();
            sel.TypeText(QStringLiteral("Časovni potek ") + s.Phrase + QStringLiteral(" (") +
                         description + u')');
            sel.TypeParagraph();
            picture(sel, s.Time);
            Paragraphs(sel, 2);
            sel.TypeText(QStringLiteral("Maksimum: ") + statistics.Maximum);
            sel.TypeParagraph();
            sel.TypeText(QStringLiteral("Minumum: ") + statistics.Minimum);
            sel.TypeParagraph();
            sel.TypeText(QStringLiteral("STD: ") + statistics.Std);
            Paragraphs(sel, 2);
            sel.TypeText(QStringLiteral("Histogram ") + s.Phrase + QStringLiteral(" (") +
                         description + u')');
            sel.TypeParagraph();
            sel.SetAlignment(AlignCentre);
            picture(sel, s.Histogram);
            sel.TypeParagraph();
            sel.SetAlignment(AlignLeft);
            sel.TypeParagraph();
        }
    }

    // 9. Model: the measured response beside the model, and its parameters.
    if (in.Model) {
        sel.InsertBreak();
        Heading(sel, QStringLiteral("Model"));
        outcome.Sections << QStringLiteral("Model");
        Paragraphs(sel, 2);
        sel.TypeText(QStringLiteral("Odprtozančni odziv procesa"));
        sel.TypeParagraph();
        picture(sel, ReportPicture::Model);
        Paragraphs(sel, 2);
        sel.Font.Bold = true;
        sel.TypeText(QStringLiteral("Parametri modela"));
        sel.Font.Bold = false;
        Paragraphs(sel, 2);
        const std::pair<QString, QString> lines[] = {
            {QStringLiteral("Ocenjeno ojačenje: "), in.Gain},
            {QStringLiteral("Ocenjena časovna konstanta(s): "), in.TimeConstant},
            {QStringLiteral("Ocenjen mrtvi čas [s]: "), in.DeadTime},
            {QStringLiteral("Abs. standardna deviacija: "), in.ModelStd},
            {QStringLiteral("Relativni pogrešek modela: "), in.RelativeError},
            {QStringLiteral("Kvaliteta modela: "), in.Quality}};
        for (const auto& [caption, value] : lines) {
            sel.TypeText(caption + value);
            sel.TypeParagraph();
        }
        sel.TypeParagraph();
    }

    // 10. Controller: the responses, the gains of the four controller types
    // (table 4) and the scaled parameters that are filled in.
    if (in.Controller) {
        sel.InsertBreak();
        Heading(sel, QStringLiteral("Regulator"));
        outcome.Sections << QStringLiteral("Regulator");
        Paragraphs(sel, 2);
        sel.TypeText(QStringLiteral("Odprtozančni in zaprtozančni odzivi"));
        sel.TypeParagraph();
        picture(sel, ReportPicture::Responses);
        Paragraphs(sel, 4);
        AddTable(doc, 5, 4,
                 {QStringLiteral("Tip regulatorja"), QStringLiteral("Kp"), QStringLiteral("Ki"),
                  QStringLiteral("Kd")},
                 false);
        const std::array<QString, 4> gainRows[] = {
            {QStringLiteral("I regulator"), QString(), in.IKi, QString()},
            {QStringLiteral("P regulator"), in.PKp, QString(), QString()},
            {QStringLiteral("PI regulator"), in.PIKp, in.PIKi, QString()},
            {QStringLiteral("PID regulator"), in.PIDKp, in.PIDKi, in.PIDKd}};
        row = 2;
        for (const auto& cells : gainRows) {
            doc.Tables().Item(4).Cell(row, 1).SetBold(true);
            for (int column = 1; column <= 4; ++column)
                Cell(doc, 4, row, column, cells[static_cast<std::size_t>(column - 1)]);
            ++row;
        }
        doc.Tables().Item(4).SetRowsAlignment(AlignCentre);
        sel.EndKey();
        Paragraphs(sel, 2);
        const std::pair<QString, QString> scaled[] = {
            {QStringLiteral("Skaliran P člen: "), in.ScaledP},
            {QStringLiteral("Skaliran I člen: "), in.ScaledI},
            {QStringLiteral("Skaliran D člen: "), in.ScaledD}};
        for (const auto& [caption, value] : scaled) {
            if (value.isEmpty())
                continue;
            sel.TypeText(caption + value);
            sel.TypeParagraph();
        }
    }

    // 11. Save, then show the document or close it.
    outcome.FileName = in.FileName;
    outcome.Tables = doc.Tables().Count();
    outcome.Bytes = doc.SaveAs(in.FileName);
    if (in.CloseAfterSave)
        doc.Close();
    else if (show)
        outcome.Shown = show(in.FileName);
    return outcome;
}
