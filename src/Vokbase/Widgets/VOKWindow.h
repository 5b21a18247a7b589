#pragma once

#include <QList>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <functional>

class QDialog;
class QMenuBar;

// A top-level window showing one content widget (normally a VOKViewController), with what
// the window layer keeps per window: an identifier for restoration and the recents, a
// represented URL, and a frame saved in the preferences under an autosave name.
//
// When a close is accepted the window emits willClose() and posts WillCloseNotification with
// itself as sender on the default VOKNotificationCenter; it is hidden, not deleted.
//
// Ownership: the window owns its content (Qt parent); a VOKWindowController owns the window.
// Thread: GUI thread only.
class VOKWindow final : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString identifier READ identifier WRITE setIdentifier NOTIFY identifierChanged)
    Q_PROPERTY(QUrl representedUrl READ representedUrl WRITE setRepresentedUrl NOTIFY representedUrlChanged)

public:
    static inline const QString WillCloseNotification = QStringLiteral("VOKWindowWillCloseNotification");

    // Fills a window's menu bar with the application's menus; the menus are shared by all windows.
    using MenuBarBuilder = std::function<void(QMenuBar &)>;
    // Every window made afterwards gets a menu bar filled by the builder; none for no menu bar.
    static void setMenuBarBuilder(MenuBarBuilder builder);

    // Takes ownership of the content and fills the window with it.
    explicit VOKWindow(QWidget *content);
    ~VOKWindow() override;

    QWidget *content() const { return m_content; }
    // Null when no builder was set when the window was made.
    QMenuBar *menuBar() const { return m_menuBar; }

    // "Class|JSON" for windows made by VOKWindowPresenter; a null string for none.
    QString identifier() const { return m_identifier; }
    void setIdentifier(const QString &identifier);

    QUrl representedUrl() const { return m_representedUrl; }
    void setRepresentedUrl(const QUrl &url);

    // Setting a name moves the window to the frame saved under it, if any; from then on the
    // frame is saved under the name whenever it changes and when the window closes.
    QString frameAutosaveName() const { return m_frameAutosaveName; }
    void setFrameAutosaveName(const QString &name);

    // Window-modal dialogs of this window that are showing (sheets are opened with open()).
    QList<QDialog *> attachedSheets() const;

Q_SIGNALS:
    void willClose();
    // The window became the active (key) window.
    void becameKey();
    void identifierChanged();
    void representedUrlChanged();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void frameChanged();
    void saveFrame() const;

    static MenuBarBuilder &menuBarBuilder();

    QWidget *m_content;
    QMenuBar *m_menuBar = nullptr;
    QString m_identifier;
    QUrl m_representedUrl;
    QString m_frameAutosaveName;
    // Moving or resizing reports many frames; only the last of a burst is written.
    QTimer m_frameSaveTimer;
};
