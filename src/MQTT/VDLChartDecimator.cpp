#include "VDLChartDecimator.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int maximumColumns = 100000;
constexpr qsizetype none = -1;

// The indexes of the lowest and the highest value in one column.
struct Column
{
    qsizetype lowest = none;
    qsizetype highest = none;
};

// The span of indexes whose times may fall in the range.
std::pair<qsizetype, qsizetype> candidates(const VDLChartSeries &series, double from, double to)
{
    const std::vector<qint64> &times = series.times();
    if (!series.isTimeOrdered())
        return {0, series.size()};
    const auto begin = std::lower_bound(times.begin(), times.end(), from,
                                        [](qint64 time, double bound) { return double(time) < bound; });
    const auto end = std::upper_bound(begin, times.end(), to,
                                      [](double bound, qint64 time) { return bound < double(time); });
    return {begin - times.begin(), end - times.begin()};
}

void add(VDLChartDecimator::Points &points, const VDLChartSeries &series, qsizetype index)
{
    points.keys.push_back(double(series.times()[size_t(index)]) / 1000.0);
    points.values.push_back(series.values()[size_t(index)]);
}

} // namespace

VDLChartDecimator::Points VDLChartDecimator::decimate(const VDLChartSeries &series, double from, double to,
                                                      int columns)
{
    Points points;
    if (series.isEmpty() || !std::isfinite(from) || !std::isfinite(to) || to < from)
        return points;
    columns = std::clamp(columns, 1, maximumColumns);
    const std::vector<qint64> &times = series.times();
    const std::vector<double> &values = series.values();
    // Columns per millisecond: a multiplication per point, where a division would cost several.
    const double scale = to > from ? columns / (to - from) : 0.0;
    std::vector<Column> buckets(static_cast<size_t>(columns));
    // The nearest points outside the range, by time.
    qsizetype before = none;
    qsizetype after = none;
    const auto [begin, end] = candidates(series, from, to);
    if (series.isTimeOrdered()) {
        before = begin > 0 ? begin - 1 : none;
        after = end < series.size() ? end : none;
    }
    for (qsizetype index = begin; index < end; ++index) {
        const double time = double(times[size_t(index)]);
        if (time < from) {
            if (before == none || times[size_t(before)] < times[size_t(index)])
                before = index;
            continue;
        }
        if (time > to) {
            if (after == none || times[size_t(after)] > times[size_t(index)])
                after = index;
            continue;
        }
        Column &column = buckets[size_t(std::min(columns - 1, int((time - from) * scale)))];
        const double value = values[size_t(index)];
        if (column.lowest == none || value < values[size_t(column.lowest)])
            column.lowest = index;
        if (column.highest == none || value > values[size_t(column.highest)])
            column.highest = index;
    }
    points.keys.reserve(size_t(2 * columns + 2));
    points.values.reserve(size_t(2 * columns + 2));
    if (before != none)
        add(points, series, before);
    for (const Column &column : buckets) {
        if (column.lowest == none)
            continue;
        const bool lowestFirst = times[size_t(column.lowest)] < times[size_t(column.highest)]
            || (times[size_t(column.lowest)] == times[size_t(column.highest)] && column.lowest < column.highest);
        add(points, series, lowestFirst ? column.lowest : column.highest);
        if (column.highest != column.lowest)
            add(points, series, lowestFirst ? column.highest : column.lowest);
    }
    if (after != none)
        add(points, series, after);
    return points;
}
