#pragma once

#include "VOKKeychainBackend.h"

#include <memory>

// Items in the Secret Service (GNOME Keyring, KeePassXC, KWallet) through libsecret: one item
// per service and account in the default collection, with the attributes "service" and
// "account" and the password as the secret.
//
// Calls are synchronous D-Bus round trips; they may be made from any thread.
class VOKSecretServiceKeychainBackend final : public VOKKeychainBackend
{
public:
    // A backend when a Secret Service answers on the session bus; otherwise null, with the
    // reason in `reason`.
    static std::unique_ptr<VOKSecretServiceKeychainBackend> connectToService(QString *reason);

    bool addItem(const Item &item) override;
    std::optional<Item> findItem(const QString &service, const QString &account) const override;
    DeleteResult deleteItems(const QString &service, const QString &account) override;

private:
    VOKSecretServiceKeychainBackend() = default;
};
