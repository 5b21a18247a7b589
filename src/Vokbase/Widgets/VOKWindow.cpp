#include "VOKWindow.h"

#include "VOKNotificationCenter.h"
#include "VOKWindowFrameStore.h"

#include <QCloseEvent>
#include <QDialog>
#include <QMenuBar>
#include <QVBoxLayout>

namespace {

constexpr int FrameSaveDelayMs = 500;

} // namespace

VOKWindow::VOKWindow(QWidget *content) : m_content(content)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
    if (const MenuBarBuilder &builder = menuBarBuilder()) {
        m_menuBar = new QMenuBar(this);
        builder(*m_menuBar);
        layout->setMenuBar(m_menuBar);
    }
    m_frameSaveTimer.setSingleShot(true);
    m_frameSaveTimer.setInterval(FrameSaveDelayMs);
    connect(&m_frameSaveTimer, &QTimer::timeout, this, &VOKWindow::saveFrame);
}

VOKWindow::~VOKWindow()
{
    // A window deleted without closing (at the end of the process) keeps a frame change still pending.
    if (m_frameSaveTimer.isActive())
        saveFrame();
}

VOKWindow::MenuBarBuilder &VOKWindow::menuBarBuilder()
{
    static MenuBarBuilder builder;
    return builder;
}

void VOKWindow::setMenuBarBuilder(MenuBarBuilder builder)
{
    menuBarBuilder() = std::move(builder);
}

void VOKWindow::setIdentifier(const QString &identifier)
{
    if (identifier == m_identifier)
        return;
    m_identifier = identifier;
    Q_EMIT identifierChanged();
}

void VOKWindow::setRepresentedUrl(const QUrl &url)
{
    if (url == m_representedUrl)
        return;
    m_representedUrl = url;
    setWindowFilePath(url.isLocalFile() ? url.toLocalFile() : QString());
    Q_EMIT representedUrlChanged();
}

void VOKWindow::setFrameAutosaveName(const QString &name)
{
    m_frameAutosaveName = name;
    if (name.isEmpty())
        return;
    VOKWindowFrameStore::restoreFrame(*this, name);
}

QList<QDialog *> VOKWindow::attachedSheets() const
{
    QList<QDialog *> sheets;
    for (QDialog *dialog : findChildren<QDialog *>(Qt::FindDirectChildrenOnly)) {
        if (dialog->isVisible() && dialog->windowModality() == Qt::WindowModal)
            sheets.append(dialog);
    }
    return sheets;
}

void VOKWindow::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (!event->isAccepted())
        return;
    m_frameSaveTimer.stop();
    saveFrame();
    Q_EMIT willClose();
    VOKNotificationCenter::defaultCenter().post(WillCloseNotification, this);
}

void VOKWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Q_EMIT becameKey();
}

void VOKWindow::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    frameChanged();
}

void VOKWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    frameChanged();
}

void VOKWindow::frameChanged()
{
    if (isVisible() && !m_frameAutosaveName.isEmpty())
        m_frameSaveTimer.start();
}

void VOKWindow::saveFrame() const
{
    if (!m_frameAutosaveName.isEmpty())
        VOKWindowFrameStore::saveFrame(*this, m_frameAutosaveName);
}
