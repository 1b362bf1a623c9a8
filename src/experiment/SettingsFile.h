#pragma once

// The experiment settings file (.vkx): everything needed to repeat an
// experiment and its automatic evaluation, 98 positional lines without keys.
// "Shrani nastavitve" and "Aktiviraj eksperiment" write it from the main
// window and the automatic-experiment settings window, "Naloži nastavitve"
// and the experiment scheduler read it back.
//
// The file holds texts of edits exactly as shown (numbers in the locale's
// decimal format), check boxes as "True"/"False" and list choices as decimal
// integers. The start date is not stored: loading leaves the date as it is.
//
// Reading is all-or-nothing: a file with a missing line or a line that must
// be an integer and is not is refused as a whole, with its line number
// (counted from 1, as an editor shows it), and nothing is applied.

#include "opc/LoopTags.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <array>

// The stored values, with the initial values of their controls.
struct ExperimentSettings {
    static constexpr int LineCount = 98;
    static constexpr int SequencerRows = 10;

    QString OpcServer; // ComboBox2: ProgID of the selected server

    // The tag table (tag and "Opis" of each role) and the switching of both
    // controllers (RadioGroup4 / ComboBox3, RadioGroup5 / ComboBox4).
    LoopTags Loop;

    QString SamplingPeriod = QStringLiteral("1"); // CasVzorcenjaEdit [s]
    bool KeepInitialInput = false;                // OhraniZacetniVhod
    QString InitialInput = QStringLiteral("0");   // ZacetniVhodEdit
    QString WaitTime = QStringLiteral("0");       // CasCakanjaEdit [s]
    QString StepSize = QStringLiteral("0");       // VelikostStopniceEdit
    QString StepDuration = QStringLiteral("0");   // CasStopniceEdit [s]
    QString NumberOfSteps = QStringLiteral("1");  // SteviloStopnicEdit
    bool BothDirections = false;                  // CheckBox_ObeSmeri
    bool ClosedLoopDuring = false;                // CheckBox_Zaprtozancni
    bool NoOPCWrite = false;                      // CheckBox_NePisi
    bool ManualTrial = false;                     // RadioRocno, else RadioAvtomatsko
    QString MVMax = QStringLiteral("100");        // Edit_MVMax
    QString MVMin = QStringLiteral("0");          // Edit_MVMin
    QString MVStep = QStringLiteral("1");         // Edit_MVStep

    // The automatic-experiment settings window.
    QString AutoFilter = QStringLiteral("0");              // Edit_Sam_Filt
    QString AutoActuatorMax = QStringLiteral("100");       // Edit_Sam_Max (stored twice)
    QString AutoActuatorMin = QStringLiteral("0");         // Edit_Sam_Min
    QString AutoActuatorVelocity = QStringLiteral("1");    // Edit_Sam_Velocity [s]
    int AutoTuningMethod = 0;                              // ComboBox_Sam_IzbMetode index
    QString AutoSamplingTime = QStringLiteral("1");        // Edit_Sam_Ts
    int AutoRobust = 10;                                   // ScrollBar_Sam_Robust position
    bool AutoCascade = false;                              // CheckBox_Sam_Cascade
    bool AutoLoadParameters = false;                       // CheckBox_Sam_Nalozi
    int AutoResponse = 0;                                  // RadioGroup_Sam_Prikaz index
    int AutoControllerForm = 0;                            // ComboBox_Sam_TipReg index
    QString AutoScaleP = QStringLiteral("1");              // Edit_Sam_SkalP
    QString AutoScaleI = QStringLiteral("1");              // Edit_Sam_SkalI
    QString AutoScaleD = QStringLiteral("1");              // Edit_Sam_SkalD
    int AutoControllerType = 2;                            // RadioGroup_Sam_PID index
    bool ReportProcessing = true;                          // CheckBox_Sam_PorocObd
    bool ReportModel = true;                               // CheckBox_Sam_PorocMod
    bool ReportController = true;                          // CheckBox_Sam_PorocReg
    QString ReportTemplate = QStringLiteral("normal.dot"); // template label caption

    QString StartTime = QStringLiteral("12:00:00"); // CajtZacetka
    bool ClosedLoopAfter = true;                    // CheckBox_ZZPoPoizkusu
    bool SequencerPresent = false;                  // CheckBox_Sekvencer
    // StringGrid_Sekvencer, column 0 "Vhod" and column 1 "Izhod" by row.
    std::array<QString, SequencerRows> SequencerInput;
    std::array<QString, SequencerRows> SequencerOutput;

    friend bool operator==(const ExperimentSettings&, const ExperimentSettings&) = default;
};

// The 98 lines of the file. A line break inside a text would shift every
// line after it, so line breaks in texts are written as blanks.
QStringList ExperimentSettingsLines(const ExperimentSettings& settings);

// Reads the lines of a file (lines 0 to 97 are used, more are ignored).
// Throws FileError "<file>: vrstica N: ..." for a missing line or a line
// that must be an integer and is not.
ExperimentSettings ParseExperimentSettings(const QStringList& lines, const QString& fileName);

// Reads and parses a file (UTF-8, CR LF or LF). Throws FileError.
ExperimentSettings ReadExperimentSettings(const QString& fileName);

// Writes the file at once (CR LF lines, UTF-8); a failed write leaves a
// previous file intact. Throws FileError.
void WriteExperimentSettings(const QString& fileName, const ExperimentSettings& settings);

// The file name proposed by "Shrani nastavitve": the start time with ":" as
// "_", then "__", then the start date in the locale's short date format with
// "." as "_", then ".vkx"; every "/" as "_". For 12:00:00 on 6.12.2026:
// "12_00_00__6_12_2026.vkx".
QString ProposedSettingsFileName(const QString& startTime, const QString& shortDateText);
// The same with the date as day_month_year in digits, whatever the locale.
QString ProposedSettingsFileName(const QString& startTime, const QDate& startDate);
