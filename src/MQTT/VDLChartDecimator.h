#pragma once

#include "VDLChartSeries.h"

#include <vector>

// The points of a series worth drawing in a time range on a plot of a given width: for every
// pixel column the lowest and the highest value that fall in it (in the order they came), and
// the nearest point on each side of the range so the line runs on to the edges. A line through
// these looks the same as one through every point, at two points a column whatever the length
// of the history.
//
// Cost: the points in the range when the series is in time order (found by binary search),
// every point otherwise. Pure functions; any thread.
class VDLChartDecimator
{
public:
    struct Points
    {
        // Seconds since the epoch, ascending.
        std::vector<double> keys;
        std::vector<double> values;
    };

    // The range in milliseconds since the epoch; columns of at least 1 (and at most 100,000).
    static Points decimate(const VDLChartSeries &series, double from, double to, int columns);
};
