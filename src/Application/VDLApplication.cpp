#include "VDLApplication.h"

#include "VDLApplicationStyle.h"
#include "VOKLog.h"
#include "VOKPreferences.h"
#include "VOKSystemAlertSound.h"
#include "VOKWebBrowser.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMessageBox>
#include <QStandardPaths>

#include <atomic>

namespace {

const QString PagesResourceFolder = QStringLiteral(":/html");
constexpr int ToolTipDelayMs = 100;

// The pages link to each other, so they are written out together.
bool writeOutPages(const QString &folder)
{
    if (!QDir().mkpath(folder))
        return false;
    const QDir resources(PagesResourceFolder);
    for (const QString &name : resources.entryList(QDir::Files)) {
        const QString target = QDir(folder).filePath(name);
        QFile::remove(target);
        if (!QFile::copy(resources.filePath(name), target))
            return false;
    }
    return true;
}

Qt::KeyboardModifier modifierOfKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
        return Qt::ShiftModifier;
    case Qt::Key_Control:
        return Qt::ControlModifier;
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
        return Qt::AltModifier;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
        return Qt::MetaModifier;
    default:
        return Qt::NoModifier;
    }
}

// Writes the flag and signals only when it changes.
template <typename Signal>
void updateKey(VDLApplication *application, bool &stored, bool down, Signal changed)
{
    if (stored == down)
        return;
    stored = down;
    Q_EMIT(application->*changed)();
}

} // namespace

const QString VDLApplication::ToolTipDelayKey = QStringLiteral("NSInitialToolTipDelay");
const QString VDLApplication::DesktopFileName = QStringLiteral("vindle");

VDLApplication::VDLApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Vindle"));
    setApplicationVersion(shortVersionString());
    setDesktopFileName(DesktopFileName);
    setWindowIcon(QIcon(QStringLiteral(":/icons/vindle.svg")));
    VOKPreferences::standard().setObject(ToolTipDelayMs, ToolTipDelayKey);
    setStyle(new VDLApplicationStyle());
    vokInstallSystemAlertSound();
}

VDLApplication::~VDLApplication() = default;

VDLApplication *VDLApplication::instance()
{
    return qobject_cast<VDLApplication *>(QCoreApplication::instance());
}

QString VDLApplication::shortVersionString()
{
    return QStringLiteral(VINDLE_VERSION);
}

void VDLApplication::showHelp(const QObject *sender)
{
    const QString section = sender ? sender->property("helpSectionID").toString() : QString();
    openBundlePage(QStringLiteral("Help"), section);
}

void VDLApplication::showReleaseNotes()
{
    openBundlePage(QStringLiteral("ReleaseNotes"), QString());
}

void VDLApplication::showAcknowledgements()
{
    openBundlePage(QStringLiteral("Acknowledgements"), QString());
}

std::optional<QUrl> VDLApplication::bundlePageUrl(const QString &name)
{
    const QString fileName = name + QStringLiteral(".html");
    if (!QFile::exists(QDir(PagesResourceFolder).filePath(fileName)))
        return std::nullopt;
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/html");
    if (!writeOutPages(folder)) {
        VOK_ERROR(QStringLiteral("Can't write the pages to %1").arg(folder));
        return std::nullopt;
    }
    return QUrl::fromLocalFile(QDir(folder).filePath(fileName));
}

void VDLApplication::openBundlePage(const QString &name, const QString &section)
{
    const std::optional<QUrl> page = bundlePageUrl(name);
    if (!page) {
        VOK_WARNING(QStringLiteral("Beep: Bundle does not contain %1!").arg(name));
        return;
    }
    QUrl url = *page;
    if (!section.isEmpty())
        url.setFragment(section);
    vokOpenInWebBrowser(url, [page = *page] { showPageNotOpened(page); });
}

void VDLApplication::showPageNotOpened(const QUrl &page)
{
    QWidget *const window = QApplication::activeWindow();
    auto *const box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Page Not Opened"),
                                      QStringLiteral("Vindle could not open the page “%1”.").arg(page.fileName()),
                                      QMessageBox::Ok, window);
    box->setInformativeText(
        QStringLiteral("No web browser is set up to show it. You can open the file yourself:\n%1")
            .arg(page.toLocalFile()));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void VDLApplication::setAppIconCount(unsigned count)
{
    setAppIconCount(count, QDBusConnection::sessionBus());
}

void VDLApplication::setAppIconCount(unsigned count, const QDBusConnection &bus)
{
    const QString appUri = QStringLiteral("application://%1.desktop").arg(DesktopFileName);
    QDBusMessage update = QDBusMessage::createSignal(
        QStringLiteral("/com/canonical/unity/launcherentry/%1").arg(qHash(appUri)),
        QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"));
    update << appUri
           << QVariantMap{{QStringLiteral("count"), qint64(count)}, {QStringLiteral("count-visible"), count > 0}};
    if (bus.isConnected() && bus.send(update))
        return;
    static std::atomic_bool told = false;
    if (told.exchange(true))
        return;
    const QString reason = bus.lastError().isValid() ? bus.lastError().message()
                                                     : QStringLiteral("no session bus");
    VOK_WARNING(QStringLiteral("badgeLabel count failed to set: %1").arg(reason));
}

void VDLApplication::updateModifiers()
{
    applyModifiers(queryKeyboardModifiers());
}

bool VDLApplication::notify(QObject *receiver, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
        const auto *key = static_cast<const QKeyEvent *>(event);
        // Platforms differ on whether a modifier key's own event already counts that key, so
        // the key itself decides.
        if (const Qt::KeyboardModifier changed = modifierOfKey(key->key()); changed != Qt::NoModifier)
            applyModifiers(type == QEvent::KeyPress ? key->modifiers() | changed : key->modifiers() & ~changed);
    }
    return QApplication::notify(receiver, event);
}

void VDLApplication::applyModifiers(Qt::KeyboardModifiers modifiers)
{
    updateKey(this, m_shiftKeyDown, modifiers.testFlag(Qt::ShiftModifier), &VDLApplication::shiftKeyDownChanged);
    updateKey(this, m_controlKeyDown, modifiers.testFlag(Qt::ControlModifier),
              &VDLApplication::controlKeyDownChanged);
    updateKey(this, m_alternateKeyDown, modifiers.testFlag(Qt::AltModifier),
              &VDLApplication::alternateKeyDownChanged);
    updateKey(this, m_commandKeyDown, modifiers.testFlag(Qt::MetaModifier), &VDLApplication::commandKeyDownChanged);
}
