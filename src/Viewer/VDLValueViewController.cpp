#include "VDLValueViewController.h"

#include "VDLChartView.h"
#include "VDLDifferenceView.h"
#include "VDLHistoryModel.h"
#include "VDLPayloadView.h"
#include "VDLTextField.h"
#include "VDLTopic.h"
#include "VOKAttributedItemDelegate.h"
#include "VOKDate.h"
#include "VOKPreferences.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabBar>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

constexpr int refreshMilliseconds = 200;
// The tabs' titles, in the order of VDLValueViewController::View; also what the preferences keep.
const QStringList viewTitles = {QStringLiteral("Value"), QStringLiteral("Chart"), QStringLiteral("Difference")};

QString messageTitle(const VDLTopic &topic)
{
    const quint64 total = topic.receivedMessageCount();
    const qsizetype shown = std::min<qsizetype>(VDLValueViewController::ShownHistory, topic.history().size());
    const QString title = total > quint64(shown) ? QStringLiteral("History (newest %1 of %2)").arg(shown).arg(total)
                                                 : QStringLiteral("History (%1)").arg(total);
    if (topic.history().droppedCount() == 0)
        return title;
    return title + QStringLiteral(", older messages dropped to stay within the history budget");
}

} // namespace

VDLValueViewController::VDLValueViewController(QWidget *parent)
    : QWidget(parent)
    , m_path(new VDLTextField(this))
    , m_totals(new QLabel(this))
    , m_messageInfo(new QLabel(this))
    , m_value(new VDLPayloadView(this))
    , m_historyTitle(new QLabel(this))
    , m_latest(new QPushButton(QStringLiteral("Latest"), this))
    , m_historyModel(new VDLHistoryModel(ShownHistory, this))
    , m_history(new QTreeView(this))
    , m_views(new QTabBar(this))
    , m_pages(new QStackedWidget(this))
    , m_chart(new VDLChartView(this))
    , m_difference(new VDLDifferenceView(this))
{
    QFont bold = m_path->font();
    bold.setBold(true);
    m_path->setFont(bold);

    auto *values = new QSplitter(Qt::Vertical, this);
    values->addWidget(makeViews());
    values->addWidget(makeHistoryPane());

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_path);
    layout->addWidget(m_totals);
    layout->addWidget(values, 1);

    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &VDLValueViewController::followLatest);

    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(refreshMilliseconds);
    connect(&m_refreshTimer, &QTimer::timeout, this, &VDLValueViewController::refresh);
    refresh();
}

QWidget *VDLValueViewController::makeViews()
{
    auto *valuePage = new QWidget(this);
    auto *valueLayout = new QVBoxLayout(valuePage);
    valueLayout->setContentsMargins(0, 0, 0, 0);
    valueLayout->addWidget(m_messageInfo);
    valueLayout->addWidget(m_value, 1);
    m_pages->addWidget(valuePage);
    m_pages->addWidget(m_chart);
    m_pages->addWidget(m_difference);
    for (const QString &title : viewTitles)
        m_views->addTab(title);
    m_views->setFocusPolicy(Qt::StrongFocus);
    m_views->setExpanding(false);
    m_chosenView = View(std::max<qsizetype>(0, viewTitles.indexOf(VOKPreferences::standard().stringForKey(QLatin1String(PreferencesKey)))));
    connect(m_views, &QTabBar::currentChanged, this, [this](int index) {
        if (!m_updatingViews)
            chooseView(View(index));
    });
    connect(m_chart, &VDLChartView::hasValuesChanged, this, &VDLValueViewController::updateViews);

    auto *views = new QWidget(this);
    auto *layout = new QVBoxLayout(views);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_views);
    layout->addWidget(m_pages, 1);
    return views;
}

void VDLValueViewController::chooseView(View view)
{
    m_chosenView = view;
    VOKPreferences::standard().setObject(viewTitles[view], QLatin1String(PreferencesKey));
    updateViews();
}

