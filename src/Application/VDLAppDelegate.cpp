#include "VDLAppDelegate.h"

#include "VDLApplication.h"
#include "VDLHistoryBudgetSheet.h"
#include "VDLMainMenu.h"
#include "VDLOpenViewController.h"
#include "VDLURLOpener.h"
#include "VDLURLRoute.h"
#include "VOKRecentsManager.h"
#include "VOKWindow.h"
#include "VOKWindowController.h"
#include "VOKWindowPresenter.h"
#include "VOKWindowRestoration.h"

#include <QAction>
#include <QMessageBox>
#include <QScreen>

namespace {

// The URLs of the texts; those given with leave to publish are also added to `allowedToPublish`.
QList<QUrl> urlsFromText(const QStringList &texts, QList<QUrl> &allowedToPublish)
{
    QList<QUrl> urls;
    for (const QString &text : texts) {
        const std::optional<QString> allowed = VDLURLOpener::allowedToPublish(text);
        if (const std::optional<QUrl> url = VDLURLRoute::urlFromText(allowed.value_or(text))) {
            urls.append(*url);
            if (allowed)
                allowedToPublish.append(*url);
        }
    }
    return urls;
}

} // namespace

VDLAppDelegate::VDLAppDelegate(QObject *parent)
    : QObject(parent)
    , m_mainMenu(std::make_unique<VDLMainMenu>())
    , m_recentsMenuItem(m_mainMenu->recentsMenuItem())
{
    VDLURLOpener::registerWindowClasses();
    VOKWindow::setMenuBarBuilder([menu = m_mainMenu.get()](QMenuBar &bar) { menu->populate(bar); });
    connectMenuCommands();
}

VDLAppDelegate::~VDLAppDelegate()
{
    VOKWindow::setMenuBarBuilder({});
}

void VDLAppDelegate::connectMenuCommands()
{
    connect(m_mainMenu.get(), &VDLMainMenu::newConnectionRequested, this, &VDLAppDelegate::newConnection);
    // The window in front may ask for its own section of the help.
    connect(m_mainMenu.get(), &VDLMainMenu::helpRequested, this, [] {
        const auto *const window = qobject_cast<const VOKWindow *>(QApplication::activeWindow());
        VDLApplication::showHelp(window ? window->content() : nullptr);
    });
    connect(m_mainMenu.get(), &VDLMainMenu::releaseNotesRequested, this, &VDLApplication::showReleaseNotes);
    connect(m_mainMenu.get(), &VDLMainMenu::acknowledgementsRequested, this, &VDLApplication::showAcknowledgements);
    connect(m_mainMenu.get(), &VDLMainMenu::aboutRequested, this, &VDLAppDelegate::showAbout);
    connect(m_mainMenu.get(), &VDLMainMenu::historyBudgetRequested, this, [] {
        if (QWidget *const window = QApplication::activeWindow())
            VDLHistoryBudgetSheet::open(window);
    });
}

void VDLAppDelegate::launch(const QStringList &urls, Restoration restoration)
{
    applicationOpenURLs(urlsFromText(urls, m_urlsAllowedToPublish));
    if (restoration == Restoration::Restore)
        VOKWindowRestoration::restoreWindows();
    applicationDidFinishLaunching();
    if (VOKWindowController::openControllers().isEmpty())
        newConnection();
}

void VDLAppDelegate::openHandedOverURLs(const QStringList &urls)
{
    if (urls.isEmpty()) {
        const QList<VOKWindowController *> open = VOKWindowController::openControllers();
        if (open.isEmpty())
            newConnection();
        else
            open.first()->showWindow();
        return;
    }
    applicationOpenURLs(urlsFromText(urls, m_urlsAllowedToPublish));
}

void VDLAppDelegate::applicationDidFinishLaunching()
{
    VDLApplication::setAppIconCount(0);
    m_didFinishLaunching = true;
    Q_EMIT didFinishLaunchingChanged();
    if (!m_urlsToOpen.isEmpty())
        openURLs(std::exchange(m_urlsToOpen, {}));
    VOKRecentsManager::configureWithMenuItem(m_recentsMenuItem, true);
}

void VDLAppDelegate::applicationOpenURLs(const QList<QUrl> &urls)
{
    if (m_didFinishLaunching)
        openURLs(urls);
    else
        m_urlsToOpen.append(urls);
}

void VDLAppDelegate::openURLs(const QList<QUrl> &urls)
{
    for (const QUrl &url : urls)
        openURL(url);
}

void VDLAppDelegate::openURL(const QUrl &url)
{
    const bool allowed = m_urlsAllowedToPublish.removeOne(url);
    VDLURLOpener::open(url, allowed ? VDLPublishViewController::PublishLinks::Allow : VDLPublishViewController::PublishLinks::Ask);
}

void VDLAppDelegate::newConnection()
{
    VOKViewController *const dialog = VOKWindowPresenter::presentViewControllerOfClass<VDLOpenViewController>();
    if (!dialog)
        return;
    QWidget *const window = dialog->window();
    if (const QScreen *screen = window->screen()) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
}

void VDLAppDelegate::showAbout()
{
    QMessageBox::about(QApplication::activeWindow(), QStringLiteral("About Vindle"),
                       QStringLiteral("<h3>Vindle %1</h3><p>A browser for MQTT brokers: a live tree of every "
                                      "topic, with message histories, device summaries and publishing.</p>")
                           .arg(VDLApplication::shortVersionString()));
}
