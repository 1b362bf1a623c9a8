#include "data/GlobalProcedures.h"

#include "support/ExpectClose.h"

#include <array>
#include <cmath>
#include <vector>

TEST(Limit, ClampsAndLetsTheLowerBoundWinWhenBoundsCross)
{
    EXPECT_EQ(Limit(5, 0, 10), 5);
    EXPECT_EQ(Limit(-1, 0, 10), 0);
    EXPECT_EQ(Limit(11, 0, 10), 10);
    EXPECT_EQ(Limit(3, 8, 4), 8);  // lo > hi: every x <= hi yields lo
    EXPECT_EQ(Limit(9, 8, 4), 4);
}

TEST(SafeDivide, FallsBackOnlyOnAnExactZero)
{
    EXPECT_EQ(SafeDivide(1, 4, 7), 0.25);
    EXPECT_EQ(SafeDivide(1, 0.0, 7), 7);
    EXPECT_EQ(SafeDivide(1, -0.0, 7), 7);
    EXPECT_EQ(SafeDivide(3, 4e-300, 7), 3 / 4e-300);
}

TEST(RoundHalfEven, TiesGoToEvenAndExtremesSaturate)
{
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(2.4999), 2);
    EXPECT_EQ(RoundHalfEven(1e300), INT_MAX);
    EXPECT_EQ(RoundHalfEven(-1e300), INT_MIN);
    EXPECT_EQ(RoundHalfEven(std::nan("")), 0);
}

TEST(MinMax, RangesOfFewerThanTwoSamplesGiveZeros)
{
    const double a[] = {4, -2, 9, 9, -2, 3};
    double max = 1, min = 1;
    MinMax(a, max, min, 3, 3);
    EXPECT_EQ(max, 0);
    EXPECT_EQ(min, 0);
    MinMax(a, max, min, 1, 6);
    EXPECT_EQ(max, 9);
    EXPECT_EQ(min, -2);
    MinMax(a, max, min, 4, 6);  // 1-based: samples 9, -2, 3
    EXPECT_EQ(max, 9);
    EXPECT_EQ(min, -2);

    int iMax = 0, iMin = 0;
    MinMaxIndex(a, max, min, 1, 6, iMax, iMin);
    EXPECT_EQ(iMax, 3);  // earliest of the tied maxima
    EXPECT_EQ(iMin, 2);
    MinMaxIndex(a, max, min, 5, 5, iMax, iMin);
    EXPECT_EQ(iMax, 5);
    EXPECT_EQ(iMin, 5);
    EXPECT_EQ(max, 0);
}

TEST(SimulateFOPDT, FirstOrderStepResponseHasTheClosedForm)
{
    std::vector<double> u(60, 1.0), y(60), dy(60);
    SimulateFOPDT(1, 60, u.data(), 2.0, 10.0, 1.0, 0.0, 0.0, y.data(), dy.data());
    EXPECT_EQ(y[0], 0.0);
    ExpectClose(y[1], 2.0 * (1 - std::exp(-0.1)), 1e-15);
    ExpectClose(y[1], 0.1903, 5e-5);
    for (int j = 1; j < 60; ++j)
        ExpectClose(y[j], 2.0 * (1 - std::exp(-0.1 * j)), 1e-12);
    EXPECT_LT(y[59], 2.0);
}

TEST(SimulateFOPDT, DeadTimeRoundsHalvesToEven)
{
    auto delayOf = [](double deadTime) {
        std::vector<double> u(20, 1.0), y(20), dy(20);
        SimulateFOPDT(1, 20, u.data(), 1.0, 0.0, 1.0, 0.0, deadTime, y.data(), dy.data());
        // With no lag the output is the input one sample later plus the dead time.
        int first = 0;
        while (y[static_cast<std::size_t>(first)] == 0.0)
            ++first;
        return first - 1;
    };
    EXPECT_EQ(delayOf(2.4), 2);
    EXPECT_EQ(delayOf(2.5), 2);
    EXPECT_EQ(delayOf(3.5), 4);
    EXPECT_EQ(delayOf(0.0), 0);
}

