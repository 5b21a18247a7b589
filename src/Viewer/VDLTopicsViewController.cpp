#include "VDLTopicsViewController.h"

#include "VDLClient.h"
#include "VDLConnectionProblemHandler.h"
#include "VDLHighlight.h"
#include "VDLMessage.h"
#include "VDLOutlineColumns.h"
#include "VDLOutlineSearch.h"
#include "VDLSearchBar.h"
#include "VDLTopic.h"
#include "VDLTopicSortOrder.h"
#include "VDLTopicsActions.h"
#include "VDLTopicsItemDelegate.h"
#include "VDLTopicsModel.h"
#include "VOKModelIndexPaths.h"
#include "VOKOutlineView.h"
#include "VOKString.h"
#include "VOKWindow.h"

#include <QComboBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The topic a subscription path names: "/home/kitchen/#" names home/kitchen, "home/+/temp" home.
QString topicPathOfSubscription(const QString &path)
{
    QString topic = vokStringByRemovingPrefix(path, QStringLiteral("/"));
    topic = vokStringByRemovingSuffix(vokStringByRemovingSuffix(topic, QStringLiteral("#")), QStringLiteral("/"));
    if (const auto parts = vokSplitAtFirst(topic, QStringLiteral("/+")))
        return parts->first;
    return topic;
}

} // namespace

VDLTopicsViewController::VDLTopicsViewController(QWidget *parent)
    : QWidget(parent)
    , m_sortOrder(new VDLTopicSortOrder(this))
    , m_model(new VDLTopicsModel(this))
    , m_outline(new VOKOutlineView(this))
    , m_itemDelegate(new VDLTopicsItemDelegate(m_outline))
    , m_orderChoice(new QComboBox(this))
    , m_actions(new VDLTopicsActions(*this))
    , m_connectionProblems(new VDLConnectionProblemHandler(this))
{
    m_model->setComparator(m_sortOrder->comparator());
    m_outline->setModel(m_model);
    m_outline->setRepresentedObjectRole(VDLTopicsModel::TopicRole);
    m_outline->setItemDelegate(m_itemDelegate);
    m_outline->setUniformRowHeights(true);
    m_outline->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_columns = new VDLOutlineColumns(*m_outline);
    m_outline->header()->resizeSection(VDLTopicsModel::NameColumn, 220);
    // Wide enough for its title and two counts in the thousands; the retained mark needs little.
    m_outline->header()->resizeSection(VDLTopicsModel::InfoColumn, 140);
    m_outline->header()->resizeSection(VDLTopicsModel::RetainedColumn, 40);

    m_orderChoice->addItems({QStringLiteral("Sort by Name"), QStringLiteral("Sort by Creation"),
                             QStringLiteral("Sort by Sub-topics"), QStringLiteral("Sort by Messages")});
    m_orderChoice->setCurrentIndex(int(m_sortOrder->tokenSortOrder()));
    connect(m_orderChoice, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_sortOrder->setTokenSortOrder(quint64(std::max(0, index))); });
    connect(m_sortOrder, &VDLTopicSortOrder::tokenSortOrderChanged, this, [this] {
        m_model->setComparator(m_sortOrder->comparator());
        m_orderChoice->setCurrentIndex(sortOrderIndex());
        Q_EMIT sortOrderIndexChanged();
    });
    connect(m_outline->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &VDLTopicsViewController::updateFromSelection);
    m_search = new VDLOutlineSearch(*this);
    m_searchBar = new VDLSearchBar(*m_search, this);
    // Also while the tree changes: rows that come and go move the selected match.
    connect(m_outline->selectionModel(), &QItemSelectionModel::selectionChanged, m_search,
            &VDLOutlineSearch::updateSearchInfo);
    // Rows arrive once the client announces its batch, after the batch's last did-change.
    connect(m_model, &VDLTopicsModel::topicChangesApplied, this, &VDLTopicsViewController::trySelectPendingPath);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_searchBar);
    layout->addWidget(m_orderChoice);
    layout->addWidget(m_outline, 1);
}

VDLTopicsViewController::~VDLTopicsViewController()
{
    if (m_client)
        m_client->setDelegate(nullptr);
}

void VDLTopicsViewController::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    auto *const frame = qobject_cast<VOKWindow *>(window());
    if (!frame || m_columnsWindow == frame)
        return;
    m_columnsWindow = frame;
    // The window learns its identifier just after it is shown.
    const auto rememberColumns = [this, frame] { m_columns->setAutosaveName(frame->identifier()); };
    connect(frame, &VOKWindow::identifierChanged, m_columns, rememberColumns);
    if (!frame->identifier().isEmpty())
        rememberColumns();
}

void VDLTopicsViewController::setClient(VDLClient *client)
{
    m_client = client;
    client->setDelegate(this);
    connect(client, &VDLClient::rootTopicChanged, this, &VDLTopicsViewController::showRoot);
    showRoot();
}

void VDLTopicsViewController::setHighlightSource(QObject *proxy)
{
    m_highlightObservation = VDLHighlight::observeSearchString(proxy, this, [this](const QString &search) {
        m_itemDelegate->setHighlightString(search);
        m_outline->viewport()->update();
    });
}

VDLTopic *VDLTopicsViewController::selectedTopic() const
{
    const QModelIndexList rows = m_outline->selectionModel()->selectedRows();
    return rows.size() == 1 ? VDLTopicsModel::topicAt(rows.first()) : nullptr;
}

int VDLTopicsViewController::sortOrderIndex() const
{
    return int(m_sortOrder->tokenSortOrder());
}

void VDLTopicsViewController::selectSortOrder(int index)
{
    if (index >= 0 && index < m_orderChoice->count())
        m_sortOrder->setTokenSortOrder(quint64(index));
}

