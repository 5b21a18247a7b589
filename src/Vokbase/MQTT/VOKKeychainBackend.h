#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A store of generic-password items: a secret under a service and an account. The Secret
// Service implements it for the application, an in-memory store for tests and for sessions
// without a Secret Service.
//
// Thread safety: implementations may be called from any thread.
class VOKKeychainBackend
{
public:
    struct Item
    {
        QString service;
        QString account;
        QByteArray secret;
    };

    enum class DeleteResult { Deleted, NothingMatched, Failed };

    virtual ~VOKKeychainBackend() = default;

    // Adds an item beside any others of the service. Answers false when the store refused.
    virtual bool addItem(const Item &item) = 0;

    // The first item of the service, of the given account or (a null account) of any.
    virtual std::optional<Item> findItem(const QString &service, const QString &account) const = 0;

    // Deletes the items of the service, of the given account or (a null account) all of them.
    virtual DeleteResult deleteItems(const QString &service, const QString &account) = 0;
};
