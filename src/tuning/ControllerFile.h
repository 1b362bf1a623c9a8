#pragma once

// The controller settings file (.vkc): the inner and outer process models
// and every setting of the controller page, 38 UTF-8 lines with CR LF,
// captions on the even lines and values on the odd ones. The gains are not stored;
// they are recomputed from the model and the settings after loading.

#include <QString>

struct ControllerSettings {
    // Inner (U -> Y1) and outer (Y1 -> Y2) models.
    double K1 = 0, T1 = 0, L1 = 0, InnerRelativeError = 0;
    double K2 = 0, T2 = 0, L2 = 0, OuterRelativeError = 0;
    QString SamplingTimeText = QStringLiteral("1"); // as typed
    int Method = 0;                                 // -1 when none is selected
    int ResponseChoice = 0;
    int Form = -1; // -1 when none is selected
    int Type = 2;
    int SliderPosition = 10;
    QString ScaleP = QStringLiteral("1"), ScaleI = QStringLiteral("1"),
            ScaleD = QStringLiteral("1"); // as typed
    bool Cascade = false;
};

// The default extension and the filter of the save and open dialogs.
extern const char* const ControllerFileExtension;
extern const char* const ControllerFileFilter;

// The file's 38 lines, without line ends. Throws FileError when a text
// holds a line break (it would shift every line after it).
QStringList ControllerFileLines(const ControllerSettings& settings);

// Writes the file in one go, replacing an existing one only when the whole
// file was written. Throws FileError.
void SaveController(const QString& fileName, const ControllerSettings& settings);

// Reads a whole file into fresh settings. Throws FileError naming the file
// and the line when the file cannot be read, has fewer than 38 lines or a
// number line does not hold a number.
ControllerSettings LoadController(const QString& fileName);
