#pragma once

#include "VDLMessage.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

class QLabel;
class QPushButton;
class QStackedWidget;
class QTabBar;
class QTreeView;
class VDLChartView;
class VDLDifferenceView;
class VDLHistoryModel;
class VDLPayloadView;
class VDLTextField;
class VDLTextView;
class VDLTopic;

// The right pane of a viewer: the selected topic's path, totals and retained marker, one of its
// messages (coloured, pretty-printed JSON, the text as received or a hex dump: VDLPayloadView)
// with its time, QoS and retain flag, and its message history, newest first, each row with a
// preview of its value.
//
// The pane follows the topic's newest message until the user selects a history row; it then
// shows that message, and keeps showing it while newer ones arrive, until "Latest" (or Escape
// in the pane) returns to following the newest. Another topic follows its newest again.
//
// Above the history a tab bar switches between three views of the topic: "Value" (the message),
// "Chart" (the topic's values over time, VDLChartView; only for topics with values to draw) and
// "Difference" (what changed from the message before the one shown, VDLMessageDifference; only
// when there is one before it). The history's "Compare with Previous" opens the last for a row.
// The choice is kept in the preferences (PreferencesKey) and comes back wherever it applies.
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
    enum View { ValueView, ChartView, DifferenceView };
    static constexpr const char *PreferencesKey = "VDLValuePaneView";

    explicit VDLValueViewController(QWidget *parent = nullptr);

    VDLTopic *topic() const { return m_topic; }
    void setTopic(VDLTopic *topic);
    // The object whose search the path and value mark; not owned.
    void setProxy(QObject *proxy);

    // Shows the message in the value view; null shows nothing.
    void showMessage(const VDLMessagePtr &message);
    // The message the value view shows; null when none.
    VDLMessagePtr shownMessage() const { return m_shownMessage; }
    // True unless a history row holds the view on an older message.
    bool isFollowingLatest() const;
    // Leaves the selected history row and shows the newest message again.
    void followLatest();

    QString pathText() const;
    QString historyTitleText() const;
    QString valueText() const;
    QString messageInfoText() const;
    int historyRowCount() const;
    VDLTextField *pathField() const { return m_path; }
    VDLTextView *valueView() const;
    VDLPayloadView *payloadView() const { return m_value; }
    QTreeView *historyView() const { return m_history; }
    VDLHistoryModel *historyModel() const { return m_historyModel; }
    QPushButton *latestButton() const { return m_latest; }
    QTabBar *viewBar() const { return m_views; }
    VDLChartView *chartView() const { return m_chart; }
    // Shows the view when it applies; the user's choice of view.
    void chooseView(View view);
    View currentView() const;
    // The difference shown, as plain text.
    QString differenceText() const;
    // The message before this one in the topic's history; null for the first or one not in it.
    VDLMessagePtr previousMessage(const VDLMessagePtr &message) const;
    // Shows the row's message and its difference from the message before it.
    void compareWithPrevious(const QModelIndex &row);

private:
    void scheduleRefresh();
    void refresh();
    void showSelectedOrLatest();
    void showMessageInfo(const VDLMessagePtr &message);
    QWidget *makeHistoryPane();
    QWidget *makeViews();
    void showHistoryMenu(const QPoint &position);
    void updateViews();

    QPointer<VDLTopic> m_topic;
    VDLMessagePtr m_shownMessage;
    VDLTextField *m_path;
    QLabel *m_totals;
    QLabel *m_messageInfo;
    VDLPayloadView *m_value;
    QLabel *m_historyTitle;
    QPushButton *m_latest;
    VDLHistoryModel *m_historyModel;
    QTreeView *m_history;
    QTabBar *m_views;
    QStackedWidget *m_pages;
    VDLChartView *m_chart;
    VDLDifferenceView *m_difference;
    // The view the user chose last; shown whenever it applies.
    View m_chosenView = ValueView;
    bool m_updatingViews = false;
    QTimer m_refreshTimer;
    QList<QMetaObject::Connection> m_topicConnections;
};
