#pragma once

#include "VDLClientDelegate.h"
#include "VOKIndexPath.h"
#include "VOKKVOBlock.h"

#include <QPointer>
#include <QSet>
#include <QString>
#include <QWidget>

class QComboBox;
class VDLClient;
class VDLConnectionProblemHandler;
class VDLOutlineColumns;
class VDLOutlineSearch;
class VDLSearchBar;
class VDLTopic;
class VDLTopicsActions;
class VDLTopicSortOrder;
class VDLTopicsItemDelegate;
class VDLTopicsModel;
class VOKOutlineView;
class VOKWindow;

// The left pane of a viewer: the outline of the client's live topic tree in the chosen order,
// and the control that chooses the order. It is the client's delegate: it shows the tree once
// it exists, expands the root, and selects the topic of the window's path on every connect.
// What the user does with the topics (copy, open, delete, the context menus) is carried out by
// its VDLTopicsActions; connection problems go to its VDLConnectionProblemHandler, which asks the
// user for credentials, certificates or a client key's passphrase.
//
// Above the outline sits its search (VDLOutlineSearch, shown by a VDLSearchBar); Escape in the
// outline clears it.
//
// Ownership: the widgets are its children; the client is not owned. GUI thread.
class VDLTopicsViewController final : public QWidget, public VDLClientDelegate
{
    Q_OBJECT
    Q_PROPERTY(int sortOrderIndex READ sortOrderIndex NOTIFY sortOrderIndexChanged)

public:
    explicit VDLTopicsViewController(QWidget *parent = nullptr);
    ~VDLTopicsViewController() override;

    void setClient(VDLClient *client);
    VDLClient *client() const { return m_client; }
    VOKOutlineView *outlineView() const { return m_outline; }
    VDLTopicsItemDelegate *itemDelegate() const { return m_itemDelegate; }
    // The object whose "searchString" the outline marks in its cells (the viewer controller);
    // not owned. Replaces the previous one.
    void setHighlightSource(QObject *proxy);
    VDLTopicsModel *model() const { return m_model; }
    VDLOutlineSearch *search() const { return m_search; }
    VDLSearchBar *searchBar() const { return m_searchBar; }
    // The outline's column widths, remembered under the window's identifier once it is shown
    // in a window that has one.
    VDLOutlineColumns *columns() const { return m_columns; }
    // On a later turn of the event loop, selects (creating it when missing) the topic a
    // subscription path names: without a leading "/", a trailing "#" and then a trailing "/", and
    // cut before its first "/+". A path that reduces to nothing selects nothing.
    void selectPath(const QString &path);
    VDLTopic *selectedTopic() const;
    // The topics of the selected rows, top-down.
    QList<VDLTopic *> selectedObjects() const;
    // The selected rows' paths, top-down.
    QList<VOKIndexPath> selectionIndexPaths() const;
    // The topics of the rows the paths lead to, in the order of the paths.
    QList<VDLTopic *> topicsAtIndexPaths(const QList<VOKIndexPath> &paths) const;
    // Every topic with messages in the selected subtrees, as the selection is now.
    QSet<VDLTopic *> selectedTopics() const;
    // Those of selectedTopics whose latest message is retained.
    QSet<VDLTopic *> selectedRetainedTopics() const;
    // True between the client's announcement of a change of the tree and its end.
    bool isUpdating() const { return m_isUpdating; }
    // The position of the chosen order among the orders offered.
    int sortOrderIndex() const;

    void clientDataWillChange(VDLClient *client) override;
    void clientDataDidChange(VDLClient *client) override;
    void clientDidConnectWithPath(VDLClient *client, const QString &path) override;

    // Connection problems, answered by the handler's prompts.
    VDLConnectionProblemHandler *connectionProblemHandler() const { return m_connectionProblems; }
    void clientConnectionFailedWithReason(VDLClient *client, int reason) override;
    void clientRequestsCredentialPrompt(VDLClient *client) override;
    void clientTLSErrorOccurred(VDLClient *client, const QString &text) override;
    void clientMTLSRequired(VDLClient *client, const QString &text) override;
    void clientRequestsmTLSPrompt(VDLClient *client) override;
    void clientTLSSetupFailed(VDLClient *client, const QString &text) override;
    void clientKeyPassphraseRequired(VDLClient *client, bool rejected) override;

public Q_SLOTS:
    // Commands of the application's menus, which reach the pane along the focus chain.
    // Puts the paths of the selected topics on the clipboard, one per line.
    void copy();
    // Asks in a sheet, then deletes the selected topics.
    void performDelete();
    void deleteSelection();
    void tableDoubleClicked();
    void showPublishWindowFor(VDLTopic *topic);
    void selectSortOrder(int index);

Q_SIGNALS:
    void selectedTopicChanged(VDLTopic *topic);
    void sortOrderIndexChanged();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void showRoot();
    void trySelectPendingPath();
    void updateFromSelection();

    QPointer<VDLClient> m_client;
    VDLTopicSortOrder *m_sortOrder;
    VDLTopicsModel *m_model;
    VOKOutlineView *m_outline;
    VDLTopicsItemDelegate *m_itemDelegate;
    VOKKVOBlockPtr m_highlightObservation;
    QComboBox *m_orderChoice;
    VDLTopicsActions *m_actions;
    VDLConnectionProblemHandler *m_connectionProblems;
    VDLOutlineSearch *m_search = nullptr;
    VDLSearchBar *m_searchBar = nullptr;
    VDLOutlineColumns *m_columns = nullptr;
    QPointer<VOKWindow> m_columnsWindow;
    QString m_pendingExpandPath;
    bool m_isUpdating = false;
};