QList<VOKIndexPath> VDLTopicsViewController::selectionIndexPaths() const
{
    QList<VOKIndexPath> paths;
    for (const QModelIndex &row : m_outline->selectionModel()->selectedRows())
        paths.append(VOKModelIndexPaths::indexPathOf(row));
    // Path order is outline order, whatever order the rows were clicked in.
    std::sort(paths.begin(), paths.end(),
              [](const VOKIndexPath &a, const VOKIndexPath &b) { return a.indexes() < b.indexes(); });
    return paths;
}

QList<VDLTopic *> VDLTopicsViewController::selectedObjects() const
{
    return topicsAtIndexPaths(selectionIndexPaths());
}

QList<VDLTopic *> VDLTopicsViewController::topicsAtIndexPaths(const QList<VOKIndexPath> &paths) const
{
    QList<VDLTopic *> topics;
    for (QObject *object : VOKModelIndexPaths::objectsAtIndexPaths(*m_model, paths, VDLTopicsModel::TopicRole)) {
        if (auto *const topic = qobject_cast<VDLTopic *>(object))
            topics.append(topic);
    }
    return topics;
}

// Worked out when asked rather than kept: a kept set would hold deleted topics until the next
// selection change, and would walk a whole subtree on every click.
QSet<VDLTopic *> VDLTopicsViewController::selectedTopics() const
{
    QSet<VDLTopic *> topics;
    for (VDLTopic *const topic : selectedObjects())
        topics.unite(topic->recursiveTopics());
    return topics;
}

QSet<VDLTopic *> VDLTopicsViewController::selectedRetainedTopics() const
{
    QSet<VDLTopic *> retained = selectedTopics();
    retained.removeIf([](const VDLTopic *topic) { return !topic->latestIsRetained(); });
    return retained;
}

void VDLTopicsViewController::copy()
{
    m_actions->copy();
}

void VDLTopicsViewController::performDelete()
{
    m_actions->confirmDelete();
}

void VDLTopicsViewController::deleteSelection()
{
    m_actions->deleteSelection();
}

void VDLTopicsViewController::tableDoubleClicked()
{
    m_actions->tableDoubleClicked();
}

void VDLTopicsViewController::showPublishWindowFor(VDLTopic *topic)
{
    VDLTopicsActions::showPublishWindowFor(topic);
}

void VDLTopicsViewController::showRoot()
{
    VDLTopic *const root = m_client ? m_client->rootTopic() : nullptr;
    if (m_model->rootTopic() == root)
        return;
    m_model->setRootTopic(root);
    m_outline->expand(m_model->index(0, 0));
}

void VDLTopicsViewController::selectPath(const QString &path)
{
    const QString topicPath = topicPathOfSubscription(path);
    if (topicPath.isEmpty())
        return;
    // After the caller (a connect, an opened URL, a restoration) has finished.
    QTimer::singleShot(0, this, [this, topicPath] {
        m_pendingExpandPath = topicPath;
        trySelectPendingPath();
    });
}

void VDLTopicsViewController::trySelectPendingPath()
{
    if (m_pendingExpandPath.isEmpty() || !m_client || !m_model->rootTopic())
        return;
    VDLTopic *const topic = m_client->topicAt(m_pendingExpandPath);
    if (!topic)
        return;
    m_model->flushPendingChanges();
    const QModelIndex index = m_model->indexOfTopic(topic);
    if (!index.isValid())
        return;
    m_pendingExpandPath.clear();
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
        m_outline->expand(parent);
    m_outline->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_outline->scrollTo(index);
}

void VDLTopicsViewController::updateFromSelection()
{
    // Rows come and go during a change; the selection is settled once at its end.
    if (!m_isUpdating)
        Q_EMIT selectedTopicChanged(selectedTopic());
}

void VDLTopicsViewController::clientDataWillChange(VDLClient *)
{
    m_isUpdating = true;
}

void VDLTopicsViewController::clientDataDidChange(VDLClient *)
{
    trySelectPendingPath();
    m_isUpdating = false;
    updateFromSelection();
    m_search->searchNeedsUpdate();
}

void VDLTopicsViewController::keyPressEvent(QKeyEvent *event)
{
    // The outline passes Escape on: it cancels the search.
    if (event->key() == Qt::Key_Escape) {
        m_search->setSearchString(QString());
        return;
    }
    QWidget::keyPressEvent(event);
}

void VDLTopicsViewController::clientDidConnectWithPath(VDLClient *, const QString &path)
{
    showRoot();
    selectPath(path);
}

void VDLTopicsViewController::clientConnectionFailedWithReason(VDLClient *client, int reason)
{
    m_connectionProblems->clientConnectionFailedWithReason(client, reason);
}

void VDLTopicsViewController::clientRequestsCredentialPrompt(VDLClient *client)
{
    m_connectionProblems->clientRequestsCredentialPrompt(client);
}

void VDLTopicsViewController::clientTLSErrorOccurred(VDLClient *client, const QString &text)
{
    m_connectionProblems->clientTLSErrorOccurred(client, text);
}

void VDLTopicsViewController::clientMTLSRequired(VDLClient *client, const QString &text)
{
    m_connectionProblems->clientMTLSRequired(client, text);
}

void VDLTopicsViewController::clientRequestsmTLSPrompt(VDLClient *client)
{
    m_connectionProblems->clientRequestsmTLSPrompt(client);
}

void VDLTopicsViewController::clientTLSSetupFailed(VDLClient *client, const QString &text)
{
    m_connectionProblems->clientTLSSetupFailed(client, text);
}

void VDLTopicsViewController::clientKeyPassphraseRequired(VDLClient *client, bool rejected)
{
    m_connectionProblems->clientKeyPassphraseRequired(client, rejected);
}
