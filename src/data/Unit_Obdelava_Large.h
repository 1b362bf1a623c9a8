#pragma once

// The large plot of one processed signal over the experiment window.

#include <QDialog>

class TForm_Obdelava_Large : public QDialog {
    Q_OBJECT
public:
    explicit TForm_Obdelava_Large(QWidget* parent = nullptr);
};
