#pragma once

// The histogram of one processed signal over the experiment window.

#include <QDialog>

class TForm_Histogram : public QDialog {
    Q_OBJECT
public:
    explicit TForm_Histogram(QWidget* parent = nullptr);
};
