#pragma once

#include <QAction>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUrl>

#include <memory>

class VDLMainMenu;

// What the application does at launch and with the URLs it is given: URLs that arrive before
// launch has finished wait in urlsToOpen and are opened, in arrival order, once it has; later
// ones open at once. Each mqtt:// or mqtts:// URL becomes a viewer window, or a publish window
// when it has a query (VDLURLOpener).
//
// Launch, in order: the launcher badge is reset, the waiting URLs are opened, then the recents
// and favorites menu is set up under recentsMenuItem.
//
// The delegate owns the application's menus (VDLMainMenu), which every window shows, and answers
// their application-wide commands.
//
// Ownership: made by main() and living as long as the application; it keeps no reference to
// the windows it opens. Thread: GUI thread only.
class VDLAppDelegate final : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QAction *recentsMenuItem READ recentsMenuItem WRITE setRecentsMenuItem)
    Q_PROPERTY(bool didFinishLaunching READ didFinishLaunching NOTIFY didFinishLaunchingChanged)
    Q_PROPERTY(QList<QUrl> urlsToOpen READ urlsToOpen)

public:
    explicit VDLAppDelegate(QObject *parent = nullptr);
    ~VDLAppDelegate() override;

    // Whether a launch brings back the windows open at the last quit. A separate instance
    // (--new-instance) skips them: they belong to the session, which another Vindle may be
    // showing, and a URL among them would open twice.
    enum class Restoration { Restore, Skip };

    // Start-up: takes the URLs of the command line, brings back the windows open at the last
    // quit (unless told to skip them), finishes launching, and shows the connection dialog when
    // no window is open then.
    void launch(const QStringList &urls, Restoration restoration = Restoration::Restore);
    // URLs another launch handed over (as text); none brings Vindle to the front.
    void openHandedOverURLs(const QStringList &urls);

    VDLMainMenu *mainMenu() const { return m_mainMenu.get(); }

    QAction *recentsMenuItem() const { return m_recentsMenuItem; }
    void setRecentsMenuItem(QAction *item) { m_recentsMenuItem = item; }
    bool didFinishLaunching() const { return m_didFinishLaunching; }
    QList<QUrl> urlsToOpen() const { return m_urlsToOpen; }

    void applicationDidFinishLaunching();
    void applicationWillTerminate() {}
    bool applicationSupportsSecureRestorableState() const { return false; }
    // URLs handed to the application: collected until launch has finished, then opened.
    void applicationOpenURLs(const QList<QUrl> &urls);
    void openURLs(const QList<QUrl> &urls);
    void openURL(const QUrl &url);
    // Shows the connection dialog, centred on the screen; an open one comes to the front.
    void newConnection();
    void showAbout();

Q_SIGNALS:
    void didFinishLaunchingChanged();

private:
    void connectMenuCommands();

    std::unique_ptr<VDLMainMenu> m_mainMenu;
    QPointer<QAction> m_recentsMenuItem;
    bool m_didFinishLaunching = false;
    QList<QUrl> m_urlsToOpen;
    // URLs given with --allow-publish, until they are opened.
    QList<QUrl> m_urlsAllowedToPublish;
};
