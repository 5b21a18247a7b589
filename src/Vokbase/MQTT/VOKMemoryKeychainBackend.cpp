#include "VOKMemoryKeychainBackend.h"

#include <QMutexLocker>

namespace {

bool matches(const VOKKeychainBackend::Item &item, const QString &service, const QString &account)
{
    return item.service == service && (account.isNull() || item.account == account);
}

} // namespace

bool VOKMemoryKeychainBackend::addItem(const Item &item)
{
    QMutexLocker lock(&m_mutex);
    m_items.append(item);
    return true;
}

std::optional<VOKKeychainBackend::Item> VOKMemoryKeychainBackend::findItem(const QString &service,
                                                                           const QString &account) const
{
    QMutexLocker lock(&m_mutex);
    for (const Item &item : m_items) {
        if (matches(item, service, account))
            return item;
    }
    return std::nullopt;
}

VOKKeychainBackend::DeleteResult VOKMemoryKeychainBackend::deleteItems(const QString &service,
                                                                       const QString &account)
{
    QMutexLocker lock(&m_mutex);
    const qsizetype removed = m_items.removeIf([&](const Item &item) { return matches(item, service, account); });
    return removed > 0 ? DeleteResult::Deleted : DeleteResult::NothingMatched;
}

QList<VOKKeychainBackend::Item> VOKMemoryKeychainBackend::items() const
{
    QMutexLocker lock(&m_mutex);
    return m_items;
}
