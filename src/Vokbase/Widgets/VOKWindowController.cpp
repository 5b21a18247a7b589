#include "VOKWindowController.h"

#include "VOKPreferences.h"
#include "VOKRecentsManager.h"
#include "VOKViewController.h"
#include "VOKWindow.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QLayout>
#include <QUrl>

#include <algorithm>
#include <utility>

namespace {

// Frontmost first; every living controller is listed, showing or not.
QList<VOKWindowController *> &controllerOrder()
{
    static QList<VOKWindowController *> order;
    return order;
}

const QString TitleKey = QStringLiteral("vokWindowTitle");
const QString RepresentedUrlKey = QStringLiteral("vokRepresentedUrl");

bool isUrl(const QVariant &value)
{
    return value.metaType() == QMetaType::fromType<QUrl>();
}

// A URL's title is its file's name, or its path for other URLs.
QString titleFor(const QVariant &value)
{
    if (!isUrl(value))
        return value.toString();
    const QUrl url = value.toUrl();
    return url.isLocalFile() ? QFileInfo(url.toLocalFile()).fileName() : url.path();
}

// The title as an autosave name: the text, or the path of a URL.
QString autosaveNameFor(const QVariant &value)
{
    return isUrl(value) ? value.toUrl().path() : value.toString();
}

} // namespace

VOKWindowController::VOKWindowController(std::unique_ptr<VOKViewController> viewController)
    : m_viewController(viewController.get()),
      m_window(std::make_unique<VOKWindow>(viewController.release()))
{
    controllerOrder().append(this);
    applyStyleMask();
    // A content that was given a size keeps it; others start at 100 by 100.
    const QSize size = m_viewController->testAttribute(Qt::WA_Resized) ? m_viewController->size() : QSize();
    m_window->setGeometry(QRect(QPoint(100, 100), size.expandedTo(QSize(100, 100))));
    connect(m_window.get(), &VOKWindow::becameKey, this, &VOKWindowController::orderFront);
    observeTitle();
    setUpFrameAutosave();
    cascadeOffOtherWindows();
    observeRepresentedUrl();
    connect(m_window.get(), &QWidget::windowTitleChanged, this, &VOKWindowController::vokIdentifierChanged);
    connect(m_window.get(), &VOKWindow::identifierChanged, this, &VOKWindowController::vokIdentifierChanged);
    connect(this, &VOKWindowController::vokIdentifierChanged, this, &VOKWindowController::vokIsFavoriteChanged);
    connect(&VOKPreferences::standard(), &VOKPreferences::valueChanged, this, [this](const QString &key) {
        if (key == VOKRecentsManager::FavoritesKey)
            Q_EMIT vokIsFavoriteChanged();
    });
}

VOKWindowController::~VOKWindowController()
{
    controllerOrder().removeOne(this);
}

VOKWindowController *VOKWindowController::presentViewController(std::unique_ptr<VOKViewController> viewController)
{
    auto controller = std::make_unique<VOKWindowController>(std::move(viewController));
    controller->retainUntilClose();
    controller->showWindow();
    return controller.release();
}

QList<VOKWindowController *> VOKWindowController::openControllers()
{
    QList<VOKWindowController *> open;
    for (VOKWindowController *controller : controllerOrder()) {
        if (controller->window()->isVisible())
            open.append(controller);
    }
    return open;
}

QWidget *VOKWindowController::appWindowAtPlaceOfWindow(const QWidget *window)
{
    const QPoint corner = window->geometry().topLeft();
    const QList<QWidget *> windows = QApplication::topLevelWidgets();
    const auto found = std::find_if(windows.cbegin(), windows.cend(), [window, corner](const QWidget *other) {
        return other != window && other->isVisible()
            && (other->geometry().topLeft() == corner || other->frameGeometry().topLeft() == corner);
    });
    return found == windows.cend() ? nullptr : *found;
}

VOKWindowController *VOKWindowController::controllerForWidget(const QWidget *widget)
{
    const QWidget *const window = widget ? widget->window() : nullptr;
    const QList<VOKWindowController *> &all = controllerOrder();
    const auto found = std::find_if(all.cbegin(), all.cend(), [window](const VOKWindowController *controller) {
        return controller->window() == window;
    });
    return found == all.cend() ? nullptr : *found;
}

QString VOKWindowController::vokIdentifier() const
{
    return QStringLiteral("%1|%2").arg(m_window->windowTitle(), m_window->identifier());
}

bool VOKWindowController::vokIsFavorite() const
{
    return VOKRecentsManager::sharedInstance().isFavorite(vokIdentifier());
}

void VOKWindowController::setVokIsFavorite(bool favorite)
{
    if (favorite)
        VOKRecentsManager::sharedInstance().addFavoriteWithVokIdentifier(vokIdentifier());
    else
        VOKRecentsManager::sharedInstance().removeFavoriteWithVokIdentifier(vokIdentifier());
}

