#pragma once

// Thinning of long sample series for display. A chart a few hundred pixels
// wide cannot show 5000 samples apart; drawing all of them only costs time.
// Keeping the smallest and the largest sample of each pixel column (in their
// order) draws the same envelope, so peaks and steps stay visible. Only the
// drawing is thinned: the store and every statistic keep all samples.

#include <vector>

// Indices (0-based, increasing) of the samples of y[0..count-1] to draw on
// `columns` pixel columns. Up to 2*columns samples are all kept; longer
// series keep the minimum and maximum of each of `columns` equal runs of
// samples plus the first and the last sample. Samples are taken as evenly
// spread along the horizontal axis (true of sampled signals). Values that are
// not finite are left out. columns <= 0 keeps every finite sample.
std::vector<int> ThinnedIndices(const double* y, int count, int columns);

// Indices (0-based, increasing) of the samples of a curve to draw so that the
// polyline through them passes within `tolerance`, measured along y, of every
// sample left out: a smooth curve of thousands of samples keeps a few dozen
// points, a step or noise keeps what it needs. x must increase. The first
// and the last finite sample are kept; values that are not finite are left
// out. A tolerance that is not positive keeps every finite sample.
std::vector<int> SimplifiedIndices(const double* x, const double* y, int count, double tolerance);
