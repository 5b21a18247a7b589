#include "VDLMainMenu.h"

#include "VOKFindPanelAction.h"
#include "VOKResponderChain.h"
#include "VOKWindow.h"
#include "VOKWindowController.h"
#include "VOKWindowRestoration.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>

namespace {

// The command an Edit or View item sends along the chain, and its argument.
const char *const SignatureProperty = "vdlChainSignature";
const char *const ArgumentProperty = "vdlChainArgument";

const char *const SortSignature = "selectSortOrder(int)";
const char *const PauseSignature = "togglePause()";

QList<QAction *> allActions(const QMenu &menu)
{
    QList<QAction *> actions;
    for (QAction *action : menu.actions()) {
        actions.append(action);
        if (const QMenu *submenu = action->menu())
            actions.append(allActions(*submenu));
    }
    return actions;
}

} // namespace

VDLMainMenu::VDLMainMenu(QObject *parent)
    : QObject(parent)
{
    buildFileMenu();
    buildEditMenu();
    buildViewMenu();
    buildWindowMenu();
    buildHelpMenu();
    // Shortcuts of disabled items do nothing, so the states follow the focus, not only the menus.
    connect(qApp, &QApplication::focusChanged, this, &VDLMainMenu::updateCommandStates);
    updateCommandStates();
}

VDLMainMenu::~VDLMainMenu() = default;

QList<QMenu *> VDLMainMenu::menus() const
{
    return {m_file.get(), m_edit.get(), m_view.get(), m_window.get(), m_help.get()};
}

void VDLMainMenu::populate(QMenuBar &menuBar) const
{
    for (QMenu *menu : menus())
        menuBar.addMenu(menu);
}

QMenu *VDLMainMenu::addMenu(const QString &title)
{
    auto *const menu = new QMenu(title);
    connect(menu, &QMenu::aboutToShow, this, &VDLMainMenu::updateCommandStates);
    return menu;
}

void VDLMainMenu::buildFileMenu()
{
    m_file.reset(addMenu(QStringLiteral("&File")));
    m_file->addAction(QStringLiteral("&New Connection…"), QKeySequence::New, this,
                      &VDLMainMenu::newConnectionRequested);
    m_recentsMenuItem = m_file->addAction(QStringLiteral("Open &Recent"));
    m_file->addSeparator();
    m_close = m_file->addAction(QStringLiteral("&Close"), QKeySequence(Qt::CTRL | Qt::Key_W), this, [] {
        if (QWidget *const window = QApplication::activeWindow())
            window->close();
    });
    m_file->addSeparator();
    // Closing the last window ends the application; the windows open now come back next time.
    QAction *const quit = m_file->addAction(QStringLiteral("&Quit"), QKeySequence(Qt::CTRL | Qt::Key_Q), this,
                                            &VOKWindowRestoration::closeAllWindowsForQuitting);
    quit->setMenuRole(QAction::QuitRole);
}

QAction *VDLMainMenu::addChainAction(QMenu *menu, const QString &title, const QKeySequence &shortcut,
                                     const char *signature, const QVariant &argument)
{
    QAction *const action = menu->addAction(title);
    action->setShortcut(shortcut);
    action->setProperty(SignatureProperty, QByteArray(signature));
    action->setProperty(ArgumentProperty, argument);
    connect(action, &QAction::triggered, this, [signature, argument] {
        VOKResponderChain::perform(signature, argument);
    });
    return action;
}

void VDLMainMenu::buildEditMenu()
{
    m_edit.reset(addMenu(QStringLiteral("&Edit")));
    addChainAction(m_edit.get(), QStringLiteral("&Copy"), QKeySequence::Copy, "copy()");
    addChainAction(m_edit.get(), QStringLiteral("&Delete"), QKeySequence::Delete, "performDelete()");
    addChainAction(m_edit.get(), QStringLiteral("Select &All"), QKeySequence::SelectAll, "selectAll()");
    m_edit->addSeparator();
    const char *const find = "performFindPanelAction(int)";
    addChainAction(m_edit.get(), QStringLiteral("&Find…"), QKeySequence::Find, find,
                   VOKFindPanelAction::ShowFindInterface);
    // Both of the usual keys on every desktop, whatever the platform theme offers.
    addChainAction(m_edit.get(), QStringLiteral("Find &Next"), QKeySequence(), find, VOKFindPanelAction::FindNext)
        ->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_G), QKeySequence(Qt::Key_F3)});
    addChainAction(m_edit.get(), QStringLiteral("Find &Previous"), QKeySequence(), find,
                   VOKFindPanelAction::FindPrevious)
        ->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_G), QKeySequence(Qt::SHIFT | Qt::Key_F3)});
}

