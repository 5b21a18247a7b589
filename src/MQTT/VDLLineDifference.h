#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A line-by-line comparison of two texts: the lines removed, added and kept, as a longest
// common subsequence of the lines finds them. Unchanged lines far from any change are folded
// into one Skipped entry that counts them.
//
// The work is bounded: the lines the texts share at their start and end are matched directly,
// and when what lies between is too large to compare (more than MaximumCells pairs of lines) it
// shows as removed and then added whole. Pure functions; any thread.
class VDLLineDifference
{
public:
    static constexpr qsizetype Context = 3;
    static constexpr qsizetype MaximumCells = 4'000'000;

    enum class Kind { Kept, Removed, Added, Skipped };
    struct Line
    {
        Kind kind;
        // The line; for Skipped the number of lines folded.
        QString text;

        friend bool operator==(const Line &, const Line &) = default;
    };

    // Empty when the texts have the same lines.
    static QList<Line> compare(const QStringList &before, const QStringList &after);
};