TEST(SimulateFOPDT, AsFilterRepeatsTheFirstSampleAndNeverWritesPastTheEnd)
{
    const double u[] = {3, 5, 7, 9};
    std::array<double, 6> y{}, dy{};
    y.fill(-1);
    dy.fill(-1);
    SimulateFOPDT(1, 4, u, 1.0, 0.0, 1.0, u[0], 0.0, y.data(), dy.data());
    EXPECT_EQ(y[0], 3);
    EXPECT_EQ(y[1], 3);
    EXPECT_EQ(y[2], 5);
    EXPECT_EQ(y[3], 7);
    EXPECT_EQ(y[4], -1);

    y.fill(-1);
    SimulateFOPDT(1, 4, u, 1.0, 5.0, 1.0, 2.0, 100.0, y.data(), dy.data());  // D = 100 >= N
    EXPECT_EQ(y[3], 2.0);
    EXPECT_EQ(y[4], -1);
    SimulateFOPDT(1, 4, u, 1.0, 0.0, 1.0, 0.0, -3.0, y.data(), dy.data());  // negative: no delay
    EXPECT_EQ(y[1], 3.0);
}

TEST(RateLimit, RampsAtTheFullTravelRateAndClipsWithoutOne)
{
    std::vector<double> in(12, 100.0), out(12);
    in[0] = 0;
    RateLimit(in.data(), out.data(), 12, 100, 0, 10, 1);
    for (int i = 0; i <= 10; ++i)
        ExpectClose(out[static_cast<std::size_t>(i)], 10.0 * i, 1e-12);
    EXPECT_EQ(out[11], 100);

    const double jumps[] = {-20, 150, 50};
    double clipped[3];
    RateLimit(jumps, clipped, 3, 100, 0, 0, 1);
    EXPECT_EQ(clipped[0], 0);
    EXPECT_EQ(clipped[1], 100);
    EXPECT_EQ(clipped[2], 50);
}

TEST(Variances, MatchTheStatedFormulasAndAreExactlyZeroForConstants)
{
    const double a[] = {1, 2, 3, 4};
    ExpectClose(SampleVariance(a, 1, 4), 5.0 / 3.0, 1e-15);
    ExpectClose(PopulationVariance(a, 1, 4), 1.25, 1e-15);
    EXPECT_EQ(SampleVariance(a, 2, 2), 0);
    EXPECT_EQ(PopulationVariance(a, 3, 2), 0);

    std::vector<double> constant(4999, 0.1);
    EXPECT_EQ(SampleVariance(constant.data(), 1, 4999), 0.0);
    EXPECT_EQ(PopulationVariance(constant.data(), 1, 4999), 0.0);
    std::vector<double> large(3000, 123456.789);
    EXPECT_EQ(std::sqrt(SampleVariance(large.data(), 1, 3000)), 0.0);

    // An offset far above the spread does not disturb the result.
    const double offset[] = {1e9 + 1, 1e9 + 2, 1e9 + 3, 1e9 + 4};
    ExpectClose(SampleVariance(offset, 1, 4), 5.0 / 3.0, 1e-6);

    const double b[] = {0, 1, 1, 1};
    ExpectClose(ResidualVariance(a, b, 1, 4), SampleVariance(std::array<double, 4>{1, 1, 2, 3}.data(), 1, 4), 1e-15);
    ExpectClose(MeanSquareError(a, b, 1, 4), (1 + 1 + 4 + 9) / 4.0, 1e-15);
    EXPECT_EQ(MeanSquareError(a, b, 3, 2), 0);
}

