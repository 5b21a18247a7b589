#pragma once

#include <QList>
#include <QMetaType>

#include <cstdint>
#include <initializer_list>

// A path of indexes from a root down a tree (outline rows, nested arrays). A plain value; any
// thread.
class VOKIndexPath
{
public:
    // Answered where an index is asked of an empty path.
    static constexpr qint64 NotFound = INT64_MAX;

    VOKIndexPath() = default;
    VOKIndexPath(std::initializer_list<qint64> indexes);
    explicit VOKIndexPath(const QList<qint64> &indexes);

    qsizetype length() const { return m_indexes.size(); }
    bool isEmpty() const { return m_indexes.isEmpty(); }
    const QList<qint64> &indexes() const { return m_indexes; }

    // The index at a position, or NotFound past the end.
    qint64 indexAtPosition(qsizetype position) const;
    // The first index, or NotFound for an empty path.
    qint64 firstIndex() const;
    // Every index but the first; the empty path for a path of length 0 or 1.
    VOKIndexPath indexPathByRemovingFirstIndex() const;
    VOKIndexPath indexPathByAddingIndex(qint64 index) const;

    friend bool operator==(const VOKIndexPath &, const VOKIndexPath &) = default;

private:
    QList<qint64> m_indexes;
};

Q_DECLARE_METATYPE(VOKIndexPath)
