#pragma once

#include "VDLMessage.h"

#include <QAbstractTableModel>
#include <QList>
#include <QPointer>

class VDLTopic;

// The newest messages of one topic, newest first, as the value pane's history list: arrival
// time, QoS, retain flag and the value (summary and preview, VDLSummaryCell).
//
// sync() takes in what arrived since the last call: new messages are inserted at the top and
// those pushed past the limit are removed at the bottom, so a selected row (a persistent index)
// stays on its message while messages arrive. Another topic resets the model.
//
// Ownership: the topic is not owned and may go away (the rows stay until the next setTopic).
// GUI thread.
class VDLHistoryModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { TimeColumn, QoSColumn, RetainedColumn, ValueColumn, ColumnCount };
    // The value cell as a VOKAttributedString.
    static constexpr int AttributedRole = Qt::UserRole + 1;

    explicit VDLHistoryModel(int limit, QObject *parent = nullptr);

    VDLTopic *topic() const { return m_topic; }
    void setTopic(VDLTopic *topic);
    // Shows the messages the topic received since the last call.
    void sync();
    // The message of a row; null for an index of no row.
    VDLMessagePtr messageAt(const QModelIndex &index) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    // Newest first: those after the first `from` received, at most the limit.
    QList<VDLMessagePtr> newestMessages(quint64 from) const;

    const int m_limit;
    QPointer<VDLTopic> m_topic;
    // Newest first.
    QList<VDLMessagePtr> m_rows;
    // How many of the topic's received messages have been taken in.
    quint64 m_seen = 0;
};
