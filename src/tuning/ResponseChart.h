#pragma once

// The controller page's chart `Chart1`: the open-loop response and the
// closed-loop responses with the I, PI, PID and P controllers. The report
// draws it without a window as well.

#include "base/ChartView.h"

#include <array>

struct ResponseSet;

class ResponseChart : public LineChart {
    Q_OBJECT
public:
    ResponseChart();

    // LineSeries3 (I), Series3 (PI), Series4 (PID), LineSeries4 (open loop),
    // Series5 (P).
    const std::array<QLineSeries*, 5>& Series() const { return series_; }

    // Draws the five responses.
    void Plot(const ResponseSet& responses);

private:
    std::array<QLineSeries*, 5> series_{};
};
