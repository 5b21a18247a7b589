#include "VDLTopicsViewController.h"

#include "VDLClient.h"
#include "VDLConnectionProblemHandler.h"
#include "VDLTopic.h"
#include "VDLTopicSortOrder.h"
#include "VDLTopicsModel.h"
#include "VOKAttributedItemDelegate.h"
#include "VOKOutlineView.h"
#include "VOKString.h"

#include <QComboBox>

#include <algorithm>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QVBoxLayout>

VDLTopicsViewController::VDLTopicsViewController(QWidget *parent)
    : QWidget(parent)
    , m_sortOrder(new VDLTopicSortOrder(this))
    , m_model(new VDLTopicsModel(this))
    , m_outline(new VOKOutlineView(this))
    , m_orderChoice(new QComboBox(this))
    , m_connectionProblems(new VDLConnectionProblemHandler(this))
{
    m_model->setComparator(m_sortOrder->comparator());
    m_outline->setModel(m_model);
    m_outline->setRepresentedObjectRole(VDLTopicsModel::TopicRole);
    m_outline->setItemDelegate(new VOKAttributedItemDelegate(VDLTopicsModel::AttributedRole, m_outline));
    m_outline->setUniformRowHeights(true);
    m_outline->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_outline->header()->setSectionResizeMode(VDLTopicsModel::NameColumn, QHeaderView::Interactive);
    m_outline->header()->resizeSection(VDLTopicsModel::NameColumn, 220);
    // Wide enough for its title and two counts in the thousands; the retained mark needs little.
    m_outline->header()->resizeSection(VDLTopicsModel::InfoColumn, 140);
    m_outline->header()->resizeSection(VDLTopicsModel::RetainedColumn, 40);
    m_outline->header()->setStretchLastSection(true);

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

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_orderChoice);
    layout->addWidget(m_outline, 1);
}

VDLTopicsViewController::~VDLTopicsViewController()
{
    if (m_client)
        m_client->setDelegate(nullptr);
}

void VDLTopicsViewController::setClient(VDLClient *client)
{
    m_client = client;
    client->setDelegate(this);
    connect(client, &VDLClient::rootTopicChanged, this, &VDLTopicsViewController::showRoot);
    showRoot();
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

void VDLTopicsViewController::copy()
{
    QModelIndexList rows = m_outline->selectionModel()->selectedRows();
    // In the order they are shown, not the order they were clicked.
    std::sort(rows.begin(), rows.end(), [this](const QModelIndex &a, const QModelIndex &b) {
        return m_outline->visualRect(a).top() < m_outline->visualRect(b).top();
    });
    QStringList paths;
    for (const QModelIndex &row : rows) {
        if (const VDLTopic *topic = VDLTopicsModel::topicAt(row))
            paths.append(topic->path());
    }
    if (!paths.isEmpty())
        vokCopyToPasteboard(paths.join(QLatin1Char('\n')));
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
    // A subscription filter names its topic without the wildcard.
    const QString topicPath = vokStringByRemovingSuffix(vokStringByRemovingSuffix(path, QStringLiteral("#")),
                                                        QStringLiteral("/"));
    m_pendingExpandPath = vokStringByRemovingPrefix(topicPath, QStringLiteral("/"));
    if (m_pendingExpandPath.isNull())
        m_pendingExpandPath = QStringLiteral("");
    trySelectPendingPath();
}

void VDLTopicsViewController::trySelectPendingPath()
{
    VDLTopic *const root = m_model->rootTopic();
    if (m_pendingExpandPath.isNull() || !root)
        return;
    VDLTopic *const topic = m_pendingExpandPath.isEmpty() ? root : root->topicAtRelativePath(m_pendingExpandPath);
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
    Q_EMIT selectedTopicChanged(selectedTopic());
}

void VDLTopicsViewController::clientDataWillChange(VDLClient *) {}

void VDLTopicsViewController::clientDataDidChange(VDLClient *)
{
    trySelectPendingPath();
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
