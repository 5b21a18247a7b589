#include "VDLLineDifference.h"

#include <QHash>

#include <vector>

namespace {

using Line = VDLLineDifference::Line;
using Kind = VDLLineDifference::Kind;

// The lines between the shared start and end: a longest common subsequence by dynamic
// programming over the suffixes (a removal before an addition where both fit), or all removed and then all added when that would be too big.
QList<Line> compareMiddle(const QStringList &before, const QStringList &after)
{
    const qsizetype rows = before.size();
    const qsizetype columns = after.size();
    QList<Line> lines;
    if (rows * columns > VDLLineDifference::MaximumCells) {
        for (const QString &line : before)
            lines.append({Kind::Removed, line});
        for (const QString &line : after)
            lines.append({Kind::Added, line});
        return lines;
    }
    // Lines are told apart by their hashes first: long equal-looking lines cost one comparison.
    std::vector<size_t> beforeHashes;
    std::vector<size_t> afterHashes;
    for (const QString &line : before)
        beforeHashes.push_back(qHash(line));
    for (const QString &line : after)
        afterHashes.push_back(qHash(line));
    const auto same = [&](qsizetype row, qsizetype column) {
        return beforeHashes[size_t(row)] == afterHashes[size_t(column)] && before[row] == after[column];
    };
    // common[i * (columns + 1) + j]: the length of the longest common subsequence of before[i..]
    // and after[j..].
    std::vector<quint32> common(size_t((rows + 1) * (columns + 1)), 0);
    const auto at = [&](qsizetype row, qsizetype column) -> quint32 & {
        return common[size_t(row * (columns + 1) + column)];
    };
    for (qsizetype row = rows - 1; row >= 0; --row) {
        for (qsizetype column = columns - 1; column >= 0; --column)
            at(row, column) = same(row, column) ? at(row + 1, column + 1) + 1
                                                           : std::max(at(row + 1, column), at(row, column + 1));
    }
    qsizetype row = 0;
    qsizetype column = 0;
    while (row < rows || column < columns) {
        if (row < rows && column < columns && same(row, column)) {
            lines.append({Kind::Kept, before[row]});
            ++row, ++column;
        } else if (column < columns && (row == rows || at(row, column + 1) > at(row + 1, column))) {
            lines.append({Kind::Added, after[column++]});
        } else {
            lines.append({Kind::Removed, before[row++]});
        }
    }
    return lines;
}

// Keeps Context lines on each side of a change and folds the rest of every unchanged stretch.
QList<Line> folded(const QList<Line> &lines)
{
    QList<Line> result;
    qsizetype index = 0;
    while (index < lines.size()) {
        if (lines[index].kind != Kind::Kept) {
            result.append(lines[index++]);
            continue;
        }
        qsizetype end = index;
        while (end < lines.size() && lines[end].kind == Kind::Kept)
            ++end;
        const qsizetype head = index == 0 ? 0 : VDLLineDifference::Context;
        const qsizetype tail = end == lines.size() ? 0 : VDLLineDifference::Context;
        if (end - index <= head + tail + 1) {
            result.append(lines.mid(index, end - index));
        } else {
            result.append(lines.mid(index, head));
            result.append({Kind::Skipped, QString::number(end - index - head - tail)});
            result.append(lines.mid(end - tail, tail));
        }
        index = end;
    }
    return result;
}

} // namespace

QList<Line> VDLLineDifference::compare(const QStringList &before, const QStringList &after)
{
    qsizetype start = 0;
    while (start < before.size() && start < after.size() && before[start] == after[start])
        ++start;
    if (start == before.size() && start == after.size())
        return {};
    qsizetype end = 0;
    while (end < before.size() - start && end < after.size() - start
           && before[before.size() - 1 - end] == after[after.size() - 1 - end])
        ++end;
    QList<Line> lines;
    for (qsizetype index = 0; index < start; ++index)
        lines.append({Kind::Kept, before[index]});
    lines.append(compareMiddle(before.mid(start, before.size() - start - end),
                               after.mid(start, after.size() - start - end)));
    for (qsizetype index = after.size() - end; index < after.size(); ++index)
        lines.append({Kind::Kept, after[index]});
    return folded(lines);
}
