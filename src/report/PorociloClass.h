#pragma once

// The experiment report: a word-processor document (.docx) with the OPC
// configuration, the processed signals with their statistics and
// histograms, the identified model and the tuned controllers. TPorocilo
// types it as one would into a word processor (see WordDocument.h), step by
// step; the pictures are made beforehand (ReportPictures.h) and lie in the
// report's folder.
//
// The inputs are values: the texts as the main window shows them, unchanged,
// so the report button, the automatic chain and varkol-cli give the same
// report for the same values.

#include "opc/LoopTags.h"
#include "report/DocxTemplate.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>

// The statistics of one processed signal as the processing page shows them
// (Label_MaksMV1, Label_MinMV1, Label_STDMV1, ...).
struct ReportStatistics {
    QString Maximum;
    QString Minimum;
    QString Std;
};

struct ReportInputs {
    QString Title;    // the main window's caption
    QString FileName; // the report document
    QString Template = BuiltInTemplateName;
    QString ServerName;                         // ComboBox2
    LoopTags Tags;                              // the tag table: tags and descriptions by role
    std::array<ReportStatistics, 4> Statistics; // MV, U, Y1, Y2

    // The model page: Edit_Gain, Edit_Time, Edit_Delay, Label_STD,
    // Label_Rel_Pogresek, Label_Kvaliteta.
    QString Gain, TimeConstant, DeadTime, ModelStd, RelativeError, Quality;
    // The controller page: Label_Ki; Label_Kp_P; Label_PI_Kp, Label_PI_Ti;
    // Label_PID_Kp, Label_PID_Ti, Label_PID_Td.
    QString IKi, PKp, PIKp, PIKi, PIDKp, PIDKi, PIDKd;
    // The scaled parameters Edit_Reg_Kp, Edit_Reg_Ki, Edit_Reg_Kd.
    QString ScaledP, ScaledI, ScaledD;

    // CheckBox1 "Obdelava", CheckBox2 "Model", CheckBox3 "Regulator".
    bool Processing = true;
    bool Model = true;
    bool Controller = true;
    // False from the report button (the document is then opened), true from
    // the automatic chain (only saved).
    bool CloseAfterSave = false;
};

struct ReportOutcome {
    QString FileName;
    QStringList Sections; // the headings of the sections written
    int Tables = 0;       // tables in the document, the template's included
    QStringList Pictures; // the picture files used, in order
    qint64 Bytes = 0;
    bool Shown = false; // opened in the desktop's application
};

// The folder of the pictures: that of the report file, with a closing '/'.
QString PictureFolder(const QString& reportFileName);

class TPorocilo {
public:
    // Opens a saved document in the desktop's application for it; false
    // when there is none.
    using ShowDocument = std::function<bool(const QString& fileName)>;

    // Builds the document, saves it under inputs.FileName and, unless
    // CloseAfterSave, shows it with `show`. Throws (FileError, VarkolError)
    // when the template or a picture cannot be read or the file cannot be
    // written; nothing is saved then.
    ReportOutcome WriteReport(const ReportInputs& inputs, const ShowDocument& show = {});
};
