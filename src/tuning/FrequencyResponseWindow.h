#pragma once

// "Frekvenčni odziv": the frequency responses of the four loops the
// controller page draws. Left, the Nyquist curves of L(e^(jwTs)) with the
// critical point -1, the unit circle and the Ms circle of the chosen
// controller type (centre -1, radius 1/Ms); right, |S(e^(jwTs))| over the
// frequency on logarithmic axes with the line of that Ms. Each chart saves as
// PNG or SVG from its context menu. The controller page refreshes the window
// at every recomputation while it is open.

#include "tuning/TuningComputation.h"

#include <QWidget>

#include <array>

class ClickableChartView;
class QChartView;
class QLineSeries;
class QLogValueAxis;
class QScatterSeries;

class FrequencyResponseWindow : public QWidget {
    Q_OBJECT
public:
    explicit FrequencyResponseWindow(QWidget* parent = nullptr);

    // Draws the loops (DrawnLoop order) and the Ms circle and line of loop
    // `chosen` (none for -1).
    void ShowLoops(const std::array<LoopTransfer, DrawnLoopCount>& loops,
                   const std::array<LoopRobustness, DrawnLoopCount>& figures, int chosen);

    ClickableChartView* Chart_Nyquist = nullptr;
    QChartView* Chart_Sensitivity = nullptr;
    // L and |S| of each loop, DrawnLoop order.
    std::array<QLineSeries*, DrawnLoopCount> NyquistSeries{};
    std::array<QLineSeries*, DrawnLoopCount> SensitivitySeries{};
    QScatterSeries* Series_CriticalPoint = nullptr;
    QLineSeries* Series_UnitCircle = nullptr;
    QLineSeries* Series_MsCircle = nullptr;
    QLineSeries* Series_MsLine = nullptr;
    QLogValueAxis* AxisFrequency = nullptr;
    QLogValueAxis* AxisSensitivity = nullptr;
};
