#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

// The bar at the top of a publish window that a link opened to publish at once. It asks "This
// link wants to publish to mqtt://host:port" with Allow, Deny and "Always allow for this server";
// while the server is always allowed it says so instead, with Withdraw. Hidden otherwise.
//
// A link can come from any web page or chat message, so nothing is sent until the user allows it.
// GUI thread; a child of the publish window's view.
class VDLPublishLinkBar final : public QFrame
{
    Q_OBJECT

public:
    explicit VDLPublishLinkBar(QWidget *parent);

    // The window's server; shows the withdraw line when links may publish to it without asking.
    void setServer(const QString &host, int port);
    // Shows the question; `allowed` follows Allow or "Always allow for this server".
    void ask();

    QLabel *label() const { return m_label; }
    QPushButton *allowButton() const { return m_allow; }
    QPushButton *denyButton() const { return m_deny; }
    QPushButton *alwaysAllowButton() const { return m_alwaysAllow; }
    QPushButton *withdrawButton() const { return m_withdraw; }

Q_SIGNALS:
    void allowed();

private:
    enum class Mode { Hidden, Asking, AlwaysAllowed };
    void show(Mode mode);
    QString serverUrl() const;

    QString m_host;
    int m_port = 0;
    QLabel *m_label;
    QPushButton *m_allow;
    QPushButton *m_deny;
    QPushButton *m_alwaysAllow;
    QPushButton *m_withdraw;
};
