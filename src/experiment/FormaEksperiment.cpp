#include "experiment/FormaEksperiment.h"

TEksperiment::TEksperiment(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Eksperiment"));
    setWindowTitle(QStringLiteral("Eksperiment"));
    resize(800, 600);
}
