#pragma once

#include "VOKTLSSettings.h"

#include <QString>

#include <functional>
#include <optional>
#include <utility>

class QObject;

// What is stored for one server (host and port): the credentials in the credential store under
// a service name, the TLS settings in the preferences under "VOKMosquittoTLS:host:port", and
// private copies of certificate and key files in a folder of their own.
//
// A small value built from the client's current host, port and service name; it keeps no
// state. Threads: the preferences part runs on the GUI thread; the rest on any thread, the
// credential part as said below.
class VOKServerStore
{
public:
    VOKServerStore(const QString &host, int port, const QString &keychainService);

    QString tlsSettingsKey() const;
    std::optional<VOKTLSSettings> loadTLSSettings() const;
    void saveTLSSettings(const VOKTLSSettings &settings) const;
    void deleteTLSSettings() const;

    // The credential part goes through VOKKeychainQueue, so it happens in the order it was asked
    // for: a connect that loads after a save reads what was saved.
    using Credentials = std::optional<std::pair<QString, QString>>;
    // (user name, password) when the service holds an item. Waits for the store: background
    // threads only.
    Credentials loadCredentials() const;
    // The same, answered later on the GUI thread unless the receiver (not owned) is gone by then.
    void loadCredentials(const QObject *receiver, std::function<void(const Credentials &)> answer) const;
    // Queued; they return at once and are carried out even when the caller is gone meanwhile.
    void saveCredentials(const QString &username, const QString &password) const;
    void deleteCredentials() const;
    // The passphrase of the client key, kept only in the credential store, under the service
    // "<service>:clientKey". Loading waits for the store (background threads only) and answers a
    // null string when none is stored; saving and deleting are queued like the credentials.
    QString loadKeyPassphrase() const;
    void saveKeyPassphrase(const QString &passphrase) const;
    void deleteKeyPassphrase() const;

    // The folder for this server's copies, created (mode 0700) when missing:
    // <data folder>/Vindle/Certificates/<host>_<port>. The host is encoded so that the folder
    // stays one path component whatever the host holds ("/", "..").
    QString certificatesDirectory() const;
    // Copies the file into the folder as "<baseName>.<extension of source>", readable by the
    // owner only from the moment it exists. Answers the copy's path, the source itself when it
    // already is that copy, or a null string (logged) when the copy failed; an empty source
    // answers null silently.
    QString copyCertificateToSupport(const QString &sourcePath, const QString &baseName) const;
    // Removes the server's folder and everything in it.
    void deleteCertificateFiles() const;

    // <data folder>/Vindle/Certificates, holding one folder per server.
    static QString certificatesRoot();

private:
    QString keyPassphraseService() const;

    QString m_host;
    int m_port;
    QString m_keychainService;
};
