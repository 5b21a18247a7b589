#include "VOKIndexPath.h"

VOKIndexPath::VOKIndexPath(std::initializer_list<qint64> indexes)
    : m_indexes(indexes)
{
}

VOKIndexPath::VOKIndexPath(const QList<qint64> &indexes)
    : m_indexes(indexes)
{
}

qint64 VOKIndexPath::indexAtPosition(qsizetype position) const
{
    return position >= 0 && position < m_indexes.size() ? m_indexes[position] : NotFound;
}

qint64 VOKIndexPath::firstIndex() const
{
    return indexAtPosition(0);
}

VOKIndexPath VOKIndexPath::indexPathByRemovingFirstIndex() const
{
    if (m_indexes.size() <= 1)
        return VOKIndexPath();
    return VOKIndexPath(m_indexes.mid(1));
}

VOKIndexPath VOKIndexPath::indexPathByAddingIndex(qint64 index) const
{
    VOKIndexPath result(*this);
    result.m_indexes.append(index);
    return result;
}
