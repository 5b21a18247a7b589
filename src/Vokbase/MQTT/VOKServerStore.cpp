#include "VOKServerStore.h"

#include "VOKKeychainHelper.h"
#include "VOKKeychainQueue.h"
#include "VOKLog.h"
#include "VOKPreferences.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr QFile::Permissions ownerOnlyFolder = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

// The host as one harmless path component: separators, "%" and control characters are
// percent-encoded, so distinct hosts keep distinct folders.
QString folderComponent(const QString &host)
{
    QString component;
    for (const QChar character : host) {
        const char16_t unit = character.unicode();
        if (unit == u'/' || unit == u'\\' || unit == u'%' || unit < 0x20)
            component += QStringLiteral("%%1").arg(unit, 2, 16, QLatin1Char('0')).toUpper();
        else
            component += character;
    }
    return component;
}

bool makeOwnerOnlyFolder(const QString &path)
{
    QDir folder(path);
    if (folder.exists())
        return true;
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    return QDir().mkdir(path, ownerOnlyFolder);
}

QString copyFailed(const QString &reason)
{
    VOK_ERROR(QStringLiteral("Failed to copy certificate: %1").arg(reason));
    return QString();
}

QString keyPassphraseAccount()
{
    return QStringLiteral("passphrase");
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Closes a file descriptor and, unless released, removes the file it was made for.
class TemporaryFile
{
public:
    explicit TemporaryFile(QByteArray pathTemplate)
        : m_path(std::move(pathTemplate))
        , m_descriptor(mkstemp(m_path.data()))
    {
    }
    ~TemporaryFile()
    {
        if (m_descriptor >= 0)
            close(m_descriptor);
        if (!m_released && m_descriptor >= 0)
            unlink(m_path.constData());
    }
    TemporaryFile(const TemporaryFile &) = delete;
    TemporaryFile &operator=(const TemporaryFile &) = delete;

    int descriptor() const { return m_descriptor; }
    const char *path() const { return m_path.constData(); }
    void release() { m_released = true; }

private:
    QByteArray m_path;
    int m_descriptor;
    bool m_released = false;
};

bool writeAll(int descriptor, const QByteArray &contents)
{
    qsizetype written = 0;
    while (written < contents.size()) {
        const ssize_t result = write(descriptor, contents.constData() + written, size_t(contents.size() - written));
        if (result < 0 && errno == EINTR)
            continue;
        if (result <= 0)
            return false;
        written += result;
    }
    return fsync(descriptor) == 0;
}

// Writes the copy beside the destination and renames it over it. mkstemp creates the file with
// mode 0600, so a private key is never readable by others, and a failed copy leaves any earlier
// copy in place.
QString writePrivateCopy(const QByteArray &contents, const QString &destination)
{
    TemporaryFile temporary(QFile::encodeName(destination) + ".XXXXXX");
    if (temporary.descriptor() < 0)
        return copyFailed(QStringLiteral("%1: %2").arg(destination, systemError()));
    if (fchmod(temporary.descriptor(), 0600) != 0)
        return copyFailed(QStringLiteral("%1: cannot restrict its permissions: %2").arg(destination, systemError()));
    if (!writeAll(temporary.descriptor(), contents))
        return copyFailed(QStringLiteral("%1: %2").arg(destination, systemError()));
    if (rename(temporary.path(), QFile::encodeName(destination).constData()) != 0)
        return copyFailed(QStringLiteral("%1: %2").arg(destination, systemError()));
    temporary.release();
    return destination;
}

} // namespace

VOKServerStore::VOKServerStore(const QString &host, int port, const QString &keychainService)
    : m_host(host)
    , m_port(port)
    , m_keychainService(keychainService)
{
}

QString VOKServerStore::tlsSettingsKey() const
{
    return QStringLiteral("VOKMosquittoTLS:%1:%2").arg(m_host).arg(m_port);
}

