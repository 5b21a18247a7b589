#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

class VOKViewController;

// Finds, creates and closes windows by description: a view-controller class (by C++ class
// name, registered with vokRegisterViewControllerClass) and a dictionary from key path to
// value ("keyPathsAndObjects"). A window matches when its view controller is of the class or
// a subclass and the controller's value at every key path equals the given one; the null
// marker matches an absent value (invalid, null text, null object) and is never set.
//
// Windows it creates carry the identifier "Class|{compact JSON}" (windowIdentifier) and, when
// their controller asks for it, are kept for restoration at the next launch
// (VOKWindowRestoration).
//
// Ownership: presented controllers belong to their windows, which close and delete themselves.
// Thread: GUI thread only.
class VOKWindowPresenter
{
public:
    // The value that stands for "absent" in a description.
    static QVariant nullMarker() { return QVariant::fromValue(nullptr); }

    // Brings the frontmost matching window to the front and answers its controller; without a
    // match creates, fills and shows a new controller when asked, else answers null. Creation
    // that fails logs an ASSERTION and answers null.
    static VOKViewController *presentViewControllerOfClass(const QString &className,
                                                           const QVariantMap &keyPathsAndObjects = {},
                                                           bool createIfNeeded = true);

    template <typename ViewController>
    static ViewController *presentViewControllerOfClass(const QVariantMap &keyPathsAndObjects = {},
                                                        bool createIfNeeded = true)
    {
        return static_cast<ViewController *>(presentViewControllerOfClass(
            QString::fromLatin1(ViewController::staticMetaObject.className()), keyPathsAndObjects,
            createIfNeeded));
    }

    // Presents, creating it if needed, the window an identifier "Class|{JSON}" describes. Null,
    // and nothing opens, when the identifier has no "|", names no registered class (not logged)
    // or its JSON is not a dictionary (logged by the JSON reader).
    static VOKViewController *presentViewControllerWithIdentifier(const QString &identifier);

    // Closes the frontmost matching window as its close button would. False when none matched.
    static bool closeViewControllerOfClass(const QString &className, const QVariantMap &keyPathsAndObjects);

    // "Class|{compact JSON}", or a null string with an ERROR line when a value has no JSON form.
    static QString windowIdentifier(const QString &className, const QVariantMap &keyPathsAndObjects);

private:
    static VOKViewController *findViewController(const QString &className, const QVariantMap &keyPathsAndObjects);
    static VOKViewController *createViewController(const QString &className, const QVariantMap &keyPathsAndObjects);
};
