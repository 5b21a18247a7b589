#include "VDLTopicsActions.h"

#include "VDLClient.h"
#include "VDLMessage.h"
#include "VDLPublishViewController.h"
#include "VDLTopic.h"
#include "VDLTopicsViewController.h"
#include "VDLURLOpener.h"
#include "VOKConfirmationSheet.h"
#include "VOKLog.h"
#include "VOKMenu.h"
#include "VOKOutlineView.h"
#include "VOKString.h"
#include "VOKPasteboard.h"
#include "VOKTableColumnToggleMenu.h"
#include "VOKWindowPresenter.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QUuid>

#include <algorithm>
#include <functional>

namespace {

using TopicText = std::function<QString(const VDLTopic &)>;

void copyLines(const QList<VDLTopic *> &topics, const TopicText &text)
{
    QStringList lines;
    for (const VDLTopic *topic : topics)
        lines.append(text(*topic));
    if (!lines.isEmpty())
        vokCopyToPasteboard(lines.join(QLatin1Char('\n')));
}

QString deleteInformativeText(qsizetype topics, qsizetype retained)
{
    return QStringLiteral("This will delete %1 topics, %2 of which are retained and will be deleted from the server "
                          "(numbers may have increased since).\n\nThis action can not be undone!")
        .arg(topics)
        .arg(retained);
}

} // namespace

VDLTopicsActions::VDLTopicsActions(VDLTopicsViewController &topics)
    : QObject(&topics)
    , m_topics(topics)
{
    VOKOutlineView *const outline = topics.outlineView();
    outline->setDelegate(this);
    // A double click means the publish window, so it must not also fold the row.
    outline->setExpandsOnDoubleClick(false);
    connect(outline, &QAbstractItemView::doubleClicked, this, &VDLTopicsActions::tableDoubleClicked);
    outline->installEventFilter(this);
}

void VDLTopicsActions::copy() const
{
    copyLines(m_topics.selectedObjects(), &VDLTopic::path);
}

void VDLTopicsActions::confirmDelete()
{
    VOKConfirmationSheet::open(
        *m_topics.window(), QStringLiteral("Delete Topics"),
        deleteInformativeText(m_topics.selectedTopics().size(), m_topics.selectedRetainedTopics().size()),
        QStringLiteral("Delete"), *this, [this] { deleteSelection(); });
}

void VDLTopicsActions::deleteSelection()
{
    QList<VOKIndexPath> paths = m_topics.selectionIndexPaths();
    // Deepest first: a descendant deleted after its ancestor would be cleared on the broker twice.
    std::stable_sort(paths.begin(), paths.end(),
                     [](const VOKIndexPath &a, const VOKIndexPath &b) { return a.length() > b.length(); });
    // Removed topics are deleted only once control returns to the event loop.
    const QList<VDLTopic *> topics = m_topics.topicsAtIndexPaths(paths);
    VDLClient *const client = m_topics.client();
    if (!client)
        return;
    m_topics.clientDataWillChange(client);
    client->deleteTopics(topics);
    m_topics.clientDataDidChange(client);
}

void VDLTopicsActions::tableDoubleClicked()
{
    const QSet<VDLTopic *> topics = m_topics.selectedTopics();
    if (topics.size() != 1) {
        VOK_WARNING(QStringLiteral("Beep: Need single selection to open publish window"));
        return;
    }
    showPublishWindowFor(*topics.begin());
}

void VDLTopicsActions::showPublishWindowFor(VDLTopic *topic)
{
    const VDLClient *const client = topic ? topic->client() : nullptr;
    if (!client)
        return;
    QVariantMap description{{QStringLiteral("host"), client->host()}, {QStringLiteral("port"), client->port()}};
    // A description no open window has, so a new one opens.
    if (QGuiApplication::keyboardModifiers().testFlag(Qt::AltModifier))
        description.insert(QStringLiteral("uuid"), QUuid::createUuid().toString(QUuid::WithoutBraces));
    VDLURLOpener::registerWindowClasses();
    auto *const publisher = VOKWindowPresenter::presentViewControllerOfClass<VDLPublishViewController>(description);
    if (!publisher)
        return;
    const VDLMessagePtr latest = topic->latestMessage();
    publisher->setPm(latest ? latest->pm() : VDLPM(topic->path(), {}));
}

std::unique_ptr<QMenu> VDLTopicsActions::contextMenuForTableView(VOKOutlineView &view, const QModelIndex &clicked)
{
    VDLTopic *const topic = qobject_cast<VDLTopic *>(view.representedObject(clicked));
    if (&view != m_topics.outlineView() || !topic)
        return nullptr;
    QList<VDLTopic *> targets = m_topics.selectedObjects();
    if (!targets.contains(topic))
        targets = {topic};
    const QPointer<VDLTopic> clickedTopic(topic);
    auto menu = std::make_unique<QMenu>();
    const auto addCopyItem = [&](const QString &title, const TopicText &text) {
        QList<QPointer<VDLTopic>> held(targets.cbegin(), targets.cend());
        VOKMenu::addItemWithTitle(*menu, title, [held, text](QAction *) {
            QList<VDLTopic *> alive;
            for (const QPointer<VDLTopic> &target : held) {
                if (target)
                    alive.append(target);
            }
            copyLines(alive, text);
        });
    };
    addCopyItem(QStringLiteral("Copy name"), &VDLTopic::name);
    addCopyItem(QStringLiteral("Copy path"), &VDLTopic::path);
    addCopyItem(QStringLiteral("Copy URL"), &VDLTopic::urlS);
    VOKMenu::addItemWithTitle(*menu, QStringLiteral("Open in new Window"), [clickedTopic](QAction *) {
        if (const std::optional<QUrl> url = clickedTopic ? vokUrl(clickedTopic->urlS()) : std::nullopt)
            VDLURLOpener::open(*url);
    });
    VOKMenu::addItemWithTitle(*menu, QStringLiteral("Show in Publish Window"),
                              [clickedTopic](QAction *) { showPublishWindowFor(clickedTopic); });
    return menu;
}

std::unique_ptr<QMenu> VDLTopicsActions::contextMenuForTableHeaderView(QHeaderView &header)
{
    VOKOutlineView *const outline = m_topics.outlineView();
    return &header == outline->header() ? VOKTableColumnToggleMenu::make(*outline) : nullptr;
}

bool VDLTopicsActions::eventFilter(QObject *watched, QEvent *event)
{
    // Delete reaches the outline only when no Edit menu took it as its shortcut; Backspace always.
    if (event->type() == QEvent::KeyPress) {
        const auto *const key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Delete || key->key() == Qt::Key_Backspace) && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            confirmDelete();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
