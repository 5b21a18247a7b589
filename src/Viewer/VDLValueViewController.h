#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

class QLabel;
class QTreeWidget;
class VDLPayloadView;
class VDLTextField;
class VDLTextView;
class VDLTopic;

// The right pane of a viewer: the selected topic's path, totals and retained marker, its latest
// value (coloured, pretty-printed JSON, the text as received or a hex dump, VDLPayloadView) and its message history, newest
// first, with arrival times, QoS and retain flag.
//
// Follows the topic it is given; a busy topic refreshes the pane at most a few times a second.
// The path and the value mark the search text of the pane's proxy (the viewer controller), the
// value only while the search includes payloads. GUI thread.
class VDLValueViewController final : public QWidget
{
    Q_OBJECT

public:
    // How many of the newest messages the history list shows.
    static constexpr int ShownHistory = 500;

    explicit VDLValueViewController(QWidget *parent = nullptr);

    VDLTopic *topic() const { return m_topic; }
    void setTopic(VDLTopic *topic);
    // The object whose search the path and value mark; not owned.
    void setProxy(QObject *proxy);

    QString pathText() const;
    QString valueText() const;
    int historyRowCount() const;
    VDLTextField *pathField() const { return m_path; }
    VDLTextView *valueView() const;
    VDLPayloadView *payloadView() const { return m_value; }

private:
    void scheduleRefresh();
    void refresh();
    void showHistory();

    QPointer<VDLTopic> m_topic;
    VDLTextField *m_path;
    QLabel *m_totals;
    VDLPayloadView *m_value;
    QLabel *m_historyTitle;
    QTreeWidget *m_history;
    QTimer m_refreshTimer;
    QList<QMetaObject::Connection> m_topicConnections;
};
