#pragma once

#include "VDLChartField.h"
#include "VDLChartSeries.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

class QComboBox;
class QCPGraph;
class QCustomPlot;
class QMouseEvent;
class VDLTopic;

// A chart of one field of a topic's values over its whole history: numbers as a line, states
// (booleans, ON/OFF) as steps, local times along the bottom.
//
// A field chooser offers what the newest messages have (the payload itself or the numeric
// leaves of JSON objects); the choice is remembered per topic path in the preferences under
// "VDLChartFields". The chart follows new messages, redrawn at most every RedrawMilliseconds,
// showing the whole history; once the user zooms (wheel) or pans (drag) the time range stays
// where it was put until a double-click returns to the whole history. Hovering shows the exact
// time and value of the nearest point drawn.
//
// The widget never gets more than about two points per pixel column (VDLChartDecimator); the
// series is read incrementally, a long history of JSON objects over several event loop turns.
//
// While hidden the chart only follows whether there is anything to draw; it draws when shown.
//
// Ownership: the topic is not owned and may go away. GUI thread.
class VDLChartView final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int RedrawMilliseconds = 250;
    static constexpr const char *PreferencesKey = "VDLChartFields";

    explicit VDLChartView(QWidget *parent = nullptr);
    ~VDLChartView() override;

    VDLTopic *topic() const { return m_topic; }
    void setTopic(VDLTopic *topic);

    // What the chooser offers, and what is drawn.
    const QList<VDLChartField> &fields() const { return m_fields; }
    const VDLChartField &field() const { return m_series.field(); }
    // Draws the field and remembers the choice for the topic's path.
    void chooseField(const VDLChartField &field);
    // Whether the topic has anything to draw.
    bool hasValues() const { return !m_fields.isEmpty(); }

    // True while the chart shows the whole history and follows it.
    bool isFollowing() const { return m_following; }
    // Shows the whole history again (what a double-click does).
    void resetView();
    // Takes in what arrived and draws now, rather than at the next redraw.
    void redraw();

    // The text hovering shows near that point of the plot; empty far from any point.
    QString hoverText(const QPoint &position) const;
    // How many of the topic's messages the chart has read.
    quint64 messagesRead() const { return m_series.messagesRead(); }
    // How many points the plot was given at the last redraw.
    int drawnPointCount() const;
    QCustomPlot *plot() const { return m_plot; }
    QComboBox *fieldChooser() const { return m_chooser; }

Q_SIGNALS:
    // The topic got or lost things to draw.
    void hasValuesChanged(bool hasValues);
    // The plot shows what had arrived by now.
    void redrawn();

protected:
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void scheduleRedraw();
    void drawSeries();
    void updateFields();
    VDLChartField rememberedField() const;
    void userChangedRange();
    void setTimeRange(double from, double to);
    void fitValueRange(const std::vector<double> &values);
    void showHover(QMouseEvent *event);
    // Follows the desktop's colours, dark ones included.
    void applyPalette();

    QPointer<VDLTopic> m_topic;
    QMetaObject::Connection m_topicConnection;
    QList<VDLChartField> m_fields;
    VDLChartSeries m_series;
    QComboBox *m_chooser;
    QCustomPlot *m_plot;
    QCPGraph *m_graph;
    QTimer m_redrawTimer;
    // Goes on reading a long history in the next turn of the event loop.
    QTimer m_readTimer;
    bool m_following = true;
    bool m_settingRange = false;
    // Something arrived while hidden.
    bool m_isStale = false;
};
