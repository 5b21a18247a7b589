#include "VDLChartView.h"

#include "VDLChartDecimator.h"
#include "VDLQCustomPlot.h"
#include "VDLTopic.h"
#include "VOKPreferences.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QScopedValueRollback>
#include <QToolTip>
#include <QVBoxLayout>

namespace {

// Messages of JSON objects read in one turn of the event loop: some tens of milliseconds.
constexpr qsizetype objectsPerTurn = 20'000;
// How far from a point the pointer may be for its values to show.
constexpr double hoverPixels = 24;
// Points are marked while there are this few of them.
constexpr int markedPoints = 60;
constexpr double secondsPerDay = 24 * 3600;

QString timeFormat(double seconds)
{
    if (seconds < 10)
        return QStringLiteral("HH:mm:ss.zzz");
    if (seconds < 2 * secondsPerDay)
        return QStringLiteral("HH:mm:ss");
    return QStringLiteral("d MMM\nHH:mm");
}

} // namespace

VDLChartView::VDLChartView(QWidget *parent)
    : QWidget(parent)
    , m_chooser(new QComboBox(this))
    , m_plot(new QCustomPlot(this))
    , m_graph(m_plot->addGraph())
{
    // No mnemonic: Alt+F opens the File menu.
    auto *label = new QLabel(QStringLiteral("Field:"), this);
    m_chooser->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(m_chooser, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && index < m_fields.size())
            chooseField(m_fields[index]);
    });
    auto *chooserRow = new QHBoxLayout;
    chooserRow->addWidget(label);
    chooserRow->addWidget(m_chooser);
    chooserRow->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(chooserRow);
    layout->addWidget(m_plot, 1);

    auto ticker = QSharedPointer<QCPAxisTickerDateTime>::create();
    ticker->setDateTimeSpec(Qt::LocalTime);
    m_plot->xAxis->setTicker(ticker);
    m_plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    m_plot->axisRect()->setRangeDrag(Qt::Horizontal);
    m_plot->axisRect()->setRangeZoom(Qt::Horizontal);
    // A cosmetic hairline: a wider pen is stroked as a filled outline, and the outline of a
    // column-by-column zigzag over a long history took the raster engine seconds to fill.
    QPen line(QColor(0x00, 0x82, 0xc8), 1);
    line.setCosmetic(true);
    m_graph->setPen(line);
    connect(m_plot->xAxis, qOverload<const QCPRange &>(&QCPAxis::rangeChanged), this, &VDLChartView::userChangedRange);
    connect(m_plot, &QCustomPlot::mouseDoubleClick, this, &VDLChartView::resetView);
    connect(m_plot, &QCustomPlot::mouseMove, this, &VDLChartView::showHover);

    applyPalette();
    m_redrawTimer.setSingleShot(true);
    m_redrawTimer.setInterval(RedrawMilliseconds);
    connect(&m_redrawTimer, &QTimer::timeout, this, &VDLChartView::redraw);
    m_readTimer.setSingleShot(true);
    m_readTimer.setInterval(0);
    connect(&m_readTimer, &QTimer::timeout, this, &VDLChartView::redraw);
}

VDLChartView::~VDLChartView() = default;

void VDLChartView::setTopic(VDLTopic *topic)
{
    disconnect(m_topicConnection);
    m_topic = topic;
    if (topic)
        m_topicConnection = connect(topic, &VDLTopic::messagesChanged, this, &VDLChartView::scheduleRedraw);
    m_series = VDLChartSeries();
    updateFields();
    m_series = VDLChartSeries(rememberedField());
    m_chooser->setCurrentIndex(int(m_fields.indexOf(m_series.field())));
    m_following = true;
    redraw();
}

void VDLChartView::chooseField(const VDLChartField &field)
{
    if (m_topic && !m_topic->path().isNull()) {
        QVariantMap chosen = VOKPreferences::standard().dictionaryForKey(QLatin1String(PreferencesKey));
        chosen.insert(m_topic->path(), field.name());
        VOKPreferences::standard().setObject(chosen, QLatin1String(PreferencesKey));
    }
    m_series = VDLChartSeries(field);
    m_chooser->setCurrentIndex(int(m_fields.indexOf(field)));
    m_following = true;
    redraw();
}

VDLChartField VDLChartView::rememberedField() const
{
    const QString name = m_topic
        ? VOKPreferences::standard().dictionaryForKey(QLatin1String(PreferencesKey)).value(m_topic->path()).toString()
        : QString();
    for (const VDLChartField &field : m_fields) {
        if (field.name() == name)
            return field;
    }
    return m_fields.isEmpty() ? VDLChartField() : m_fields.first();
}

void VDLChartView::updateFields()
{
    QList<VDLChartField> fields = m_topic ? VDLChartField::fieldsOf(m_topic->latestMessages(VDLChartField::newestRead)) : QList<VDLChartField>();
    // A field drawn stays offered while its messages are still there, even when the newest lack it.
    if (!m_series.isEmpty() && !fields.contains(m_series.field()))
        fields.append(m_series.field());
    if (fields == m_fields)
        return;
    const bool hadValues = hasValues();
    m_fields = fields;
    const QSignalBlocker blocker(m_chooser);
    m_chooser->clear();
    for (const VDLChartField &field : std::as_const(m_fields))
        m_chooser->addItem(field.name());
    m_chooser->setCurrentIndex(int(m_fields.indexOf(m_series.field())));
    if (hadValues != hasValues())
        Q_EMIT hasValuesChanged(hasValues());
}

