#include "data/Unit_Hystogram.h"

TForm_Histogram::TForm_Histogram(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_Histogram"));
    setWindowTitle(QStringLiteral("Histogram"));
    setFixedSize(413, 262);
}
