#include "VDLViewerFlagsViewController.h"

#include "VDLClient.h"
#include "VOKSymbolImage.h"
#include "VOKSymbolPixmapCache.h"

#include <QHBoxLayout>
#include <QLabel>

VDLViewerFlagsViewController::VDLViewerFlagsViewController(VDLClient *client, QWidget *parent)
    : QWidget(parent)
    , m_client(client)
    , m_lock(new QLabel(this))
    , m_text(new QLabel(this))
{
    m_text->setTextFormat(Qt::PlainText);
    const int size = fontMetrics().ascent();
    if (const auto lock = vokSymbol(QStringLiteral("lock.fill"))) {
        m_lock->setPixmap(VOKSymbolPixmapCache::pixmap(*lock, QSize(size, size), devicePixelRatioF(),
                                                       palette().color(QPalette::WindowText)));
    }
    auto *const layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);
    layout->addWidget(m_lock);
    layout->addWidget(m_text);
    connect(client, &VDLClient::connectionErrorChanged, this, &VDLViewerFlagsViewController::update);
    connect(client, &VDLClient::rootTopicChanged, this, &VDLViewerFlagsViewController::update);
    update();
}

QString VDLViewerFlagsViewController::text() const
{
    return m_text->text();
}

bool VDLViewerFlagsViewController::showsLock() const
{
    return !m_lock->isHidden();
}

void VDLViewerFlagsViewController::showProblemDetail(const QString &detail)
{
    m_problemDetail = detail;
    m_problemOfDetail = m_client->connectionError();
    update();
}

void VDLViewerFlagsViewController::update()
{
    const QString error = m_client->connectionError();
    if (error != m_problemOfDetail)
        m_problemDetail.clear();
    // Set before the connect is reported; a status means the connection is not (or no longer) up,
    // even where the description is still that of the connection given up.
    const QString tls = error.isEmpty() ? m_client->tlsConnectionDescription() : QString();
    const QString security = m_client->useTLS() ? QStringLiteral("TLS") : QStringLiteral("Plain");
    const QString state = !error.isEmpty()      ? error
        : m_client->rootTopic()                 ? QStringLiteral("Connected")
                                                : QStringLiteral("Connecting…");
    m_text->setText(QStringLiteral("%1 · %2").arg(security, state));
    m_lock->setHidden(tls.isEmpty());
    setToolTip(!tls.isEmpty() ? tls : m_problemDetail);
}