std::optional<VOKTLSSettings> VOKServerStore::loadTLSSettings() const
{
    const QVariant stored = VOKPreferences::standard().objectForKey(tlsSettingsKey());
    if (stored.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    return VOKTLSSettings::fromDictionary(stored.toMap());
}

void VOKServerStore::saveTLSSettings(const VOKTLSSettings &settings) const
{
    VOKPreferences::standard().setObject(settings.toDictionary(), tlsSettingsKey());
}

void VOKServerStore::deleteTLSSettings() const
{
    VOKPreferences::standard().removeObjectForKey(tlsSettingsKey());
}

VOKServerStore::Credentials VOKServerStore::loadCredentials() const
{
    Credentials credentials;
    VOKKeychainQueue::runAndWait([&credentials, service = m_keychainService] {
        credentials = VOKKeychainHelper::credentialsForService(service);
    });
    return credentials;
}

void VOKServerStore::loadCredentials(const QObject *receiver, std::function<void(const Credentials &)> answer) const
{
    VOKKeychainQueue::ask<Credentials>(
        [service = m_keychainService] { return VOKKeychainHelper::credentialsForService(service); }, receiver,
        std::move(answer));
}

void VOKServerStore::saveCredentials(const QString &username, const QString &password) const
{
    VOKKeychainQueue::enqueue([service = m_keychainService, username, password] {
        VOKKeychainHelper::setPassword(password.isNull() ? QStringLiteral("") : password, service, username);
    });
}

void VOKServerStore::deleteCredentials() const
{
    VOKKeychainQueue::enqueue([service = m_keychainService] {
        const QString username = VOKKeychainHelper::usernameForService(service);
        if (!username.isNull())
            VOKKeychainHelper::deletePasswordForService(service, username);
    });
}

QString VOKServerStore::keyPassphraseService() const
{
    return m_keychainService + QStringLiteral(":clientKey");
}

QString VOKServerStore::loadKeyPassphrase() const
{
    QString passphrase;
    VOKKeychainQueue::runAndWait([&passphrase, service = keyPassphraseService()] {
        passphrase = VOKKeychainHelper::passwordForService(service, keyPassphraseAccount());
    });
    return passphrase;
}

void VOKServerStore::saveKeyPassphrase(const QString &passphrase) const
{
    VOKKeychainQueue::enqueue([service = keyPassphraseService(), passphrase] {
        VOKKeychainHelper::setPassword(passphrase, service, keyPassphraseAccount());
    });
}

void VOKServerStore::deleteKeyPassphrase() const
{
    VOKKeychainQueue::enqueue(
        [service = keyPassphraseService()] { VOKKeychainHelper::deleteAllPasswordsForService(service); });
}

QString VOKServerStore::certificatesRoot()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Vindle/Certificates");
}

QString VOKServerStore::certificatesDirectory() const
{
    const QString path = QStringLiteral("%1/%2_%3").arg(certificatesRoot(), folderComponent(m_host)).arg(m_port);
    makeOwnerOnlyFolder(certificatesRoot());
    makeOwnerOnlyFolder(path);
    return path;
}

QString VOKServerStore::copyCertificateToSupport(const QString &sourcePath, const QString &baseName) const
{
    if (sourcePath.isEmpty())
        return QString();
    const QString destination =
        QStringLiteral("%1/%2.%3").arg(certificatesDirectory(), baseName, QFileInfo(sourcePath).suffix());
    // Choosing the copy itself again must not destroy it.
    const QString canonicalSource = QFileInfo(sourcePath).canonicalFilePath();
    if (!canonicalSource.isEmpty() && canonicalSource == QFileInfo(destination).canonicalFilePath())
        return destination;

    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly))
        return copyFailed(QStringLiteral("%1: %2").arg(sourcePath, source.errorString()));
    const QByteArray contents = source.readAll();
    if (source.error() != QFileDevice::NoError)
        return copyFailed(QStringLiteral("%1: %2").arg(sourcePath, source.errorString()));

    return writePrivateCopy(contents, destination);
}

void VOKServerStore::deleteCertificateFiles() const
{
    QDir(certificatesDirectory()).removeRecursively();
}