VDLValueViewController::View VDLValueViewController::currentView() const
{
    return View(m_pages->currentIndex());
}

void VDLValueViewController::updateViews()
{
    const QScopedValueRollback updating(m_updatingViews, true);
    m_views->setTabVisible(ChartView, m_chart->hasValues());
    m_views->setTabVisible(DifferenceView, previousMessage(m_shownMessage) != nullptr);
    const View shown = m_views->isTabVisible(m_chosenView) ? m_chosenView : ValueView;
    m_views->setCurrentIndex(shown);
    m_pages->setCurrentIndex(shown);
    if (shown == DifferenceView)
        m_difference->showDifference(previousMessage(m_shownMessage), m_shownMessage);
}

VDLMessagePtr VDLValueViewController::previousMessage(const VDLMessagePtr &message) const
{
    return message && m_topic ? m_topic->messageBefore(*message) : VDLMessagePtr();
}

QString VDLValueViewController::differenceText() const
{
    return currentView() == DifferenceView ? m_difference->text() : QString();
}

void VDLValueViewController::compareWithPrevious(const QModelIndex &row)
{
    m_history->selectionModel()->select(row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    chooseView(DifferenceView);
}

void VDLValueViewController::showHistoryMenu(const QPoint &position)
{
    const QModelIndex row = m_history->indexAt(position);
    if (!row.isValid())
        return;
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction *compare = menu->addAction(QStringLiteral("Compare with Previous"), this,
                                       [this, row = QPersistentModelIndex(row)] {
                                           if (row.isValid())
                                               compareWithPrevious(row);
                                       });
    compare->setEnabled(previousMessage(m_historyModel->messageAt(row)) != nullptr);
    menu->popup(m_history->viewport()->mapToGlobal(position));
}

QWidget *VDLValueViewController::makeHistoryPane()
{
    m_history->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_history, &QWidget::customContextMenuRequested, this, &VDLValueViewController::showHistoryMenu);
    m_history->setModel(m_historyModel);
    m_history->setItemDelegate(new VOKAttributedItemDelegate(VDLHistoryModel::AttributedRole, m_history));
    m_history->setRootIsDecorated(false);
    m_history->setUniformRowHeights(true);
    m_history->setSelectionMode(QAbstractItemView::SingleSelection);
    m_history->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_history->header()->setStretchLastSection(true);
    // The value gets the width; the other columns need about their titles' width.
    const QFontMetrics metrics(m_history->font());
    for (const auto &[column, widest] : {std::pair(VDLHistoryModel::TimeColumn, "00:00:00"),
                                         std::pair(VDLHistoryModel::QoSColumn, "QoS"),
                                         std::pair(VDLHistoryModel::RetainedColumn, "Retained")})
        m_history->header()->resizeSection(column, metrics.horizontalAdvance(QLatin1String(widest)) + 2 * metrics.averageCharWidth() + 8);
    connect(m_history->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &VDLValueViewController::showSelectedOrLatest);
    m_latest->setToolTip(QStringLiteral("Show the newest message as it arrives (Escape)"));
    m_latest->setEnabled(false);
    connect(m_latest, &QPushButton::clicked, this, &VDLValueViewController::followLatest);

    auto *pane = new QWidget(this);
    auto *title = new QHBoxLayout;
    title->addWidget(m_historyTitle, 1);
    title->addWidget(m_latest);
    auto *layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(title);
    layout->addWidget(m_history);
    return pane;
}

void VDLValueViewController::setTopic(VDLTopic *topic)
{
    if (topic == m_topic)
        return;
    for (const QMetaObject::Connection &connection : std::as_const(m_topicConnections))
        disconnect(connection);
    m_topicConnections.clear();
    m_topic = topic;
    if (topic) {
        for (const auto signal : {&VDLTopic::messagesChanged, &VDLTopic::totalMessagesChanged,
                                  &VDLTopic::totalRetainedTopicsChanged})
            m_topicConnections.append(connect(topic, signal, this, &VDLValueViewController::scheduleRefresh));
    }
    // A reset: no row stays selected, so the pane follows the new topic's newest message, and
    // shows none when the topic has none rather than keep the last topic's.
    m_historyModel->setTopic(topic);
    showMessage(VDLMessagePtr());
    m_chart->setTopic(topic);
    refresh();
}

