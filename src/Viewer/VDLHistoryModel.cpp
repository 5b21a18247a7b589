#include "VDLHistoryModel.h"

#include "VDLSummaryCell.h"
#include "VDLTopic.h"
#include "VOKDate.h"

#include <algorithm>

VDLHistoryModel::VDLHistoryModel(int limit, QObject *parent)
    : QAbstractTableModel(parent)
    , m_limit(limit)
{
}

void VDLHistoryModel::setTopic(VDLTopic *topic)
{
    beginResetModel();
    m_topic = topic;
    m_seen = topic ? topic->receivedMessageCount() : 0;
    m_rows = newestMessages(0);
    endResetModel();
}

void VDLHistoryModel::sync()
{
    if (!m_topic || m_topic->receivedMessageCount() <= m_seen)
        return;
    const QList<VDLMessagePtr> arrived = newestMessages(m_seen);
    m_seen = m_topic->receivedMessageCount();
    const qsizetype overflow = m_rows.size() + arrived.size() - m_limit;
    if (overflow > 0) {
        // Only old rows leave; rows that would be inserted and removed at once never show.
        const qsizetype leaving = std::min(overflow, m_rows.size());
        beginRemoveRows(QModelIndex(), int(m_rows.size() - leaving), int(m_rows.size() - 1));
        m_rows.remove(m_rows.size() - leaving, leaving);
        endRemoveRows();
    }
    beginInsertRows(QModelIndex(), 0, int(arrived.size() - 1));
    m_rows = arrived + m_rows;
    endInsertRows();
}

QList<VDLMessagePtr> VDLHistoryModel::newestMessages(quint64 from) const
{
    if (!m_topic)
        return {};
    // Messages dropped from the history before they were shown are skipped.
    const quint64 received = m_topic->receivedMessageCount();
    QList<VDLMessagePtr> newest = m_topic->latestMessages(qsizetype(std::min<quint64>(received - from, m_limit)));
    std::reverse(newest.begin(), newest.end());
    return newest;
}

VDLMessagePtr VDLHistoryModel::messageAt(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this || index.row() >= m_rows.size())
        return VDLMessagePtr();
    return m_rows[index.row()];
}

int VDLHistoryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int VDLHistoryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant VDLHistoryModel::data(const QModelIndex &index, int role) const
{
    const VDLMessagePtr message = messageAt(index);
    if (!message)
        return QVariant();
    switch (index.column()) {
    case TimeColumn:
        if (role == Qt::ToolTipRole)
            return vokRelativeTimeString(message->created());
        return role == Qt::DisplayRole ? vokTime24(message->created()) : QVariant();
    case QoSColumn:
        return role == Qt::DisplayRole ? QString::number(message->qos()) : QVariant();
    case RetainedColumn:
        return role == Qt::DisplayRole && message->isRetained() ? QStringLiteral("yes") : QVariant();
    case ValueColumn:
        if (role == Qt::DisplayRole)
            return VDLSummaryCell::displayText(*message);
        if (role == Qt::ToolTipRole)
            return VDLSummaryCell::toolTip(*message);
        return role == AttributedRole ? QVariant::fromValue(VDLSummaryCell::styled(*message)) : QVariant();
    default:
        return QVariant();
    }
}

QVariant VDLHistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    static const char *const titles[] = {"Time", "QoS", "Retained", "Value"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(titles[section]) : QVariant();
}
