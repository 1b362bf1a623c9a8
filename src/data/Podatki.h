#pragma once

// The measurement store: the one set of fixed-size sample arrays that the
// experiment, the data files, conditioning, identification, the views and
// tuning share. One instance is created in main and handed by reference;
// every array is allocated once, in the constructor, and never resized.
//
// Sample numbers in the interface are 1-based: sample i is element i-1 of an
// array, so `Sample(Time, i)` is the time of sample i. The raw arrays can be
// handed to the numeric routines as plain pointers (`Time.data()`).

#include <array>
#include <string>
#include <vector>

// A first-order-plus-dead-time process model with its quality figures.
struct ProcessModel {
    double Gain = 0;           // K
    double TimeConstant = 0;   // T [s], never negative
    double DeadTime = 0;       // L [s], a whole number of sampling periods (refined: any)
    double GainDeviation = 0;  // standard deviation of K (refined: 95 % half-width)
    double TimeDeviation = 0;  // standard deviation of T [s] (refined: 95 % half-width)
    double ResidualSTD = 0;    // standard deviation of the model error
    double RelativeError = 0;  // the grading quantity
};

// A process model that is the refined one: its deviations are then 95 %
// half-widths, its dead time is continuous and its output carries an offset.
struct ModelRefinementState {
    bool Shown = false;          // the model in the store is the refined one
    double Offset = 0;           // the model's output offset
    double DeadTimeInterval = 0; // 95 % half-width of L [s]
};

// Seven unscaled controller gains in the parallel form
// u = Kp*e + Ki*integral(e) + Kd*de/dt, one set per controller type.
struct ControllerGains {
    double KiI = 0;    // I controller
    double KpP = 0;    // P controller
    double KpPI = 0;   // PI controller
    double KiPI = 0;
    double KpPID = 0;  // PID controller
    double KiPID = 0;
    double KdPID = 0;
};

// Scratch of the identification of one process, allocated once. The two
// padded arrays hold FitScratch::Padding zeros in front of their samples so
// that copies shifted by a dead time can be read without bounds checks.
struct FitScratch {
    static constexpr int Padding = 64;
    using Signal = std::vector<double>;

    FitScratch();

    Signal PaddedInput;     // the process input
    Signal PaddedFiltered;  // the filtered process input
    Signal InputSlope;      // slope of a filtered input (unused by-product)
    Signal FilteredOutput;  // filtered process output
    Signal OutputSlope;     // its slope
    Signal FilteredPower;   // running sums of the squared filtered input (n+1)
    Signal ReferencePower;  // running sums of the squared reference (n+1)
    // The fit and model error of every dead time of a scan.
    Signal ScanGain, ScanTimeConstant, ScanGainSigma, ScanTimeSigma, ScanError;
    Signal ShiftedInput;    // filtered input delayed by a dead time
    Signal ModelOutput;     // a candidate model's output
    Signal ModelSlope;
    Signal FilteredModel;   // the candidate model's output, filtered
    Signal Instrument;      // its slope
};

class Podatki {
public:
    static constexpr int MaxSamples = 5000;
    static constexpr int MaxColumns = 40;
    using Signal = std::vector<double>;  // always MaxSamples long

    Podatki();

    // --- Raw measurement -------------------------------------------------
    double SamplingTime = 1.0;  // seconds between samples
    int SampleCount = 0;        // valid samples, 0..MaxSamples
    int SignalCount = 0;        // raw columns that hold data
    int WindowGap = 10;         // least distance between window start and end

    Signal Time;                                    // seconds from the record's start
    std::array<Signal, MaxColumns> RawColumns;      // column k is RawColumns[k-1]
    std::array<std::string, MaxColumns> ColumnNames;  // entry k-1 names column k

    // Raw column k (1-based), MaxSamples long.
    double* Column(int k) { return RawColumns[static_cast<std::size_t>(k - 1)].data(); }
    const double* Column(int k) const { return RawColumns[static_cast<std::size_t>(k - 1)].data(); }

    // 10 when more than 10 samples are held, else SampleCount - 1.
    static int WindowGapFor(int sampleCount) { return sampleCount > 10 ? 10 : sampleCount - 1; }

    // --- Conditioned signals ---------------------------------------------
    Signal ProcessedMV;
    Signal ProcessedU;
    Signal ProcessedY1;
    Signal ProcessedY2;
    Signal LimitedU;    // scratch: U after the actuator limits, before filtering
    Signal SimScratch;  // scratch slope array for SimulateFOPDT

    // --- Identification --------------------------------------------------
    int IdentSampleCount = 0;  // n = window end - window start + 1
    Signal IdentTime;          // time from the window start
    Signal IdentU;             // ProcessedU over the window minus its initial value
    Signal IdentY1;
    Signal IdentY2;
    Signal MeasuredInner;      // IdentY1 delayed by one sample
    Signal MeasuredOuter;      // IdentY2 delayed by one sample
    Signal ModelOutputInner;
    Signal ModelOutputOuter;
    // Scratch for the fits, one set per process (0 inner, 1 outer) so that
    // the two processes can be identified side by side.
    std::array<FitScratch, 2> Fit;

    ProcessModel InnerModel;  // U -> Y1
    ProcessModel OuterModel;  // Y1 -> Y2
    int InnerDelaySamples = 0;
    int OuterDelaySamples = 0;
    // What a refined model (output-error fit, model/ModelRefinement.h) holds
    // beyond its ProcessModel, kept while the store's model is the refined one.
    ModelRefinementState InnerRefinement;
    ModelRefinementState OuterRefinement;

    // --- Histogram of the last signal shown --------------------------------
    std::array<double, 20> HistogramEdges{};   // lower edge of each bin
    std::array<double, 20> HistogramCounts{};  // samples in each bin

    // --- Tuning results ----------------------------------------------------
    ControllerGains TuningResults;  // single loop
    ControllerGains CascadeResults; // outer controller of a cascade
    double RobustFactor = 1.0;
    double ClosedLoopTs = 0;        // sampling time of the simulated controller [s]

    // The proportional gain of the inner (P) controller of a cascade. It is
    // kept in the single-loop KpP: a cascade recomputation overwrites KpP of
    // TuningResults and a single-loop one overwrites the inner gain.
    double& InnerGain() { return TuningResults.KpP; }
    double InnerGain() const { return TuningResults.KpP; }
};

// Sample i (1-based) of a store array.
inline double& Sample(Podatki::Signal& signal, int i)
{
    return signal[static_cast<std::size_t>(i - 1)];
}
inline double Sample(const Podatki::Signal& signal, int i)
{
    return signal[static_cast<std::size_t>(i - 1)];
}
