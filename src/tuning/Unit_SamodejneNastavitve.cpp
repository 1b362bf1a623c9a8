#include "tuning/Unit_SamodejneNastavitve.h"

TForm_SamodNastav::TForm_SamodNastav(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_SamodNastav"));
    setWindowTitle(QStringLiteral("Dodatne nastavitve samodejnega poizkusa"));
    setFixedSize(425, 445);
}