void VDLValueViewController::setProxy(QObject *proxy)
{
    m_path->setProxy(proxy);
    m_value->setProxy(proxy);
}

void VDLValueViewController::showMessage(const VDLMessagePtr &message)
{
    m_shownMessage = message;
    showMessageInfo(message);
    m_value->showMessage(message);
    updateViews();
}

void VDLValueViewController::showMessageInfo(const VDLMessagePtr &message)
{
    if (!message) {
        m_messageInfo->clear();
        return;
    }
    const QString details = QStringLiteral("%1 · QoS %2%3")
                                .arg(vokTime24(message->created()))
                                .arg(message->qos())
                                .arg(message->isRetained() ? QStringLiteral(" · retained") : QString());
    m_messageInfo->setText(isFollowingLatest() ? QStringLiteral("Latest message, received ") + details
                                               : QStringLiteral("Message received ") + details);
    m_messageInfo->setToolTip(vokRelativeTimeString(message->created()));
}

bool VDLValueViewController::isFollowingLatest() const
{
    return !m_history->selectionModel()->hasSelection();
}

void VDLValueViewController::followLatest()
{
    m_history->clearSelection();
    m_history->scrollToTop();
}

void VDLValueViewController::showSelectedOrLatest()
{
    m_latest->setEnabled(!isFollowingLatest());
    const QModelIndexList rows = m_history->selectionModel()->selectedRows();
    if (!rows.isEmpty())
        showMessage(m_historyModel->messageAt(rows.first()));
    else
        showMessage(m_topic ? m_topic->latestMessage() : VDLMessagePtr());
}

QString VDLValueViewController::pathText() const
{
    return m_path->text();
}

QString VDLValueViewController::historyTitleText() const
{
    return m_historyTitle->text();
}

QString VDLValueViewController::valueText() const
{
    return m_value->text();
}

VDLTextView *VDLValueViewController::valueView() const
{
    return m_value->textView();
}

QString VDLValueViewController::messageInfoText() const
{
    return m_messageInfo->text();
}

int VDLValueViewController::historyRowCount() const
{
    return m_historyModel->rowCount();
}

void VDLValueViewController::scheduleRefresh()
{
    if (!m_refreshTimer.isActive())
        m_refreshTimer.start();
}

void VDLValueViewController::refresh()
{
    m_refreshTimer.stop();
    if (!m_topic) {
        m_path->setText(QStringLiteral("No topic selected"));
        m_totals->clear();
        m_historyTitle->clear();
        // The topic may have been deleted under the rows.
        if (m_historyModel->rowCount() > 0)
            m_historyModel->setTopic(nullptr);
        m_latest->setEnabled(false);
        showMessage(VDLMessagePtr());
        return;
    }
    m_path->setText(m_topic->path().isNull() ? m_topic->displayName() : m_topic->path());
    const QString retained = m_topic->totalRetainedTopics() > 0
        ? QStringLiteral(", %1 retained").arg(m_topic->totalRetainedTopics())
        : QString();
    m_totals->setText(QStringLiteral("%1 topics, %2 messages%3")
                          .arg(m_topic->totalTopics())
                          .arg(m_topic->totalMessages())
                          .arg(retained));
    m_historyTitle->setText(messageTitle(*m_topic));
    m_historyModel->sync();
    m_latest->setEnabled(!isFollowingLatest());
    // An older message held by the selection stays; the newest is shown once.
    if (isFollowingLatest() && !vdlIsSameMessage(m_topic->latestMessage(), m_shownMessage))
        showMessage(m_topic->latestMessage());
}
