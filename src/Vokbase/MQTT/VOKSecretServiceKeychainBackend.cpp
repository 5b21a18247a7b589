#include "VOKSecretServiceKeychainBackend.h"

#include <QFileInfo>

#include <libsecret/secret.h>

#if defined(__SANITIZE_ADDRESS__)
#define VOK_LEAK_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VOK_LEAK_SANITIZER 1
#endif
#endif
#ifdef VOK_LEAK_SANITIZER
#include <sanitizer/lsan_interface.h>
#endif

namespace {

const SecretSchema &schema()
{
    // Items are found by their attributes whatever schema name other tools gave them.
    static const SecretSchema vindleSchema = {
        "org.vindle.GenericPassword",
        SECRET_SCHEMA_DONT_MATCH_NAME,
        {
            {"service", SECRET_SCHEMA_ATTRIBUTE_STRING},
            {"account", SECRET_SCHEMA_ATTRIBUTE_STRING},
            {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING},
        },
        0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    return vindleSchema;
}

struct HashTableDeleter
{
    void operator()(GHashTable *table) const { g_hash_table_unref(table); }
};
using Attributes = std::unique_ptr<GHashTable, HashTableDeleter>;

struct ErrorDeleter
{
    void operator()(GError *error) const { g_error_free(error); }
};
using Error = std::unique_ptr<GError, ErrorDeleter>;

struct ValueDeleter
{
    void operator()(SecretValue *value) const { secret_value_unref(value); }
};
using Value = std::unique_ptr<SecretValue, ValueDeleter>;

struct ListDeleter
{
    void operator()(GList *list) const { g_list_free_full(list, g_object_unref); }
};
using ObjectList = std::unique_ptr<GList, ListDeleter>;

Attributes attributesFor(const QString &service, const QString &account)
{
    Attributes attributes(g_hash_table_new_full(g_str_hash, g_str_equal, g_free, g_free));
    g_hash_table_insert(attributes.get(), g_strdup("service"), g_strdup(service.toUtf8().constData()));
    if (!account.isNull())
        g_hash_table_insert(attributes.get(), g_strdup("account"), g_strdup(account.toUtf8().constData()));
    return attributes;
}

QString attribute(GHashTable *attributes, const char *name)
{
    const auto *value = static_cast<const char *>(g_hash_table_lookup(attributes, name));
    return value ? QString::fromUtf8(value) : QString();
}

// Without a session bus GDBus would try to autolaunch one, which can hang a headless session.
bool sessionBusExists()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

} // namespace

std::unique_ptr<VOKSecretServiceKeychainBackend> VOKSecretServiceKeychainBackend::connectToService(QString *reason)
{
    if (!sessionBusExists()) {
        *reason = QStringLiteral("no D-Bus session bus");
        return nullptr;
    }
    GError *rawError = nullptr;
    SecretService *service = secret_service_get_sync(SECRET_SERVICE_OPEN_SESSION, nullptr, &rawError);
    const Error error(rawError);
    if (!service) {
        *reason = error ? QString::fromUtf8(error->message) : QStringLiteral("no Secret Service");
        return nullptr;
    }
    g_object_unref(service);
    return std::unique_ptr<VOKSecretServiceKeychainBackend>(new VOKSecretServiceKeychainBackend());
}

bool VOKSecretServiceKeychainBackend::addItem(const Item &item)
{
    const Attributes attributes = attributesFor(item.service, item.account);
    const Value value(secret_value_new(item.secret.constData(), item.secret.size(), "text/plain"));
    const QByteArray label = QStringLiteral("%1 (%2)").arg(item.service, item.account).toUtf8();
    GError *rawError = nullptr;
    const gboolean stored = secret_password_storev_binary_sync(&schema(), attributes.get(), SECRET_COLLECTION_DEFAULT,
                                                               label.constData(), value.get(), nullptr, &rawError);
    const Error error(rawError);
    return stored && !error;
}

namespace {

#ifdef VOK_LEAK_SANITIZER
// libsecret's search makes a SecretItem for every match through g_async_initable_new_async,
// which keeps 8 bytes of GIO's for good, even once the item and the list are released. The
// sanitizer build ignores what is allocated during the search on this thread; glib's missing
// frame pointers leave nothing else to tell that allocation by.
using LibsecretSearchLeak = __lsan::ScopedDisabler;
#else
struct LibsecretSearchLeak
{
};
#endif

} // namespace

std::optional<VOKKeychainBackend::Item> VOKSecretServiceKeychainBackend::findItem(const QString &service,
                                                                                  const QString &account) const
{
    const Attributes attributes = attributesFor(service, account);
    GError *rawError = nullptr;
    [[maybe_unused]] const LibsecretSearchLeak knownLeak;
    const ObjectList found(secret_password_searchv_sync(
        &schema(), attributes.get(), static_cast<SecretSearchFlags>(SECRET_SEARCH_UNLOCK | SECRET_SEARCH_LOAD_SECRETS),
        nullptr, &rawError));
    const Error error(rawError);
    if (error || !found)
        return std::nullopt;

    auto *retrievable = static_cast<SecretRetrievable *>(found->data);
    const Attributes itemAttributes(secret_retrievable_get_attributes(retrievable));
    GError *rawSecretError = nullptr;
    const Value value(secret_retrievable_retrieve_secret_sync(retrievable, nullptr, &rawSecretError));
    const Error secretError(rawSecretError);
    if (secretError || !value)
        return std::nullopt;
    gsize length = 0;
    const gchar *secret = secret_value_get(value.get(), &length);
    return Item{attribute(itemAttributes.get(), "service"), attribute(itemAttributes.get(), "account"),
                QByteArray(secret, static_cast<qsizetype>(length))};
}

VOKKeychainBackend::DeleteResult VOKSecretServiceKeychainBackend::deleteItems(const QString &service,
                                                                              const QString &account)
{
    const Attributes attributes = attributesFor(service, account);
    GError *rawError = nullptr;
    const gboolean deleted = secret_password_clearv_sync(&schema(), attributes.get(), nullptr, &rawError);
    const Error error(rawError);
    if (error)
        return DeleteResult::Failed;
    return deleted ? DeleteResult::Deleted : DeleteResult::NothingMatched;
}
