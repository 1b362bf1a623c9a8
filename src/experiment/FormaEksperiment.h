#pragma once

// The experiment run window: samples the loop, generates the step sequence,
// switches the controller and records the samples.

#include <QDialog>

class TEksperiment : public QDialog {
    Q_OBJECT
public:
    explicit TEksperiment(QWidget* parent = nullptr);
};
