#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class QLabel;
class VDLClient;

// The small accessory at the trailing end of a viewer's title area: whether the connection uses
// TLS, and whether the client is connected or what keeps it from being so. While connected with
// TLS a lock stands before "TLS" and the tool tip names the protocol and cipher; while a problem
// shows, the tool tip gives its details when they are known.
//
// Ownership: its labels are its children; the client is not owned. GUI thread.
class VDLViewerFlagsViewController final : public QWidget
{
    Q_OBJECT

public:
    explicit VDLViewerFlagsViewController(VDLClient *client, QWidget *parent = nullptr);

    // The text the accessory shows, without the lock.
    QString text() const;
    bool showsLock() const;

public Q_SLOTS:
    // Details of the problem the client's status shows now (which file cannot be used, and why);
    // they go away with that status.
    void showProblemDetail(const QString &detail);

private:
    void update();

    QPointer<VDLClient> m_client;
    QLabel *m_lock;
    QLabel *m_text;
    QString m_problemDetail;
    QString m_problemOfDetail;
};
