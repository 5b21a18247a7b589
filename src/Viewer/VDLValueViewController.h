#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

class QLabel;
class QTextBrowser;
class QTreeWidget;
class VDLTopic;

// The right pane of a viewer: the selected topic's path, totals and retained marker, its latest
// value (coloured, pretty-printed JSON or the text as received) and its message history, newest
// first, with arrival times, QoS and retain flag.
//
// Follows the topic it is given; a busy topic refreshes the pane at most a few times a second.
// GUI thread.
class VDLValueViewController final : public QWidget
{
    Q_OBJECT

public:
    // How many of the newest messages the history list shows.
    static constexpr int ShownHistory = 500;

    explicit VDLValueViewController(QWidget *parent = nullptr);

    VDLTopic *topic() const { return m_topic; }
    void setTopic(VDLTopic *topic);

    QString pathText() const;
    QString valueText() const;
    int historyRowCount() const;

private:
    void scheduleRefresh();
    void refresh();
    void showHistory();

    QPointer<VDLTopic> m_topic;
    QLabel *m_path;
    QLabel *m_totals;
    QTextBrowser *m_value;
    QLabel *m_historyTitle;
    QTreeWidget *m_history;
    QTimer m_refreshTimer;
    QList<QMetaObject::Connection> m_topicConnections;
};
