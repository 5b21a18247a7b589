#include "VDLTreeDump.h"

#include "VDLClient.h"
#include "VDLTLSExplanation.h"
#include "VDLTopic.h"
#include "VOKSortDescriptor.h"

#include <QCoreApplication>
#include <QUrl>

namespace {

constexpr int failureExitCode = 1;

QString escapedField(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar character : text) {
        switch (character.unicode()) {
        case '\\':
            escaped.append(QLatin1String("\\\\"));
            break;
        case '\t':
            escaped.append(QLatin1String("\\t"));
            break;
        case '\n':
            escaped.append(QLatin1String("\\n"));
            break;
        case '\r':
            escaped.append(QLatin1String("\\r"));
            break;
        default:
            escaped.append(character);
        }
    }
    return escaped;
}

QString serverOf(const VDLClient *client)
{
    return QStringLiteral("%1:%2").arg(client->host()).arg(client->port());
}

} // namespace

VDLTreeDump::VDLTreeDump(const Options &options, QTextStream &output,
                         QTextStream &errors, QObject *parent)
    : QObject(parent)
    , m_options(options)
    , m_output(output)
    , m_errors(errors)
{
    m_quietTimer.setSingleShot(true);
    m_quietTimer.setInterval(options.quietMilliseconds);
    connect(&m_quietTimer, &QTimer::timeout, this, [this] { finish(0); });
    m_timeoutTimer.setSingleShot(true);
    m_timeoutTimer.setInterval(options.timeoutSeconds * 1000);
    connect(&m_timeoutTimer, &QTimer::timeout, this, [this] { timeUp(); });
}

VDLTreeDump::~VDLTreeDump() = default;

void VDLTreeDump::start()
{
    const QUrl url(m_options.url, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("mqtt") && scheme != QLatin1String("mqtts"))) {
        fail(QStringLiteral("not an mqtt:// or mqtts:// URL with a host: %1").arg(m_options.url));
        return;
    }
    m_client = std::make_unique<VDLClient>(url.host(), url.port(VOKMosquittoClient::defaultPort));
    if (scheme == QLatin1String("mqtts"))
        m_client->enableTLS();
    m_client->setDelegate(this);
    m_timeoutTimer.start();
    QString path = url.path(QUrl::FullyDecoded);
    if (path.startsWith(QLatin1Char('/')))
        path.remove(0, 1);
    m_client->connectWithPath(path);
}

QString VDLTreeDump::lineFor(VDLTopic *topic)
{
    const VDLMessagePtr latest = topic->latestMessage();
    return QStringList{escapedField(topic->path()),
                       QString::number(latest ? latest->typeNumber() : 0),
                       QString::number(topic->latestIsRetained() ? 1 : 0),
                       QString::number(topic->receivedMessageCount()),
                       escapedField(topic->messageSummary())}
        .join(QLatin1Char('\t'));
}

void VDLTreeDump::clientDataWillChange(VDLClient *) {}

void VDLTreeDump::clientDataDidChange(VDLClient *)
{
    if (m_connected)
        m_quietTimer.start();
}

void VDLTreeDump::clientDidConnectWithPath(VDLClient *, const QString &)
{
    m_connected = true;
    m_quietTimer.start();
}

void VDLTreeDump::clientConnectionFailedWithReason(VDLClient *client, int reason)
{
    const QString server = serverOf(client);
    if (reason < 0)
        fail(QStringLiteral("%1: %2").arg(client->connectionError(), server));
    else if (reason == 4 || reason == 5)
        fail(QStringLiteral("authentication failed at %1 (code %2)").arg(server).arg(reason));
    else if (reason != 0)
        fail(QStringLiteral("connection refused by %1 (code %2)").arg(server).arg(reason));
}

// Nobody can answer a prompt here: each TLS problem ends the dump with what the viewer would
// have asked about.
void VDLTreeDump::clientTLSErrorOccurred(VDLClient *client, const QString &text)
{
    fail(QStringLiteral("%1: %2").arg(serverOf(client), VDLTLSExplanation::forMessage(text)));
}

void VDLTreeDump::clientMTLSRequired(VDLClient *client, const QString &)
{
    fail(QStringLiteral("%1 requires a client certificate").arg(serverOf(client)));
}

void VDLTreeDump::clientTLSSetupFailed(VDLClient *client, const QString &text)
{
    fail(QStringLiteral("%1: %2").arg(serverOf(client), text));
}

void VDLTreeDump::clientKeyPassphraseRequired(VDLClient *client, bool rejected)
{
    fail(QStringLiteral("%1: %2; open the server in a viewer to enter it")
             .arg(serverOf(client), rejected ? QStringLiteral("the stored passphrase does not open the client key")
                                             : QStringLiteral("the client key needs a passphrase")));
}

void VDLTreeDump::timeUp()
{
    if (m_connected) {
        finish(0);
        return;
    }
    fail(QStringLiteral("no connection to %1:%2 within %3 s")
             .arg(m_client->host())
             .arg(m_client->port())
             .arg(m_options.timeoutSeconds));
}

void VDLTreeDump::printTree()
{
    VDLTopic *const root = m_client->rootTopic();
    if (!root)
        return;
    QList<VDLTopic *> topics;
    root->flattenInto(topics, {VOKSortDescriptor(QStringLiteral("name"), true,
                                                 QStringLiteral("vokCaseInsensitiveCompareWithTrailingNumber:"))});
    for (VDLTopic *topic : std::as_const(topics)) {
        if (!topic->history().isEmpty() || topic->representedDevice())
            m_output << lineFor(topic) << '\n';
    }
    m_output.flush();
}

void VDLTreeDump::finish(int exitCode)
{
    if (m_finished)
        return;
    m_finished = true;
    m_quietTimer.stop();
    m_timeoutTimer.stop();
    if (exitCode == 0)
        printTree();
    if (m_client) {
        m_client->setDelegate(nullptr);
        m_client->disconnectFromBroker();
    }
    // Queued, so a failure found before the event loop runs still ends it.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [exitCode] { QCoreApplication::exit(exitCode); }, Qt::QueuedConnection);
}

void VDLTreeDump::fail(const QString &message)
{
    if (m_finished)
        return;
    m_errors << QStringLiteral("vindle: %1").arg(message) << '\n';
    m_errors.flush();
    finish(failureExitCode);
}
