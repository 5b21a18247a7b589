#include "VDLPubClient.h"

#include "VOKDispatch.h"
#include "VOKPreferences.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>

#include <mutex>

namespace {

const QString maxHistoryCountKey = QStringLiteral("VDLPubClientMaxHistoryCount");

QString historyKeyFor(const QString &host, int port)
{
    return QStringLiteral("VDLPubClientHistory_%1_%2").arg(host).arg(port);
}

void registerDefaults()
{
    static std::once_flag once;
    std::call_once(once, [] { VOKPreferences::standard().registerDefaults({{maxHistoryCountKey, 20}}); });
}

} // namespace

std::shared_ptr<VDLPubClient> VDLPubClient::clientWithHost(const QString &host, int port)
{
    static QMutex tableMutex;
    static QHash<QString, std::weak_ptr<VDLPubClient>> table;

    const QString key = QStringLiteral("%1:%2").arg(host).arg(port);
    QMutexLocker lock(&tableMutex);
    if (std::shared_ptr<VDLPubClient> live = table.value(key).lock())
        return live;
    auto client = std::make_shared<VDLPubClient>(host, port);
    client->connectToBroker();
    table.insert(key, client);
    return client;
}

void VDLPubClient::deleteHistoryForHost(const QString &host, int port)
{
    VOKPreferences::standard().removeObjectForKey(historyKeyFor(host, port));
}

VDLPubClient::VDLPubClient(const QString &host, int port)
    : VOKMosquittoClient(host, port)
{
    registerDefaults();
    loadHistory();
}

VDLPubClient::~VDLPubClient()
{
    disconnectFromBroker();
}

QString VDLPubClient::keychainService() const
{
    // The viewer stores a server's credentials; publishing must log in with the same ones.
    return QStringLiteral("Vindle:%1:%2").arg(host()).arg(port());
}

QString VDLPubClient::historyKey() const
{
    return historyKeyFor(host(), port());
}

bool VDLPubClient::publish(const VDLPM &pm, VOKError *error)
{
    if (!isConnected()) {
        VOKError::fill(error, VOKError(QStringLiteral("VDLPubClient"), -1, QStringLiteral("Not connected")));
        return false;
    }
    const QString value = pm.valueAsString();
    const QByteArray data = value.isNull() ? QByteArray() : value.toUtf8();
    const QString path = pm.path.isNull() ? QStringLiteral("") : pm.path;
    if (!publishTopic(path, data, pm.qos, pm.doRetain, error))
        return false;
    addToHistory(pm);
    return true;
}

void VDLPubClient::clientDidConnect()
{
    VOKMosquittoClient::clientDidConnect();
    vokOnMain(this, [this] { Q_EMIT connected(); });
}

void VDLPubClient::addToHistory(const VDLPM &pm)
{
    QList<VDLPM> history = m_history;
    history.removeAll(pm);
    history.prepend(pm);
    const qint64 limit = VOKPreferences::standard().integerForKey(maxHistoryCountKey);
    if (limit >= 0 && history.size() > limit)
        history.resize(limit);
    setHistory(history);
    saveHistory();
}

void VDLPubClient::loadHistory()
{
    QList<VDLPM> history;
    for (const QVariant &entry : VOKPreferences::standard().arrayForKey(historyKey())) {
        // The program only ever writes dictionaries; anything else is skipped.
        if (entry.typeId() == QMetaType::QVariantMap)
            history.append(VDLPM::fromDictionary(entry.toMap()));
    }
    setHistory(history);
}

void VDLPubClient::saveHistory() const
{
    QVariantList entries;
    entries.reserve(m_history.size());
    for (const VDLPM &pm : m_history)
        entries.append(pm.asDictionary());
    VOKPreferences::standard().setObject(entries, historyKey());
}

void VDLPubClient::deleteHistory()
{
    VOKPreferences::standard().removeObjectForKey(historyKey());
    setHistory({});
}

void VDLPubClient::setHistory(const QList<VDLPM> &history)
{
    m_history = history;
    Q_EMIT historyChanged();
}
