#include "VDLViewerViewController.h"

#include "VDLClient.h"
#include "VDLConnectionProblemHandler.h"
#include "VDLOutlineSearch.h"
#include "VDLPubClient.h"
#include "VDLSearchBar.h"
#include "VDLTopic.h"
#include "VDLTopicsActions.h"
#include "VDLTopicsViewController.h"
#include "VDLURLOpener.h"
#include "VDLValueViewController.h"
#include "VDLViewerFlagsViewController.h"
#include "VOKConfirmationSheet.h"
#include "VOKFindPanelAction.h"
#include "VOKSymbolImage.h"
#include "VOKSymbolPixmapCache.h"
#include "VOKUrl.h"
#include "VOKWindow.h"
#include "VOKWindowController.h"

#include <QAction>
#include <QSplitter>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

// An outlined star when off, a filled yellow one when on.
QIcon favoriteIcon()
{
    QIcon icon;
    constexpr QSize size(16, 16);
    constexpr qreal ratio = 2;
    const QColor text = QPalette().color(QPalette::WindowText);
    if (const auto star = vokSymbol(QStringLiteral("star")))
        icon.addPixmap(VOKSymbolPixmapCache::pixmap(*star, size, ratio, text), QIcon::Normal, QIcon::Off);
    if (const auto star = vokSymbol(QStringLiteral("star.fill")))
        icon.addPixmap(VOKSymbolPixmapCache::pixmap(*star, size, ratio, QColor(0xF5, 0xB8, 0x00)), QIcon::Normal,
                       QIcon::On);
    return icon;
}

} // namespace

VDLViewerViewController::VDLViewerViewController(QWidget *parent)
    : VOKViewController(parent)
{
}

VDLViewerViewController::~VDLViewerViewController()
{
    // The panes go first: the outline stops being the client's delegate before the client ends.
    delete m_topics;
    m_topics = nullptr;
}

VDLTopic *VDLViewerViewController::selectedTopic() const
{
    return m_selectedTopic;
}

QString VDLViewerViewController::searchString() const
{
    return m_topics ? m_topics->search()->searchString() : QString();
}

bool VDLViewerViewController::searchIncludesPreview() const
{
    return m_topics && m_topics->search()->searchIncludesPreview();
}

bool VDLViewerViewController::doFilter() const
{
    return m_topics && m_topics->search()->doFilter();
}

void VDLViewerViewController::performFindPanelAction(int tag)
{
    if (!m_topics)
        return;
    switch (tag) {
    case VOKFindPanelAction::ShowFindInterface:
        m_topics->searchBar()->focusField();
        break;
    case VOKFindPanelAction::FindNext:
        m_topics->search()->findNext();
        break;
    case VOKFindPanelAction::FindPrevious:
        m_topics->search()->findPrevious();
        break;
    default:
        break;
    }
}

QString VDLViewerViewController::urlScheme() const
{
    return m_client && m_client->useTLS() ? QStringLiteral("mqtts") : QStringLiteral("mqtt");
}

QString VDLViewerViewController::vokWindowTitle() const
{
    return vokServerUrlString(urlScheme(), m_host, m_port) + QLatin1Char('/') + m_path;
}

void VDLViewerViewController::vokAllSet()
{
    if (m_client)
        return;
    m_client = makeClient(m_host, m_port, m_useTLS);
    buildInterface();
    m_client->followHistoryBudgetPreference();
    m_client->connectWithPath(m_path);
    // The client may switch TLS on by itself; the title follows.
    Q_EMIT vokWindowTitleChanged();
}

std::unique_ptr<VDLClient> VDLViewerViewController::makeClient(const QString &host, int port, bool useTLS)
{
    auto client = std::make_unique<VDLClient>(host, port);
    if (useTLS)
        client->enableTLS();
    return client;
}

void VDLViewerViewController::saveCredentials(const QVariantMap &description, const QString &username,
                                              const QString &password)
{
    // The client's own rules name the store's entry (TLS may move the port).
    makeClient(description.value(QStringLiteral("host")).toString(), description.value(QStringLiteral("port")).toInt(),
               description.value(QStringLiteral("useTLS")).toBool())
        ->saveCredentialsToKeychain(username, password);
}

