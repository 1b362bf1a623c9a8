#pragma once

// The model page's chart: the measured open-loop response and the output of
// the identified model over the identification window. The page shows it as
// `Chart_Model`; the report draws it without a window as well.

#include "base/ChartView.h"

class ModelChart : public LineChart {
    Q_OBJECT
public:
    ModelChart();

    QLineSeries* Measured() const { return measured_; } // LineSeries1
    QLineSeries* Output() const { return output_; }     // LineSeries2

    // Draws the measured response and the model output over samples 1..n
    // of `time`, the vertical axis a tenth of the span beyond both curves.
    void Plot(const double* time, const double* measured, const double* modelOutput, int n);

private:
    QLineSeries* measured_;
    QLineSeries* output_;
};