void VDLMainMenu::buildViewMenu()
{
    m_view.reset(addMenu(QStringLiteral("&View")));
    QMenu *const sortBy = m_view->addMenu(QStringLiteral("&Sort By"));
    m_sortOrders = new QActionGroup(this);
    m_sortOrders->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    const QStringList orders = {QStringLiteral("&Name"), QStringLiteral("&Creation"), QStringLiteral("&Sub-topics"),
                                QStringLiteral("&Messages")};
    for (int order = 0; order < orders.size(); ++order) {
        QAction *const item = addChainAction(sortBy, orders.at(order), QKeySequence(), SortSignature, order);
        item->setCheckable(true);
        m_sortOrders->addAction(item);
    }
    m_view->addSeparator();
    m_pause = addChainAction(m_view.get(), QStringLiteral("&Pause Updates"), QKeySequence(Qt::CTRL | Qt::Key_Period),
                             PauseSignature);
    m_pause->setCheckable(true);
    m_view->addAction(QStringLiteral("Message History &Budget…"), this, &VDLMainMenu::historyBudgetRequested);
}

void VDLMainMenu::buildWindowMenu()
{
    m_window.reset(addMenu(QStringLiteral("&Window")));
    m_minimize = m_window->addAction(QStringLiteral("&Minimize"), QKeySequence(Qt::CTRL | Qt::Key_M), this, [] {
        if (QWidget *const window = QApplication::activeWindow())
            window->showMinimized();
    });
    m_window->addSeparator();
    connect(m_window.get(), &QMenu::aboutToShow, this, &VDLMainMenu::rebuildWindowList);
}

void VDLMainMenu::buildHelpMenu()
{
    m_help.reset(addMenu(QStringLiteral("&Help")));
    m_help->addAction(QStringLiteral("Vindle &Help"), QKeySequence::HelpContents, this, &VDLMainMenu::helpRequested);
    m_help->addAction(QStringLiteral("&Release Notes"), this, &VDLMainMenu::releaseNotesRequested);
    m_help->addAction(QStringLiteral("&Acknowledgements"), this, &VDLMainMenu::acknowledgementsRequested);
    m_help->addSeparator();
    m_help->addAction(QStringLiteral("&About Vindle"), this, &VDLMainMenu::aboutRequested)
        ->setMenuRole(QAction::AboutRole);
}

void VDLMainMenu::rebuildWindowList()
{
    qDeleteAll(m_windowItems);
    m_windowItems.clear();
    const QWidget *const active = QApplication::activeWindow();
    for (VOKWindowController *controller : VOKWindowController::openControllers()) {
        QAction *const item = m_window->addAction(controller->window()->windowTitle());
        item->setCheckable(true);
        item->setChecked(controller->window() == active);
        connect(item, &QAction::triggered, controller, &VOKWindowController::showWindow);
        m_windowItems.append(item);
    }
}

void VDLMainMenu::updateCommandStates()
{
    const bool hasWindow = QApplication::activeWindow() != nullptr;
    m_close->setEnabled(hasWindow);
    m_minimize->setEnabled(hasWindow);
    for (QMenu *menu : {m_edit.get(), m_view.get()}) {
        for (QAction *action : allActions(*menu)) {
            const QByteArray signature = action->property(SignatureProperty).toByteArray();
            if (!signature.isEmpty())
                action->setEnabled(VOKResponderChain::canPerform(signature.constData()));
        }
    }
    const QObject *const sortTarget = VOKResponderChain::targetForAction(SortSignature);
    const int order = sortTarget ? sortTarget->property("sortOrderIndex").toInt() : -1;
    for (QAction *item : m_sortOrders->actions())
        item->setChecked(item->property(ArgumentProperty).toInt() == order);
    const QObject *const pauseTarget = VOKResponderChain::targetForAction(PauseSignature);
    m_pause->setChecked(pauseTarget && pauseTarget->property("paused").toBool());
}
