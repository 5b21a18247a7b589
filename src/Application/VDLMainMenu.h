#pragma once

#include <QKeySequence>
#include <QObject>
#include <QVariant>

#include <memory>

class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;

// The application's menus — File, Edit, View, Window and Help — made once and shown in the
// menu bar of every window.
//
// File and Help ask for their commands through signals; Close and Minimize act on the active
// window; Quit closes every window, keeping the open ones for the next launch. Edit and View
// send their commands along the active window's command chain (VOKResponderChain), so
// whichever pane has the focus answers them, and are enabled only while something in the
// chain does: "copy()", "selectAll()", "performDelete()",
// "performFindPanelAction(int)" (1 find, 2 next, 3 previous), "selectSortOrder(int)" with the
// current order in the property "sortOrderIndex", and "togglePause()" with the state in the
// property "paused".
//
// The recents menu item ("Open Recent") gets its submenu from VOKRecentsManager.
//
// Ownership: the menus belong to this object and outlive no window that shows them (the
// application deletes windows first). Thread: GUI thread only.
class VDLMainMenu final : public QObject
{
    Q_OBJECT

public:
    explicit VDLMainMenu(QObject *parent = nullptr);
    ~VDLMainMenu() override;

    // Adds the menus to a window's menu bar.
    void populate(QMenuBar &menuBar) const;
    QAction *recentsMenuItem() const { return m_recentsMenuItem; }
    QList<QMenu *> menus() const;
    // Enables the chain's commands, and checks the sort order and pause, for the active window.
    void updateCommandStates();

Q_SIGNALS:
    void newConnectionRequested();
    void helpRequested();
    void releaseNotesRequested();
    void acknowledgementsRequested();
    void aboutRequested();
    void historyBudgetRequested();

private:
    void buildFileMenu();
    void buildEditMenu();
    void buildViewMenu();
    void buildWindowMenu();
    void buildHelpMenu();
    QMenu *addMenu(const QString &title);
    QAction *addChainAction(QMenu *menu, const QString &title, const QKeySequence &shortcut, const char *signature,
                            const QVariant &argument = QVariant());
    void rebuildWindowList();

    std::unique_ptr<QMenu> m_file, m_edit, m_view, m_window, m_help;
    QAction *m_recentsMenuItem = nullptr;
    QAction *m_close = nullptr;
    QAction *m_minimize = nullptr;
    QActionGroup *m_sortOrders = nullptr;
    QAction *m_pause = nullptr;
    QList<QAction *> m_windowItems;
};
