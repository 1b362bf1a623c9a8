#pragma once

// The settings of automatic experiments: the choices a user would otherwise
// make on the processing, controller and report pages.

#include <QDialog>

class TForm_SamodNastav : public QDialog {
    Q_OBJECT
public:
    explicit TForm_SamodNastav(QWidget* parent = nullptr);
};