void VDLViewerViewController::buildInterface()
{
    auto *toolbar = new QToolBar(this);
    m_pause = toolbar->addAction(QStringLiteral("Pause"));
    m_pause->setCheckable(true);
    connect(m_pause, &QAction::toggled, m_client.get(), &VDLClient::setPause);
    connect(m_client.get(), &VDLClient::pendingMessageCountChanged, this, &VDLViewerViewController::updatePauseText);
    connect(m_client.get(), &VDLClient::pauseChanged, this, &VDLViewerViewController::updatePauseText);
    connect(m_client.get(), &VDLClient::pauseChanged, this, &VDLViewerViewController::pausedChanged);
    toolbar->addAction(QStringLiteral("$SYS"), m_client.get(), &VDLClient::showBrokerMetadata);
    m_publish = toolbar->addAction(QStringLiteral("Publish…"), this, &VDLViewerViewController::showPublishWindow);
    toolbar->addSeparator();
    toolbar->addAction(QStringLiteral("Change Credentials…"), m_client.get(), &VDLClient::showCredentialsUI);
    toolbar->addAction(QStringLiteral("Client Certificate…"), m_client.get(), &VDLClient::showmTLSUI);
    toolbar->addAction(QStringLiteral("Forget Server…"), this, &VDLViewerViewController::closeAndForgetServer);
    auto *const spacer = new QWidget(toolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolbar->addWidget(spacer);
    auto *const flags = new VDLViewerFlagsViewController(m_client.get(), toolbar);
    toolbar->addWidget(flags);
    m_favorite = toolbar->addAction(favoriteIcon(), QStringLiteral("Favorite"));
    m_favorite->setCheckable(true);
    // As a browser bookmarks a page.
    m_favorite->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    m_favorite->setToolTip(QStringLiteral("Keep this window among the favorites of File ▸ Open Recent (Ctrl+D)"));
    connect(m_client.get(), &VDLClient::openURLRequested, this, [](const QUrl &url) { VDLURLOpener::open(url); });

    // A TLS fallback shows as a status change; the title's scheme follows it.
    connect(m_client.get(), &VDLClient::connectionErrorChanged, this, &VDLViewerViewController::vokWindowTitleChanged);

    auto *split = new QSplitter(Qt::Horizontal, this);
    m_topics = new VDLTopicsViewController(split);
    m_value = new VDLValueViewController(split);
    split->addWidget(m_topics);
    split->addWidget(m_value);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    m_topics->setClient(m_client.get());
    connect(m_topics->connectionProblemHandler(), &VDLConnectionProblemHandler::tlsSetupFailed, flags,
            &VDLViewerFlagsViewController::showProblemDetail);
    // The panes mark this viewer's search text where they show it.
    m_topics->setHighlightSource(this);
    m_value->setProxy(this);
    connect(m_topics, &VDLTopicsViewController::selectedTopicChanged, this, &VDLViewerViewController::setSelectedTopic);
    VDLOutlineSearch *const search = m_topics->search();
    connect(search, &VDLOutlineSearch::searchStringChanged, this, &VDLViewerViewController::searchStringChanged);
    connect(search, &VDLOutlineSearch::searchIncludesPreviewChanged, this,
            &VDLViewerViewController::searchIncludesPreviewChanged);
    connect(search, &VDLOutlineSearch::doFilterChanged, this, &VDLViewerViewController::doFilterChanged);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(toolbar);
    layout->addWidget(split, 1);
    resize(1000, 640);
}

void VDLViewerViewController::showPublishWindow()
{
    if (VDLTopic *const topic = selectedTopic())
        VDLTopicsActions::showPublishWindowFor(topic);
    else
        m_client->showPublishUI();
}

void VDLViewerViewController::showEvent(QShowEvent *event)
{
    VOKViewController::showEvent(event);
    if (m_closeObserved)
        return;
    bindFavoriteToggle();
    if (auto *const frame = qobject_cast<VOKWindow *>(window())) {
        m_closeObserved = true;
        connect(frame, &VOKWindow::willClose, this, [this] {
            if (m_client)
                m_client->disconnectFromBroker();
        }, Qt::SingleShotConnection);
    }
}

void VDLViewerViewController::bindFavoriteToggle()
{
    VOKWindowController *const controller = VOKWindowController::controllerForWidget(this);
    if (!controller || !m_favorite)
        return;
    const auto show = [this, controller] { m_favorite->setChecked(controller->vokIsFavorite()); };
    show();
    connect(controller, &VOKWindowController::vokIsFavoriteChanged, m_favorite, show);
    // Only the user's clicks change the favorites; showing the state must not reorder them.
    connect(m_favorite, &QAction::triggered, controller, &VOKWindowController::setVokIsFavorite);
}

bool VDLViewerViewController::paused() const
{
    return m_client && m_client->pause();
}

void VDLViewerViewController::togglePause()
{
    if (m_pause)
        m_pause->toggle();
}

void VDLViewerViewController::setSelectedTopic(VDLTopic *topic)
{
    if (topic == m_selectedTopic)
        return;
    m_selectedTopic = topic;
    m_value->setTopic(topic);
    Q_EMIT selectedTopicChanged();
}

void VDLViewerViewController::updatePauseText()
{
    m_pause->setText(m_client->pause() ? QStringLiteral("Paused (%1)").arg(m_client->pendingMessageCount())
                                       : QStringLiteral("Pause"));
}

void VDLViewerViewController::handleUrl(const QUrl &url)
{
    if (!m_topics)
        return;
    logInFromUrl(url);
    m_topics->selectPath(url.path(QUrl::FullyDecoded));
}

void VDLViewerViewController::logInFromUrl(const QUrl &url)
{
    const QString username = url.userName(QUrl::FullyDecoded);
    if (username.isEmpty())
        return;
    const QString password = url.password(QUrl::FullyDecoded);
    if (password.isNull())
        m_topics->connectionProblemHandler()->setSuggestedUsername(username);
    else if (username != m_client->username() || password != m_client->password())
        m_client->reconnectWithUsername(username, password);
}

void VDLViewerViewController::vokDidRestore()
{
    if (m_topics)
        m_topics->selectPath(m_path);
}

QString VDLViewerViewController::forgetServerMessage() const
{
    return QStringLiteral("Forget %1:%2?").arg(m_host).arg(m_port);
}

QString VDLViewerViewController::forgetServerInformativeText()
{
    return QStringLiteral("The following data will be permanently deleted:\n\n\u2022 Saved username and password\n"
                          "\u2022 TLS and certificate settings\n\u2022 Client certificates\n\u2022 Publish history");
}

void VDLViewerViewController::closeAndForgetServer()
{
    VOKConfirmationSheet::open(*window(), forgetServerMessage(), forgetServerInformativeText(),
                               QStringLiteral("Forget Server"), *this, [this] { forgetServer(); });
}

void VDLViewerViewController::forgetServer()
{
    m_client->deleteAllStoredData();
    VDLPubClient::deleteHistoryForHost(m_host, m_port);
    window()->close();
}
