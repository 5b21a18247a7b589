#pragma once

#include "VOKClassRegistry.h"

#include <QString>
#include <QVariant>
#include <QWidget>

#include <memory>

// The content of one window: a widget with the hooks the window layer calls. Subclasses
// override the hooks they need.
//
// Optional observed properties: a subclass that declares a Q_PROPERTY "vokWindowTitle" (text
// or URL, with a NOTIFY signal) drives its window's title, and one that declares
// "vokRepresentedUrl" (URL) drives the window's represented URL.
//
// Ownership: the window showing the controller owns it (Qt parent). Thread: GUI thread only.
class VOKViewController : public QWidget
{
    Q_OBJECT

public:
    // What the window offers around the content; the bit values are the toolkit's own.
    enum class WindowStyle {
        Titled = 1 << 0,
        Closable = 1 << 1,
        Miniaturizable = 1 << 2,
        Resizable = 1 << 3,
    };
    Q_DECLARE_FLAGS(WindowStyleMask, WindowStyle)

    explicit VOKViewController(QWidget *parent = nullptr);
    ~VOKViewController() override;

    // Called once the values describing a new controller are set, before its window is shown.
    virtual void vokAllSet();
    // Whether the window is presented again at the next launch.
    virtual bool vokAutoRestore() const;
    // Called after the window was re-created at launch.
    virtual void vokDidRestore();
    // The name the window frame is saved under; a null string falls back to the title.
    virtual QString vokWindowAutoSaveName() const;
    // The title the window is entered under among the recents; a null string keeps it out.
    virtual QString vokRecentsMenuTitle() const;
    // The window's title-bar buttons and whether it can be resized; all of them by default. A
    // window that cannot be resized keeps the size its content asks for.
    virtual WindowStyleMask vokWindowStyleMask() const;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(VOKViewController::WindowStyleMask)

// Makes the view-controller class creatable by its C++ class name (VOKClassRegistry), as
// presenting by name and restoring windows need. The factory answers a new top-level controller
// that the caller owns; widgets cannot take the registry's QObject parent.
template <typename ViewController>
void vokRegisterViewControllerClass()
{
    VOKClassRegistry::registerFactory(QString::fromLatin1(ViewController::staticMetaObject.className()),
                                      [](const QVariantMap &, QObject *) {
                                          auto controller = std::make_unique<ViewController>();
                                          return QVariant::fromValue<QObject *>(controller.release());
                                      });
}
