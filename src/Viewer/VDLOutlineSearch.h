#pragma once

#include "VDLTopic.h"
#include "VDLTopicSearch.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <optional>

class VDLTopicsModel;
class VDLTopicsViewController;
class VOKOutlineView;

// The search of a topics outline: the text, whether payloads are searched, whether the outline
// shows only the matches (and the way down to them), the match last revealed and the info text
// ("3 of 12", "12 found", or none).
//
// Every change of the text or of the payload option searches again at once and keeps the
// current match while it still matches (else the first match is revealed); next and previous
// step from the selected row in outline order and wrap around. While messages arrive, the
// search is refreshed at most about once every ThrottleMilliseconds; a tree that has been quiet
// that long is refreshed on the next turn of the event loop, once the outline shows the change.
// Clearing the text empties the matches and the info and shows the whole tree again; the
// selection stays as it is, and so does the expansion of the rows the filter hid and showed again.
//
// Ownership: a child of the pane whose outline it searches; the tree filter is the root's
// client's. GUI thread.
class VDLOutlineSearch final : public QObject
{
    Q_OBJECT

public:
    static constexpr int ThrottleMilliseconds = 2000;

    explicit VDLOutlineSearch(VDLTopicsViewController &pane);

    QString searchString() const { return m_searchString; }
    void setSearchString(const QString &text);
    bool searchIncludesPreview() const { return m_includesPreview; }
    void setSearchIncludesPreview(bool on);
    bool doFilter() const { return m_doFilter; }
    void setDoFilter(bool on);
    // Null without matches.
    QString searchInfo() const { return m_searchInfo; }
    const VDLTopicSearch &results() const { return m_results; }
    VDLTopic *mostRecentFind() const { return m_mostRecentFind; }

    // Reads the tree ahead of a search (the user is about to type), unless it is unchanged.
    void prepare();
    void findNext() { updateFind(+1); }
    void findPrevious() { updateFind(-1); }
    // The tree changed: refresh, throttled.
    void searchNeedsUpdate();
    // The selection changed: the info follows.
    void updateSearchInfo();

Q_SIGNALS:
    void searchStringChanged(const QString &text);
    void searchIncludesPreviewChanged(bool on);
    void doFilterChanged(bool on);
    void searchInfoChanged(const QString &info);
    // A search ran (for a change of the text or the options, a step, or a refresh).
    void searched();

private:
    void updateFind(int direction);
    void rebuildSearchResults(const VDLTopic *anchor);
    void updateFilter();
    void rememberExpansion();
    void restoreExpansion();
    void revealAndSelectMostRecentFind();

    VDLTopicsViewController &m_pane;
    VDLTopicsModel &m_model;
    VOKOutlineView &m_outline;
    QString m_searchString;
    bool m_includesPreview = false;
    bool m_doFilter = false;
    QString m_searchInfo;
    VDLTopicSearch m_results;
    QPointer<VDLTopic> m_mostRecentFind;
    // The expanded rows when the filter last changed, kept for the rows it hid.
    QList<QPointer<VDLTopic>> m_hiddenExpansion;
    std::optional<qint64> m_lastSearchUpdate;
    bool m_searchResultsNeedUpdate = false;
    QTimer m_autoUpdateTimer;
};
