#pragma once

#include "VOKKeychainBackend.h"

#include <QString>

#include <memory>
#include <optional>
#include <utility>

// The secure credential store as the broker clients use it: at most one item per service
// (saving removes every earlier item of the service, whatever its account), the account being
// the user name and the secret the password's UTF-8 bytes.
//
// The store is the Secret Service when one answers on the session bus. Otherwise the first use
// logs one WARNING and the helper keeps credentials in memory for the session: a password is
// never written to a plain file, the preferences or a log line.
//
// Threads: every function may be called from any thread, and waits for the store, which may take
// seconds (a keyring asking to be unlocked): the GUI thread calls them only through work given to
// VOKKeychainQueue, never directly.
class VOKKeychainHelper
{
public:
    VOKKeychainHelper() = delete;

    // Replaces any item of the service by one for the account. False (and nothing changed) when
    // an argument is null; false when the store refused the new item.
    static bool setPassword(const QString &password, const QString &service, const QString &account);

    // The password stored for service and account, or a null string.
    static QString passwordForService(const QString &service, const QString &account);

    // The account (user name) of the service's item, or a null string.
    static QString usernameForService(const QString &service);

    // The user name of the service's item and its password, or none when the service has no item.
    static std::optional<std::pair<QString, QString>> credentialsForService(const QString &service);

    // True when the item is gone afterwards (deleted, or there was none); false for a null
    // argument or a store failure.
    static bool deletePasswordForService(const QString &service, const QString &account);
    static bool deleteAllPasswordsForService(const QString &service);

    // Uses the backend from now on (tests, or a session that chose its store). Null goes back
    // to choosing the Secret Service or memory on the next use.
    static void setBackend(std::shared_ptr<VOKKeychainBackend> backend);

private:
    static std::shared_ptr<VOKKeychainBackend> backend();
};
