#pragma once

#include <QApplication>
#include <QString>
#include <QUrl>

#include <optional>

class QDBusConnection;

// Vindle's application object: what the whole application offers rather than one window —
// its version, the help, release-notes and acknowledgements pages, the launcher badge, and the
// state of the modifier keys for whatever wants to observe it.
//
// The four key properties follow every modifier-key press and release delivered to the
// application: Shift, Control, Alt ("alternate") and the Super/Meta key ("command"). Each is
// written only when it changes, so observers hear real changes only.
//
// Ownership: made by main() on the stack. Thread: GUI thread only, apart from the badge, whose
// failure may be reported from elsewhere (it only logs).
class VDLApplication final : public QApplication
{
    Q_OBJECT
    Q_PROPERTY(bool shiftKeyDown READ shiftKeyDown NOTIFY shiftKeyDownChanged)
    Q_PROPERTY(bool controlKeyDown READ controlKeyDown NOTIFY controlKeyDownChanged)
    Q_PROPERTY(bool alternateKeyDown READ alternateKeyDown NOTIFY alternateKeyDownChanged)
    Q_PROPERTY(bool commandKeyDown READ commandKeyDown NOTIFY commandKeyDownChanged)
    Q_PROPERTY(QString helpSectionID READ helpSectionID CONSTANT)

public:
    // The preference that holds the tooltip delay in milliseconds (100 from start-up on).
    static const QString ToolTipDelayKey;
    // The desktop entry the launcher knows Vindle by.
    static const QString DesktopFileName;

    VDLApplication(int &argc, char **argv);
    ~VDLApplication() override;

    static VDLApplication *instance();

    bool isDebugBuild() const { return false; }
    bool useTLS() const { return false; }
    // The application itself asks for no particular help section.
    QString helpSectionID() const { return QString(); }
    void showSettings() {}
    static QString shortVersionString();

    // Open our own page in the default web browser; a page missing from the resources beeps, a
    // page no browser opens is explained in a message box (on the active window when there is
    // one). showHelp jumps to the sender's "helpSectionID" when it has a non-empty one.
    static void showHelp(const QObject *sender = nullptr);
    static void showReleaseNotes();
    static void showAcknowledgements();
    // The file the page is opened from, written out of the resources; none when the resources
    // have no such page.
    static std::optional<QUrl> bundlePageUrl(const QString &name);

    // The number on the application's launcher icon (0 hides it), sent as the Unity launcher
    // signal that common Linux docks understand, on the session bus or the given one. A desktop
    // without such a launcher is nothing the user can mend: a failure is logged as a WARNING,
    // once per process.
    static void setAppIconCount(unsigned count);
    static void setAppIconCount(unsigned count, const QDBusConnection &bus);

    bool shiftKeyDown() const { return m_shiftKeyDown; }
    bool controlKeyDown() const { return m_controlKeyDown; }
    bool alternateKeyDown() const { return m_alternateKeyDown; }
    bool commandKeyDown() const { return m_commandKeyDown; }
    // Refreshes the four key properties from the keyboard's current state.
    void updateModifiers();

    bool notify(QObject *receiver, QEvent *event) override;

Q_SIGNALS:
    void shiftKeyDownChanged();
    void controlKeyDownChanged();
    void alternateKeyDownChanged();
    void commandKeyDownChanged();

private:
    static void openBundlePage(const QString &name, const QString &section);
    static void showPageNotOpened(const QUrl &page);
    void applyModifiers(Qt::KeyboardModifiers modifiers);

    bool m_shiftKeyDown = false;
    bool m_controlKeyDown = false;
    bool m_alternateKeyDown = false;
    bool m_commandKeyDown = false;
};
