#pragma once

#include "VDLClientDelegate.h"

#include <QPointer>
#include <QString>
#include <QWidget>

class QComboBox;
class VDLClient;
class VDLConnectionProblemHandler;
class VDLTopic;
class VDLTopicSortOrder;
class VDLTopicsModel;
class VOKOutlineView;

// The left pane of a viewer: the outline of the client's live topic tree in the chosen order,
// and the control that chooses the order. It is the client's delegate: it shows the tree once
// it exists, expands the root, and selects the topic of the window's path when the client
// connects (or as soon as that topic appears). Connection problems go to its
// VDLConnectionProblemHandler, which asks the user for credentials or certificates.
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
    VOKOutlineView *outlineView() const { return m_outline; }
    VDLTopicsModel *model() const { return m_model; }
    // Selects the topic at the path (a leading "/" ignored), now or once it appears.
    void selectPath(const QString &path);
    VDLTopic *selectedTopic() const;
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

public Q_SLOTS:
    // Commands of the application's menus, which reach the pane along the focus chain.
    // Puts the paths of the selected topics on the clipboard, one per line.
    void copy();
    void selectSortOrder(int index);

Q_SIGNALS:
    void selectedTopicChanged(VDLTopic *topic);
    void sortOrderIndexChanged();

private:
    void showRoot();
    void trySelectPendingPath();
    void updateFromSelection();

    QPointer<VDLClient> m_client;
    VDLTopicSortOrder *m_sortOrder;
    VDLTopicsModel *m_model;
    VOKOutlineView *m_outline;
    QComboBox *m_orderChoice;
    VDLConnectionProblemHandler *m_connectionProblems;
    QString m_pendingExpandPath;
};
