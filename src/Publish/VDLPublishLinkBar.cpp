#include "VDLPublishLinkBar.h"

#include "VDLPublishLinkPermissions.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

VDLPublishLinkBar::VDLPublishLinkBar(QWidget *parent)
    : QFrame(parent)
    , m_label(new QLabel(this))
    , m_allow(new QPushButton(QStringLiteral("Allow"), this))
    , m_deny(new QPushButton(QStringLiteral("Deny"), this))
    , m_alwaysAllow(new QPushButton(QStringLiteral("Always allow for this server"), this))
    , m_withdraw(new QPushButton(QStringLiteral("Withdraw"), this))
{
    setFrameShape(QFrame::StyledPanel);
    setBackgroundRole(QPalette::AlternateBase);
    setAutoFillBackground(true);
    m_label->setWordWrap(true);
    auto *const layout = new QHBoxLayout(this);
    layout->addWidget(m_label, 1);
    for (QPushButton *const button : {m_allow, m_deny, m_alwaysAllow, m_withdraw})
        layout->addWidget(button);

    connect(m_allow, &QPushButton::clicked, this, [this] {
        show(Mode::Hidden);
        Q_EMIT allowed();
    });
    connect(m_deny, &QPushButton::clicked, this, [this] { show(Mode::Hidden); });
    connect(m_alwaysAllow, &QPushButton::clicked, this, [this] {
        VDLPublishLinkPermissions::setAlwaysAllowed(m_host, m_port, true);
        show(Mode::AlwaysAllowed);
        Q_EMIT allowed();
    });
    connect(m_withdraw, &QPushButton::clicked, this, [this] {
        VDLPublishLinkPermissions::setAlwaysAllowed(m_host, m_port, false);
        show(Mode::Hidden);
    });
    show(Mode::Hidden);
}

void VDLPublishLinkBar::setServer(const QString &host, int port)
{
    m_host = host;
    m_port = port;
    show(VDLPublishLinkPermissions::isAlwaysAllowed(host, port) ? Mode::AlwaysAllowed : Mode::Hidden);
}

void VDLPublishLinkBar::ask()
{
    show(Mode::Asking);
    m_deny->setFocus();
}

void VDLPublishLinkBar::show(Mode mode)
{
    const bool asking = mode == Mode::Asking;
    m_label->setText(asking ? QStringLiteral("This link wants to publish to %1").arg(serverUrl())
                            : QStringLiteral("Links may publish to %1 without asking").arg(serverUrl()));
    m_allow->setVisible(asking);
    m_deny->setVisible(asking);
    m_alwaysAllow->setVisible(asking);
    m_withdraw->setVisible(mode == Mode::AlwaysAllowed);
    setVisible(mode != Mode::Hidden);
}

QString VDLPublishLinkBar::serverUrl() const
{
    return QStringLiteral("mqtt://%1:%2").arg(m_host).arg(m_port);
}
