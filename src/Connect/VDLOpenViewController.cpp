#include "VDLOpenViewController.h"

#include "VDLURLOpener.h"
#include "VDLURLRoute.h"
#include "VOKString.h"
#include "VOKUrl.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStringList>

#include <algorithm>
#include <charconv>

namespace {

const QString BadHostCharactersMessage = QStringLiteral("Host must not contain spaces or any of / ? # @");
const QString BadHostMessage = QStringLiteral("Host must be a host name or an IP address");
const QString BadPortMessage = QStringLiteral("Port must be a number from %1 to %2")
                                   .arg(VDLURLRoute::minimumPort)
                                   .arg(VDLURLRoute::maximumPort);

constexpr int HostFieldWidth = 260;

// These would move the rest of the host into the URL's path, query, fragment or user part, so
// the URL would lead somewhere other than the host shown.
bool endsAuthority(QChar character)
{
    return character.isSpace() || QStringLiteral("/?#@").contains(character);
}

} // namespace

VDLOpenViewController::VDLOpenViewController(QWidget *parent)
    : VOKViewController(parent)
{
    buildInterface();
    showDefaultPort();
    showValidity();
}

VDLOpenViewController::~VDLOpenViewController() = default;

void VDLOpenViewController::setHost(const QString &host)
{
    if (host == m_host)
        return;
    m_host = host;
    if (m_hostField->text() != host)
        m_hostField->setText(host);
    Q_EMIT hostChanged();
    Q_EMIT hasValidDataChanged();
}

void VDLOpenViewController::setPort(const QString &port)
{
    if (port == m_port)
        return;
    m_port = port;
    if (m_portField->text() != port)
        m_portField->setText(port);
    Q_EMIT portChanged();
    Q_EMIT hasValidDataChanged();
}

void VDLOpenViewController::setUseTLS(bool useTLS)
{
    if (useTLS == m_useTLS)
        return;
    m_useTLS = useTLS;
    m_tlsBox->setChecked(useTLS);
    Q_EMIT useTLSChanged();
}

void VDLOpenViewController::setUsername(const QString &username)
{
    m_username = username;
    if (m_usernameField->text() != username)
        m_usernameField->setText(username);
}

void VDLOpenViewController::setPassword(const QString &password)
{
    m_password = password;
    if (m_passwordField->text() != password)
        m_passwordField->setText(password);
}

bool VDLOpenViewController::hasValidData() const
{
    return !m_host.trimmed().isEmpty() && validationMessage().isEmpty();
}

QString VDLOpenViewController::validationMessage() const
{
    QStringList reasons;
    const QString host = m_host.trimmed();
    if (std::any_of(host.cbegin(), host.cend(), endsAuthority))
        reasons.append(BadHostCharactersMessage);
    else if (!host.isEmpty() && !vokUrl(vokServerUrlString(QStringLiteral("mqtt"), host, std::nullopt)))
        reasons.append(BadHostMessage);
    if (!portIsValid())
        reasons.append(BadPortMessage);
    return reasons.join(QLatin1Char('\n'));
}

std::optional<QUrl> VDLOpenViewController::connectionUrl() const
{
    if (!portIsValid())
        return std::nullopt;
    const QString scheme = m_useTLS ? QStringLiteral("mqtts") : QStringLiteral("mqtt");
    std::optional<QUrl> url = vokUrl(vokServerUrlString(scheme, m_host.trimmed(), portNumber()));
    // Set as parts, so that any character of them is encoded and none ends the user info early.
    if (url && !m_username.isEmpty()) {
        url->setUserName(m_username, QUrl::DecodedMode);
        if (!m_password.isEmpty())
            url->setPassword(m_password, QUrl::DecodedMode);
    }
    return url;
}

void VDLOpenViewController::connect()
{
    // Only Return or a direct call get here with the button disabled; neither may open a URL
    // other than the one the entries say.
    if (!hasValidData())
        return;
    VDLURLOpener::open(connectionUrl().value_or(QUrl()));
    closeWindow();
}

void VDLOpenViewController::cancel()
{
    closeWindow();
}

