#include "VDLValueViewController.h"

#include "VDLPayloadView.h"
#include "VDLTextField.h"
#include "VDLTopic.h"
#include "VOKDate.h"

#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int refreshMilliseconds = 200;
QString messageTitle(qsizetype total)
{
    if (total > VDLValueViewController::ShownHistory)
        return QStringLiteral("History (newest %1 of %2)").arg(VDLValueViewController::ShownHistory).arg(total);
    return QStringLiteral("History (%1)").arg(total);
}

} // namespace

VDLValueViewController::VDLValueViewController(QWidget *parent)
    : QWidget(parent)
    , m_path(new VDLTextField(this))
    , m_totals(new QLabel(this))
    , m_value(new VDLPayloadView(this))
    , m_historyTitle(new QLabel(this))
    , m_history(new QTreeWidget(this))
{
    QFont bold = m_path->font();
    bold.setBold(true);
    m_path->setFont(bold);
    m_history->setRootIsDecorated(false);
    m_history->setUniformRowHeights(true);
    m_history->setHeaderLabels({QStringLiteral("Time"), QStringLiteral("QoS"), QStringLiteral("Retained"),
                                QStringLiteral("Value")});
    m_history->header()->setStretchLastSection(true);

    auto *values = new QSplitter(Qt::Vertical, this);
    values->addWidget(m_value);
    auto *historyPane = new QWidget(values);
    auto *historyLayout = new QVBoxLayout(historyPane);
    historyLayout->setContentsMargins(0, 0, 0, 0);
    historyLayout->addWidget(m_historyTitle);
    historyLayout->addWidget(m_history);
    values->addWidget(historyPane);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_path);
    layout->addWidget(m_totals);
    layout->addWidget(values, 1);

    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(refreshMilliseconds);
    connect(&m_refreshTimer, &QTimer::timeout, this, &VDLValueViewController::refresh);
    refresh();
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
    refresh();
}

void VDLValueViewController::setProxy(QObject *proxy)
{
    m_path->setProxy(proxy);
    m_value->setProxy(proxy);
}

QString VDLValueViewController::pathText() const
{
    return m_path->text();
}

QString VDLValueViewController::valueText() const
{
    return m_value->text();
}

VDLTextView *VDLValueViewController::valueView() const
{
    return m_value->textView();
}

int VDLValueViewController::historyRowCount() const
{
    return m_history->topLevelItemCount();
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
        m_value->showMessage(nullptr);
        m_historyTitle->clear();
        m_history->clear();
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
    m_value->showMessage(m_topic->latestMessage());
    showHistory();
}

void VDLValueViewController::showHistory()
{
    const QList<VDLMessagePtr> &messages = m_topic->messages();
    m_historyTitle->setText(messageTitle(messages.size()));
    m_history->clear();
    QList<QTreeWidgetItem *> rows;
    const qsizetype oldest = std::max<qsizetype>(0, messages.size() - ShownHistory);
    for (qsizetype index = messages.size() - 1; index >= oldest; --index) {
        const VDLMessagePtr &message = messages[index];
        auto *row = new QTreeWidgetItem({vokTime24(message->created()), QString::number(message->qos()),
                                         message->isRetained() ? QStringLiteral("yes") : QString(),
                                         message->summary()});
        row->setToolTip(0, vokRelativeTimeString(message->created()));
        rows.append(row);
    }
    m_history->addTopLevelItems(rows);
}
