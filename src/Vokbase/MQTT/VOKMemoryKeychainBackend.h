#pragma once

#include "VOKKeychainBackend.h"

#include <QList>
#include <QMutex>

// Items kept in memory for the life of the object: for tests, and for sessions where no
// Secret Service can be reached. Thread-safe.
class VOKMemoryKeychainBackend final : public VOKKeychainBackend
{
public:
    bool addItem(const Item &item) override;
    std::optional<Item> findItem(const QString &service, const QString &account) const override;
    DeleteResult deleteItems(const QString &service, const QString &account) override;

    // Every item, oldest first.
    QList<Item> items() const;

private:
    mutable QMutex m_mutex;
    QList<Item> m_items;
};
