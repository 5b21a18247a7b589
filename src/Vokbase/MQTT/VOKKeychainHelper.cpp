#include "VOKKeychainHelper.h"

#include "VOKLog.h"
#include "VOKMemoryKeychainBackend.h"
#include "VOKSecretServiceKeychainBackend.h"

#include <QMutex>
#include <QMutexLocker>

namespace {

QMutex backendMutex;
std::shared_ptr<VOKKeychainBackend> currentBackend;

std::shared_ptr<VOKKeychainBackend> chooseBackend()
{
    QString reason;
    if (auto secretService = VOKSecretServiceKeychainBackend::connectToService(&reason))
        return secretService;
    VOK_WARNING(QStringLiteral("No Secret Service reachable (%1): credentials will be kept for this session "
                               "only and not stored")
                    .arg(reason));
    return std::make_shared<VOKMemoryKeychainBackend>();
}

} // namespace

std::shared_ptr<VOKKeychainBackend> VOKKeychainHelper::backend()
{
    QMutexLocker lock(&backendMutex);
    if (!currentBackend)
        currentBackend = chooseBackend();
    return currentBackend;
}

void VOKKeychainHelper::setBackend(std::shared_ptr<VOKKeychainBackend> backend)
{
    QMutexLocker lock(&backendMutex);
    currentBackend = std::move(backend);
}

bool VOKKeychainHelper::setPassword(const QString &password, const QString &service, const QString &account)
{
    if (password.isNull() || service.isNull() || account.isNull())
        return false;
    const auto store = backend();
    store->deleteItems(service, QString());
    return store->addItem({service, account, password.toUtf8()});
}

QString VOKKeychainHelper::passwordForService(const QString &service, const QString &account)
{
    if (service.isNull() || account.isNull())
        return QString();
    const auto item = backend()->findItem(service, account);
    if (!item)
        return QString();
    const QString password = QString::fromUtf8(item->secret);
    return password.isNull() ? QStringLiteral("") : password;
}

QString VOKKeychainHelper::usernameForService(const QString &service)
{
    if (service.isNull())
        return QString();
    const auto item = backend()->findItem(service, QString());
    return item ? item->account : QString();
}

std::optional<std::pair<QString, QString>> VOKKeychainHelper::credentialsForService(const QString &service)
{
    const QString username = usernameForService(service);
    if (username.isNull())
        return std::nullopt;
    return std::make_pair(username, passwordForService(service, username));
}

bool VOKKeychainHelper::deletePasswordForService(const QString &service, const QString &account)
{
    if (service.isNull() || account.isNull())
        return false;
    return backend()->deleteItems(service, account) != VOKKeychainBackend::DeleteResult::Failed;
}

bool VOKKeychainHelper::deleteAllPasswordsForService(const QString &service)
{
    if (service.isNull())
        return false;
    return backend()->deleteItems(service, QString()) != VOKKeychainBackend::DeleteResult::Failed;
}
