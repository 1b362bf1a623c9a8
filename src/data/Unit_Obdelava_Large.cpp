#include "data/Unit_Obdelava_Large.h"

TForm_Obdelava_Large::TForm_Obdelava_Large(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_Obdelava_Large"));
    setWindowTitle(QStringLiteral("Prikaz signala"));
    resize(599, 451);
}
