#pragma once

#include "VDLChartField.h"
#include "VDLMessageHistory.h"

#include <QList>

#include <limits>
#include <vector>

// The values of one field of a topic's messages with their arrival times, in arrival order,
// kept side by side in plain arrays so that a chart can sweep a million of them in a few
// milliseconds.
//
// Built incrementally: extend() reads only the messages it has not read yet, and at most as
// many as it is allowed at a time, so a long history of JSON objects can be read across several
// turns of the event loop. Messages without a value for the field are skipped.
//
// A plain value; not thread-safe (the GUI thread owns the topic's messages).
class VDLChartSeries
{
public:
    static constexpr qsizetype Unlimited = std::numeric_limits<qsizetype>::max();

    explicit VDLChartSeries(const VDLChartField &field = VDLChartField());

    const VDLChartField &field() const { return m_field; }

    // Reads up to `limit` of the history's messages after those read before. A history only
    // grows, but may drop its oldest: values read stay, and dropped messages not yet read are
    // skipped. A history with fewer messages received than were read is another one, read from
    // its start. True when every message has been read.
    bool extend(const VDLMessageHistory &history, qsizetype limit = Unlimited);
    // How many of the history's messages have been read or skipped, counted from its first
    // received message.
    quint64 messagesRead() const { return m_read; }

    qsizetype size() const { return qsizetype(m_times.size()); }
    bool isEmpty() const { return m_times.empty(); }
    // Milliseconds since the epoch.
    const std::vector<qint64> &times() const { return m_times; }
    const std::vector<double> &values() const { return m_values; }
    // False once a time came before the one read before it (a clock set back).
    bool isTimeOrdered() const { return m_timeOrdered; }
    // True while every value came from a boolean or a state text (drawn as steps).
    bool isStates() const { return !isEmpty() && m_states; }
    // The extent of the times and the values; meaningless while empty.
    qint64 earliest() const { return m_earliest; }
    qint64 latest() const { return m_latest; }
    double lowest() const { return m_lowest; }
    double highest() const { return m_highest; }

private:
    void clear();
    void append(qint64 time, double value);

    VDLChartField m_field;
    quint64 m_read = 0;
    std::vector<qint64> m_times;
    std::vector<double> m_values;
    bool m_timeOrdered = true;
    bool m_states = true;
    qint64 m_earliest = 0;
    qint64 m_latest = 0;
    double m_lowest = 0;
    double m_highest = 0;
};