void VDLChartView::scheduleRedraw()
{
    if (!m_redrawTimer.isActive())
        m_redrawTimer.start();
}

void VDLChartView::redraw()
{
    m_redrawTimer.stop();
    updateFields();
    // A topic whose first values just arrived starts with its first field.
    if (m_series.isEmpty() && !m_fields.isEmpty() && !m_fields.contains(m_series.field())) {
        m_series = VDLChartSeries(rememberedField());
        m_chooser->setCurrentIndex(int(m_fields.indexOf(m_series.field())));
    }
    // Hidden, only what there is to draw is followed; the drawing waits until it shows.
    m_isStale = !isVisible();
    if (m_isStale)
        return;
    static const VDLMessageHistory noMessages;
    const VDLMessageHistory &messages = m_topic ? m_topic->history() : noMessages;
    if (!m_series.extend(messages, m_series.field().isPayload() ? VDLChartSeries::Unlimited : objectsPerTurn))
        m_readTimer.start();
    if (m_following && !m_series.isEmpty()) {
        // A little room on both sides keeps the first and the newest point off the edges; one
        // point, or all at one moment, gets a minute around it.
        const double span = double(m_series.latest() - m_series.earliest()) / 1000.0;
        const double pad = span > 0 ? span * 0.02 : 60;
        setTimeRange(m_series.earliest() / 1000.0 - pad, m_series.latest() / 1000.0 + pad);
    }
    drawSeries();
    m_plot->replot();
    Q_EMIT redrawn();
}

void VDLChartView::resetView()
{
    m_following = true;
    redraw();
}

void VDLChartView::userChangedRange()
{
    if (m_settingRange)
        return;
    m_following = false;
    drawSeries();
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

void VDLChartView::setTimeRange(double from, double to)
{
    const QScopedValueRollback<bool> setting(m_settingRange, true);
    m_plot->xAxis->setRange(from, to);
}

void VDLChartView::drawSeries()
{
    const QCPRange range = m_plot->xAxis->range();
    const VDLChartDecimator::Points points =
        VDLChartDecimator::decimate(m_series, range.lower * 1000, range.upper * 1000, m_plot->axisRect()->width());
    QVector<QCPGraphData> data(qsizetype(points.keys.size()));
    for (size_t index = 0; index < points.keys.size(); ++index)
        data[qsizetype(index)] = QCPGraphData(points.keys[index], points.values[index]);
    m_graph->data()->set(data, true);
    m_graph->setLineStyle(m_series.isStates() ? QCPGraph::lsStepLeft : QCPGraph::lsLine);
    m_graph->setScatterStyle(data.size() <= markedPoints ? QCPScatterStyle(QCPScatterStyle::ssDisc, 5)
                                                         : QCPScatterStyle());
    if (auto ticker = m_plot->xAxis->ticker().dynamicCast<QCPAxisTickerDateTime>())
        ticker->setDateTimeFormat(timeFormat(range.size()));
    fitValueRange(points.values);
}

void VDLChartView::fitValueRange(const std::vector<double> &values)
{
    if (m_series.isStates()) {
        m_plot->yAxis->setRange(-0.1, 1.1);
        return;
    }
    if (values.empty())
        return;
    const auto [lowest, highest] = std::minmax_element(values.begin(), values.end());
    const double margin = *highest > *lowest ? (*highest - *lowest) * 0.05 : std::max(1.0, std::abs(*lowest) * 0.05);
    // Values near the ends of a double's range leave no room for a margin.
    const QCPRange range(*lowest - margin, *highest + margin);
    m_plot->yAxis->setRange(QCPRange::validRange(range) ? range : QCPRange(*lowest, *highest));
}

QString VDLChartView::hoverText(const QPoint &position) const
{
    double nearest = hoverPixels * hoverPixels;
    const QCPGraphData *found = nullptr;
    for (const QCPGraphData &point : *m_graph->data()) {
        const double dx = m_plot->xAxis->coordToPixel(point.key) - position.x();
        const double dy = m_plot->yAxis->coordToPixel(point.value) - position.y();
        if (dx * dx + dy * dy < nearest) {
            nearest = dx * dx + dy * dy;
            found = &point;
        }
    }
    if (!found)
        return QString();
    const QDateTime time = QDateTime::fromMSecsSinceEpoch(qRound64(found->key * 1000));
    return QStringLiteral("%1\n%2: %3")
        .arg(time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")), field().name(),
             QString::number(found->value, 'g', QLocale::FloatingPointShortest));
}

void VDLChartView::showHover(QMouseEvent *event)
{
    const QString text = hoverText(event->position().toPoint());
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPosition().toPoint(), text, m_plot);
}

int VDLChartView::drawnPointCount() const
{
    return m_graph->dataCount();
}

void VDLChartView::applyPalette()
{
    m_plot->setBackground(palette().base());
    const QPen text(palette().color(QPalette::Text));
    const QPen grid(palette().color(QPalette::Mid), 0, Qt::DotLine);
    for (QCPAxis *axis : {m_plot->xAxis, m_plot->yAxis}) {
        axis->setBasePen(text);
        axis->setTickPen(text);
        axis->setSubTickPen(text);
        axis->setTickLabelColor(text.color());
        axis->grid()->setPen(grid);
    }
}

void VDLChartView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        applyPalette();
        m_plot->replot(QCustomPlot::rpQueuedReplot);
    }
}

void VDLChartView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_isStale)
        redraw();
}

void VDLChartView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    scheduleRedraw();
}