void VDLOpenViewController::buildInterface()
{
    m_hostField = new QLineEdit(this);
    m_hostField->setObjectName(QStringLiteral("host"));
    m_hostField->setPlaceholderText(QStringLiteral("broker.local"));
    m_hostField->setMinimumWidth(HostFieldWidth);
    m_portField = new QLineEdit(this);
    m_portField->setObjectName(QStringLiteral("port"));
    m_tlsBox = new QCheckBox(QStringLiteral("Use TLS"), this);
    m_usernameField = new QLineEdit(this);
    m_usernameField->setObjectName(QStringLiteral("username"));
    m_usernameField->setPlaceholderText(QStringLiteral("optional"));
    m_passwordField = new QLineEdit(this);
    m_passwordField->setObjectName(QStringLiteral("password"));
    m_passwordField->setPlaceholderText(QStringLiteral("optional"));
    m_passwordField->setEchoMode(QLineEdit::Password);
    m_messageLabel = new QLabel(this);
    m_messageLabel->setObjectName(QStringLiteral("message"));
    m_messageLabel->setTextFormat(Qt::PlainText);
    auto *const cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    m_connectButton = new QPushButton(QStringLiteral("Connect"), this);
    m_connectButton->setDefault(true);

    auto *const buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancelButton);
    buttons->addWidget(m_connectButton);
    auto *const form = new QFormLayout(this);
    form->addRow(QStringLiteral("Host:"), m_hostField);
    form->addRow(QStringLiteral("Port:"), m_portField);
    form->addRow(QString(), m_tlsBox);
    form->addRow(QStringLiteral("User name:"), m_usernameField);
    form->addRow(QStringLiteral("Password:"), m_passwordField);
    form->addRow(m_messageLabel);
    form->addRow(buttons);

    QObject::connect(m_hostField, &QLineEdit::textChanged, this, &VDLOpenViewController::setHost);
    QObject::connect(m_portField, &QLineEdit::textChanged, this, &VDLOpenViewController::setPort);
    QObject::connect(m_tlsBox, &QCheckBox::toggled, this, &VDLOpenViewController::setUseTLS);
    QObject::connect(m_usernameField, &QLineEdit::textChanged, this, &VDLOpenViewController::setUsername);
    QObject::connect(m_passwordField, &QLineEdit::textChanged, this, &VDLOpenViewController::setPassword);
    for (QLineEdit *const field : {m_hostField, m_portField, m_usernameField, m_passwordField})
        QObject::connect(field, &QLineEdit::returnPressed, this, &VDLOpenViewController::connect);
    QObject::connect(m_connectButton, &QPushButton::clicked, this, &VDLOpenViewController::connect);
    QObject::connect(cancelButton, &QPushButton::clicked, this, &VDLOpenViewController::cancel);
    auto *const escape = new QShortcut(QKeySequence::Cancel, this);
    QObject::connect(escape, &QShortcut::activated, this, &VDLOpenViewController::cancel);
    QObject::connect(this, &VDLOpenViewController::hasValidDataChanged, this, &VDLOpenViewController::showValidity);
    QObject::connect(this, &VDLOpenViewController::useTLSChanged, this, &VDLOpenViewController::showDefaultPort);
}

std::optional<int> VDLOpenViewController::portNumber() const
{
    // ASCII digits only: no sign, no digits of other scripts (which become '?' here).
    const QByteArray text = m_port.trimmed().toLatin1();
    unsigned number = 0;
    const auto [end, error] = std::from_chars(text.cbegin(), text.cend(), number);
    if (text.isEmpty() || error != std::errc() || end != text.cend() || number < unsigned(VDLURLRoute::minimumPort)
        || number > unsigned(VDLURLRoute::maximumPort))
        return std::nullopt;
    return int(number);
}

bool VDLOpenViewController::portIsValid() const
{
    return m_port.trimmed().isEmpty() || portNumber().has_value();
}

void VDLOpenViewController::showValidity()
{
    m_connectButton->setEnabled(hasValidData());
    m_messageLabel->setText(validationMessage());
}

void VDLOpenViewController::showDefaultPort()
{
    m_portField->setPlaceholderText(
        QString::number(m_useTLS ? VDLURLRoute::defaultTLSPort : VDLURLRoute::defaultPort));
}

void VDLOpenViewController::closeWindow()
{
    window()->close();
}
