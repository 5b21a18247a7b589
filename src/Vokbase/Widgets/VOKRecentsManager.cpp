#include "VOKRecentsManager.h"

#include "VOKJSON.h"
#include "VOKLog.h"
#include "VOKPreferences.h"
#include "VOKString.h"
#include "VOKVariant.h"
#include "VOKWindowPresenter.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

namespace {

constexpr int shortcutCount = 9;

QStringList storedList(const QString &key)
{
    return VOKPreferences::standard().stringArrayForKey(key);
}

// The title and the window identifier of an entry "title|Class|{JSON}". A title may hold "|"
// itself (a topic path may), so the identifier is found from its end: the JSON object that
// closes the entry, and the class name before it. Other entries split at their first "|".
std::optional<VOKStringPair> splitEntry(const QString &entry)
{
    const QString jsonStart = QStringLiteral("|{");
    for (qsizetype bar = entry.indexOf(jsonStart, 1); bar >= 0; bar = entry.indexOf(jsonStart, bar + 1)) {
        const qsizetype classBar = entry.lastIndexOf(QLatin1Char('|'), bar - 1);
        if (classBar >= 0 && vokIsDictionary(vokJSONFragmentValue(entry.mid(bar + 1).toUtf8())))
            return VOKStringPair(entry.left(classBar), entry.mid(classBar + 1));
    }
    return vokSplitAtFirst(entry, QStringLiteral("|"));
}

QString indented(const QString &title)
{
    return QStringLiteral("    ") + title;
}

} // namespace

const QString VOKRecentsManager::RecentsKey = QStringLiteral("VOKRecents");
const QString VOKRecentsManager::FavoritesKey = QStringLiteral("VOKFavorites");

VOKRecentsManager &VOKRecentsManager::sharedInstance()
{
    // Owned by the application, so its menu goes before the application does.
    static VOKRecentsManager *const shared = [] {
        auto *manager = new VOKRecentsManager();
        manager->setParent(QCoreApplication::instance());
        return manager;
    }();
    return *shared;
}

VOKRecentsManager::~VOKRecentsManager() = default;

void VOKRecentsManager::configureWithMenuItem(QAction *menuItem, bool supportFavorites)
{
    if (menuItem)
        sharedInstance().configure(menuItem, supportFavorites);
}

void VOKRecentsManager::configure(QAction *menuItem, bool supportFavorites)
{
    if (m_menu) {
        VOK_WARNING(QStringLiteral("Beep: -configureWithMenuItem: called multiple times!"));
        return;
    }
    m_supportFavorites = supportFavorites;
    m_menu = std::make_unique<QMenu>();
    m_menuItem = menuItem;
    menuItem->setMenu(m_menu.get());
    const auto rebuild = [](QObject *observer, const VOKKVOChange &, VOKKVOBlock *) {
        static_cast<VOKRecentsManager *>(observer)->updateMenu();
    };
    m_recentsObserver = vokAddObserver(&VOKPreferences::standard(), this, QStringLiteral("values.VOKRecents"), rebuild);
    m_favoritesObserver =
        vokAddObserver(&VOKPreferences::standard(), this, QStringLiteral("values.VOKFavorites"), rebuild);
    updateMenu();
}

void VOKRecentsManager::updateMenu()
{
    if (!m_menu)
        return;
    m_menu->clear();
    addSection(QStringLiteral("Recents"), RecentsKey, Qt::ControlModifier);
    if (!m_supportFavorites)
        return;
    m_menu->addAction(QString())->setEnabled(false);
    addSection(QStringLiteral("Favorites"), FavoritesKey, Qt::ControlModifier | Qt::ShiftModifier);
}

void VOKRecentsManager::addSection(const QString &title, const QString &key, Qt::KeyboardModifiers modifiers)
{
    m_menu->addAction(title)->setEnabled(false);
    const QStringList entries = storedList(key);
    int parsed = 0;
    for (const QString &entry : entries) {
        const auto parts = splitEntry(entry);
        if (!parts) {
            VOK_ERROR(QStringLiteral("Failed to parse recents entry: '%1'").arg(entry));
            continue;
        }
        QAction *const item = m_menu->addAction(indented(parts->first));
        const QString identifier = parts->second;
        connect(item, &QAction::triggered, this, [this, identifier] { openUsingIdentifier(identifier); });
        if (++parsed <= shortcutCount)
            item->setShortcut(QKeySequence(int(modifiers) | (Qt::Key_0 + parsed)));
    }
    const QList<QAction *> items = m_menu->actions();
    if (!items.isEmpty() && !items.last()->isSeparator())
        m_menu->addSeparator();
    QAction *const clear = m_menu->addAction(indented(QStringLiteral("Clear %1").arg(title)));
    clear->setEnabled(!entries.isEmpty());
    connect(clear, &QAction::triggered, this, [key] { VOKPreferences::standard().removeObjectForKey(key); });
}

void VOKRecentsManager::openUsingIdentifier(const QString &identifier)
{
    VOKWindowPresenter::presentViewControllerWithIdentifier(identifier);
}

std::optional<QString> VOKRecentsManager::entryFor(const QString &title, const QString &identifier,
                                                   const char *operation)
{
    if (title.isEmpty()) {
        VOK_WARNING(QStringLiteral("Beep: Valid title required for %1").arg(QLatin1String(operation)));
        return std::nullopt;
    }
    if (identifier.isEmpty()) {
        VOK_WARNING(QStringLiteral("Beep: Valid identifier required for %1").arg(QLatin1String(operation)));
        return std::nullopt;
    }
    return QStringLiteral("%1|%2").arg(title, identifier);
}

void VOKRecentsManager::storeFirst(const QString &entry, const QString &key)
{
    QStringList list = storedList(key);
    list.removeAll(entry);
    list.prepend(entry);
    VOKPreferences::standard().setObject(list, key);
}

void VOKRecentsManager::addRecentWithTitle(const QString &title, const QString &identifier)
{
    if (const auto entry = entryFor(title, identifier, "addRecentWithTitle:identifier:"))
        storeFirst(*entry, RecentsKey);
}

void VOKRecentsManager::addFavoriteWithTitle(const QString &title, const QString &identifier)
{
    if (const auto entry = entryFor(title, identifier, "addFavoriteWithTitle:identifier:"))
        storeFirst(*entry, FavoritesKey);
}

void VOKRecentsManager::removeFavoriteWithTitle(const QString &title, const QString &identifier)
{
    if (const auto entry = entryFor(title, identifier, "removeFavoriteWithTitle:identifier:"))
        removeFavoriteWithVokIdentifier(*entry);
}

void VOKRecentsManager::addFavoriteWithVokIdentifier(const QString &entry)
{
    storeFirst(entry, FavoritesKey);
}

void VOKRecentsManager::removeFavoriteWithVokIdentifier(const QString &entry)
{
    if (!VOKPreferences::standard().objectForKey(FavoritesKey).isValid())
        return;
    QStringList list = storedList(FavoritesKey);
    list.removeAll(entry);
    VOKPreferences::standard().setObject(list, FavoritesKey);
}

bool VOKRecentsManager::isFavorite(const QString &entry) const
{
    return storedList(FavoritesKey).contains(entry);
}