void VOKWindowController::showWindow()
{
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    orderFront();
}

void VOKWindowController::retainUntilClose()
{
    connect(m_window.get(), &VOKWindow::willClose, this, &QObject::deleteLater, Qt::SingleShotConnection);
}

void VOKWindowController::closeWhenSheetsGone()
{
    const QList<QDialog *> sheets = m_window->attachedSheets();
    if (sheets.isEmpty()) {
        m_window->close();
        return;
    }
    if (m_sheetWait)
        return;
    // Deleting the context object ends the wait on every sheet at once.
    m_sheetWait = new QObject(this);
    for (QDialog *sheet : sheets) {
        connect(sheet, &QDialog::finished, m_sheetWait, [this] {
            QObject *wait = std::exchange(m_sheetWait, nullptr);
            if (!wait)
                return;
            wait->deleteLater();
            m_window->close();
        });
    }
}

void VOKWindowController::makeDependentOn(VOKWindow *parentWindow)
{
    m_parentWindowObserver.reset();
    if (!parentWindow)
        return;
    m_parentWindowObserver = vokObserveNotificationNamed(
        this, VOKWindow::WillCloseNotification, parentWindow,
        [](QObject *observing, const VOKNotification &, VOKNotificationObserver *) {
            static_cast<VOKWindowController *>(observing)->parentWindowWillClose();
        });
}

void VOKWindowController::parentWindowWillClose()
{
    // The token is delivering this call: it ends now and goes once the delivery is over.
    if (m_parentWindowObserver) {
        m_parentWindowObserver->invalidate();
        m_parentWindowObserver.release()->deleteLater();
    }
    m_window->close();
}

void VOKWindowController::applyStyleMask()
{
    using Style = VOKViewController::WindowStyle;
    const VOKViewController::WindowStyleMask mask = m_viewController->vokWindowStyleMask();
    // Customised hints: only the buttons asked for show in the title bar.
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint;
    flags.setFlag(Qt::WindowTitleHint, mask.testFlag(Style::Titled));
    flags.setFlag(Qt::WindowSystemMenuHint, mask.testFlag(Style::Titled));
    flags.setFlag(Qt::WindowCloseButtonHint, mask.testFlag(Style::Closable));
    flags.setFlag(Qt::WindowMinimizeButtonHint, mask.testFlag(Style::Miniaturizable));
    flags.setFlag(Qt::WindowMaximizeButtonHint, mask.testFlag(Style::Resizable));
    m_window->setWindowFlags(flags);
    if (!mask.testFlag(Style::Resizable))
        m_window->layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void VOKWindowController::observeTitle()
{
    m_titleObserver = observeViewController(TitleKey, [](VOKWindowController &self, const QVariant &title) {
        self.m_window->setWindowTitle(titleFor(title));
    });
}

void VOKWindowController::observeRepresentedUrl()
{
    m_representedUrlObserver = observeViewController(RepresentedUrlKey, [](VOKWindowController &self, const QVariant &url) {
        self.m_window->setRepresentedUrl(url.toUrl());
    });
}

VOKKVOBlockPtr VOKWindowController::observeViewController(const QString &key,
                                                          void (*apply)(VOKWindowController &, const QVariant &))
{
    // Only view controllers that declare the property drive the window with it.
    if (!hasProperty(key.toLatin1().constData()))
        return nullptr;
    return vokAddObserver(m_viewController, this, key, VOKKVOOption::Initial | VOKKVOOption::New,
                          [apply](QObject *observer, const VOKKVOChange &change, VOKKVOBlock *) {
                              apply(*static_cast<VOKWindowController *>(observer), change.newValue);
                          });
}

void VOKWindowController::setUpFrameAutosave()
{
    QString name = m_viewController->vokWindowAutoSaveName();
    if (name.isNull() && hasProperty("vokWindowTitle"))
        name = autosaveNameFor(m_viewController->property("vokWindowTitle"));
    if (name.isEmpty())
        return;
    m_window->setFrameAutosaveName(name);
}

void VOKWindowController::cascadeOffOtherWindows()
{
    // Every window starts at the same default place, and windows of one name at their saved
    // frame, so without this a new window would hide the one before it.
    for (int step = 0; step < MaxCascadeSteps && appWindowAtPlaceOfWindow(m_window.get()); ++step)
        m_window->setGeometry(m_window->geometry().translated(CascadeOffset));
}

void VOKWindowController::orderFront()
{
    QList<VOKWindowController *> &order = controllerOrder();
    order.removeOne(this);
    order.prepend(this);
}

bool VOKWindowController::hasProperty(const char *name) const
{
    return m_viewController->metaObject()->indexOfProperty(name) >= 0;
}
