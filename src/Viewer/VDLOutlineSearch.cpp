#include "VDLOutlineSearch.h"

#include "VDLClient.h"
#include "VDLTopic.h"
#include "VDLTopicsModel.h"
#include "VDLTopicsViewController.h"
#include "VOKClock.h"
#include "VOKOutlineView.h"
#include "VOKTreeFilter.h"

#include <QItemSelectionModel>
#include <QSet>

namespace {

bool sameTopics(const QList<VDLTopic *> &before, const QList<VDLTopic *> &after)
{
    if (before == after)
        return true;
    return before.size() == after.size()
        && QSet<VDLTopic *>(before.cbegin(), before.cend()) == QSet<VDLTopic *>(after.cbegin(), after.cend());
}

qint64 now()
{
    return VOKClock::current().currentMSecsSinceEpoch();
}

} // namespace

VDLOutlineSearch::VDLOutlineSearch(VDLTopicsViewController &pane)
    : QObject(&pane)
    , m_pane(pane)
    , m_model(*pane.model())
    , m_outline(*pane.outlineView())
{
    m_autoUpdateTimer.setSingleShot(true);
    connect(&m_autoUpdateTimer, &QTimer::timeout, this, [this] { updateFind(0); });
    // Matches are held until the next refresh, which may be seconds away.
    connect(&m_model, &VDLTopicsModel::topicChangesApplied, this,
            [this](const VDLTopicChanges &changes) { m_results.forget(changes); });
    connect(&m_model, &QAbstractItemModel::modelAboutToBeReset, this, [this] { m_results.clear(); });
}

void VDLOutlineSearch::setSearchString(const QString &text)
{
    if (text == m_searchString)
        return;
    m_searchString = text;
    Q_EMIT searchStringChanged(text);
    updateFind(0);
}

void VDLOutlineSearch::setSearchIncludesPreview(bool on)
{
    if (on == m_includesPreview)
        return;
    m_includesPreview = on;
    Q_EMIT searchIncludesPreviewChanged(on);
    updateFind(0);
}

void VDLOutlineSearch::setDoFilter(bool on)
{
    if (on == m_doFilter)
        return;
    m_doFilter = on;
    Q_EMIT doFilterChanged(on);
    updateFilter();
}

void VDLOutlineSearch::prepare()
{
    m_model.flushPendingChanges();
    m_results.prepare(m_model);
}

void VDLOutlineSearch::searchNeedsUpdate()
{
    if (m_searchResultsNeedUpdate || m_searchString.isEmpty())
        return;
    m_searchResultsNeedUpdate = true;
    // Even a quiet tree waits for the end of the change: the outline shows new topics only once
    // the client has announced the whole batch.
    const bool recent = m_lastSearchUpdate && now() - *m_lastSearchUpdate <= ThrottleMilliseconds;
    m_autoUpdateTimer.start(recent ? ThrottleMilliseconds : 0);
}

void VDLOutlineSearch::updateFind(int direction)
{
    m_lastSearchUpdate = now();
    m_searchResultsNeedUpdate = false;
    m_autoUpdateTimer.stop();
    const QList<VDLTopic *> selected = direction != 0 ? m_pane.selectedObjects() : QList<VDLTopic *>();
    rebuildSearchResults(selected.value(0));
    VDLTopic *const candidate = m_results.step(direction, m_mostRecentFind);
    // A step the user asked for always shows its match, even the one found last after a click
    // elsewhere; a refresh moves the selection only when the match it showed is gone.
    if (candidate != m_mostRecentFind || direction != 0) {
        m_mostRecentFind = candidate;
        revealAndSelectMostRecentFind();
    }
    updateSearchInfo();
    Q_EMIT searched();
}

void VDLOutlineSearch::rebuildSearchResults(const VDLTopic *anchor)
{
    const QList<VDLTopic *> before = m_results.matches();
    // Rows whose counts moved them are put in place first: the search follows the rows.
    m_model.flushPendingChanges();
    m_results.search(m_model, m_searchString, m_includesPreview, anchor);
    if (!sameTopics(before, m_results.matches()))
        updateFilter();
}

void VDLOutlineSearch::updateFilter()
{
    VDLTopic *const root = m_model.rootTopic();
    VDLClient *const client = root ? root->client() : nullptr;
    if (!client)
        return;
    const bool narrow = m_doFilter && !m_results.isEmpty();
    if (!narrow && !client->treeFilter()->predicate())
        return;
    rememberExpansion();
    if (narrow) {
        client->showOnlyTopics(m_results.matches());
    } else {
        client->updateTreeFilter({}, {root});
    }
    restoreExpansion();
}

// A row the filter hides loses its expansion in the view; it is remembered here until the row
// shows again. For a row on show, the view knows best.
void VDLOutlineSearch::rememberExpansion()
{
    QList<QPointer<VDLTopic>> remembered;
    for (const QPointer<VDLTopic> &topic : std::as_const(m_hiddenExpansion)) {
        if (topic && !m_model.indexOfTopic(topic).isValid())
            remembered.append(topic);
    }
    // Only the expanded rows are descended into: the cost follows what the user opened.
    QList<QModelIndex> pending{m_model.index(0, 0)};
    while (!pending.isEmpty()) {
        const QModelIndex row = pending.takeLast();
        if (!row.isValid() || !m_outline.isExpanded(row))
            continue;
        remembered.append(VDLTopicsModel::topicAt(row));
        for (int child = 0; child < m_model.rowCount(row); ++child)
            pending.append(m_model.index(child, 0, row));
    }
    m_hiddenExpansion = remembered;
}

void VDLOutlineSearch::restoreExpansion()
{
    for (const QPointer<VDLTopic> &topic : std::as_const(m_hiddenExpansion)) {
        const QModelIndex row = topic ? m_model.indexOfTopic(topic) : QModelIndex();
        if (row.isValid() && !m_outline.isExpanded(row))
            m_outline.expand(row);
    }
}

void VDLOutlineSearch::revealAndSelectMostRecentFind()
{
    VDLTopic *const found = m_mostRecentFind;
    if (!found)
        return;
    m_model.flushPendingChanges();
    for (VDLTopic *ancestor : found->ancestors())
        m_outline.expand(m_model.indexOfTopic(ancestor));
    const QModelIndex row = m_model.indexOfTopic(found);
    if (!row.isValid())
        return;
    m_outline.selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_outline.scrollTo(row);
}

void VDLOutlineSearch::updateSearchInfo()
{
    QString info;
    if (!m_results.isEmpty()) {
        const QList<VDLTopic *> selected = m_pane.selectedObjects();
        const qsizetype index = selected.size() == 1 ? m_results.indexOf(selected.first()) : -1;
        info = index >= 0 ? QStringLiteral("%1 of %2").arg(index + 1).arg(m_results.count())
                          : QStringLiteral("%1 found").arg(m_results.count());
    }
    if (info == m_searchInfo && info.isNull() == m_searchInfo.isNull())
        return;
    m_searchInfo = info;
    Q_EMIT searchInfoChanged(info);
}