TEST(LeastSquares, RecoverExactParametersWithTheMinusSign)
{
    std::vector<double> x1(50), x2(50), z(50), w(50);
    for (int i = 0; i < 50; ++i) {
        x1[static_cast<std::size_t>(i)] = std::sin(0.3 * i) + 2;
        x2[static_cast<std::size_t>(i)] = std::cos(0.17 * i);
        z[static_cast<std::size_t>(i)] = 1.5 * x1[static_cast<std::size_t>(i)] - 4.0 * x2[static_cast<std::size_t>(i)];
        w[static_cast<std::size_t>(i)] = x2[static_cast<std::size_t>(i)] + 0.01 * i;
    }
    const Fit2 ls = LeastSquares2(x1.data(), x2.data(), 50, z.data());
    ExpectClose(ls.Theta1, 1.5, 1e-10);
    ExpectClose(ls.Theta2, 4.0, 1e-10);
    EXPECT_GT(ls.S1, 0);
    const Fit2 iv = InstrumentalVariables2(x1.data(), x2.data(), 50, z.data(), w.data());
    ExpectClose(iv.Theta1, 1.5, 1e-9);
    ExpectClose(iv.Theta2, 4.0, 1e-9);

    // A singular system scales the adjugate by 1E15 instead of failing.
    const Matrix2 singular = Invert2x2(1, 2, 2, 4);
    EXPECT_EQ(singular.I11, 4e15);
    EXPECT_EQ(singular.I12, -2e15);
    const Fit2 empty = LeastSquares2(x1.data(), x2.data(), 0, z.data());
    EXPECT_EQ(empty.Theta1, 0);
    EXPECT_EQ(empty.S1, 0);
}

TEST(QuadraticRoots, RealAndComplexBranches)
{
    // s^2 - 3s + 2 = 0: roots 2 and 1 (c = 1, b = -3, a = 2).
    const QuadraticRootsResult real = QuadraticRoots(2, -3, 1);
    EXPECT_EQ(real.Re1, 2);
    EXPECT_EQ(real.Re2, 1);
    EXPECT_EQ(real.Im1, 0);
    // s^2 + 2s + 5 = 0: -1 +- 2j.
    const QuadraticRootsResult complex = QuadraticRoots(5, 2, 1);
    EXPECT_EQ(complex.Re1, -1);
    EXPECT_EQ(complex.Re2, -1);
    EXPECT_EQ(complex.Im1, 2);
    EXPECT_EQ(complex.Im2, -2);
    // No quadratic term: the divisions fall back to 1E10.
    const QuadraticRootsResult linear = QuadraticRoots(1, 2, 0);
    EXPECT_EQ(linear.Re1, 1e10);
}

TEST(Histogram20, PlacesMinimumInTheFirstAndMaximumInTheLastBin)
{
    std::vector<double> a;
    for (int i = 0; i <= 100; ++i)
        a.push_back(i * 0.1);  // 0 .. 10
    double edges[20], counts[20], min = 0, max = 0;
    Histogram20(a.data(), 1, 101, edges, counts, min, max);
    EXPECT_EQ(min, 0);
    ExpectClose(max, 10, 1e-12);
    ExpectClose(edges[1], 0.5, 1e-12);
    ExpectClose(edges[19], 9.5, 1e-12);
    double total = 0;
    for (double c : counts)
        total += c;
    EXPECT_EQ(total, 101);
    EXPECT_EQ(counts[0], 6);   // 0 .. 0.5: the minimum plus 0.1 .. 0.5
    EXPECT_EQ(counts[19], 5);  // 9.6 .. 10

    // No spread: every sample lands in the first bin.
    std::vector<double> flat(7, 3.0);
    Histogram20(flat.data(), 1, 7, edges, counts, min, max);
    EXPECT_EQ(counts[0], 7);
    EXPECT_EQ(edges[19], 3.0);
    // One sample: max = min = 0 and the sample is counted once.
    Histogram20(flat.data(), 2, 2, edges, counts, min, max);
    EXPECT_EQ(max, 0);
    EXPECT_EQ(counts[0], 1);
}

TEST(BoolText, StrictAndLenientReadings)
{
    EXPECT_STREQ(BoolToText(true), "True");
    EXPECT_STREQ(BoolToText(false), "False");
    EXPECT_TRUE(TextToBool("True"));
    EXPECT_TRUE(TextToBool("true"));
    EXPECT_TRUE(TextToBool("1"));
    EXPECT_FALSE(TextToBool("TRUE"));
    EXPECT_FALSE(TextToBool("0"));
    EXPECT_FALSE(TextToBool(" True"));
}
