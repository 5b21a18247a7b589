#pragma once

#include "VOKKVOBlock.h"
#include "VOKNotificationObserver.h"

#include <QList>
#include <QObject>
#include <QPoint>

#include <memory>

class VOKViewController;
class VOKWindow;

// Owns the top-level window that shows one view controller, and gives every window the same
// behaviour: the title-bar buttons and resizing follow the controller's "vokWindowStyleMask",
// the title its "vokWindowTitle", the represented URL its "vokRepresentedUrl", the frame is
// saved by autosave name, and a new window that would open exactly where another one shows
// cascades off it instead of hiding it.
//
// Ownership: the controller owns its window (which owns the view controller). A controller
// made by presentViewController() owns itself (retainUntilClose): it is deleted (deleteLater)
// after its window closes. Otherwise the creator owns it.
// The window's entry among the recents and favorites is "title|identifier" (vokIdentifier);
// vokIsFavorite says whether the favorites hold it and, when set, adds or removes it, so a
// favorite toggle in the window can be bound to it.
//
// Thread: GUI thread only.
class VOKWindowController final : public QObject
{
    Q_OBJECT
    Q_PROPERTY(VOKNotificationObserver *parentWindowObserver READ parentWindowObserver)
    Q_PROPERTY(QString vokIdentifier READ vokIdentifier NOTIFY vokIdentifierChanged)
    Q_PROPERTY(bool vokIsFavorite READ vokIsFavorite WRITE setVokIsFavorite NOTIFY vokIsFavoriteChanged)

public:
    // The step from one cascaded window's top-left corner to the next.
    static constexpr QPoint CascadeOffset{22, 22};
    static constexpr int MaxCascadeSteps = 100;

    // Puts the view controller into a new, hidden window.
    explicit VOKWindowController(std::unique_ptr<VOKViewController> viewController);
    ~VOKWindowController() override;

    // A window controller for the view controller that keeps itself alive until its window
    // closes, with the window shown in front.
    static VOKWindowController *presentViewController(std::unique_ptr<VOKViewController> viewController);

    // Controllers whose windows are showing, frontmost first.
    static QList<VOKWindowController *> openControllers();
    // Another showing window of the application that sits where the window would: its content
    // or its frame (a window manager may put either at the place asked for) starts at the
    // window's top-left corner. Null when there is none.
    static QWidget *appWindowAtPlaceOfWindow(const QWidget *window);
    // The controller of the window the widget is in, or null.
    static VOKWindowController *controllerForWidget(const QWidget *widget);

    VOKWindow *window() const { return m_window.get(); }
    VOKViewController *viewController() const { return m_viewController; }
    VOKNotificationObserver *parentWindowObserver() const { return m_parentWindowObserver.get(); }

    // Shows the window, raises it and makes it the active window.
    void showWindow();
    // Deletes this controller (later) once its window has closed.
    void retainUntilClose();
    // Closes the window now when no sheet is attached, else when the next sheet ends.
    void closeWhenSheetsGone();
    // Closes this window when the parent closes; replaces any earlier parent. Null for none.
    void makeDependentOn(VOKWindow *parentWindow);
    void parentWindowWillClose();

    QString vokIdentifier() const;
    bool vokIsFavorite() const;
    void setVokIsFavorite(bool favorite);

Q_SIGNALS:
    void vokIdentifierChanged();
    void vokIsFavoriteChanged();

private:
    void applyStyleMask();
    void observeTitle();
    void observeRepresentedUrl();
    // Applies the view controller's property to the window now and after every change; none when
    // the view controller has no such property.
    VOKKVOBlockPtr observeViewController(const QString &key, void (*apply)(VOKWindowController &, const QVariant &));
    void setUpFrameAutosave();
    void cascadeOffOtherWindows();
    void orderFront();
    bool hasProperty(const char *name) const;

    VOKViewController *m_viewController;
    std::unique_ptr<VOKWindow> m_window;
    VOKKVOBlockPtr m_titleObserver;
    VOKKVOBlockPtr m_representedUrlObserver;
    VOKNotificationObserverPtr m_parentWindowObserver;
    QObject *m_sheetWait = nullptr;
};
