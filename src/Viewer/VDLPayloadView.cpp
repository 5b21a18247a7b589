#include "VDLPayloadView.h"

#include "VDLHexView.h"
#include "VDLPublishViewController.h"
#include "VDLTextView.h"
#include "VOKJSONStreamPrinter.h"
#include "VOKMarkupEscape.h"
#include "VOKMarkupParser.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextDocument>
#include <QTextCursor>
#include <QThread>
#include <QVBoxLayout>

#include <memory>

namespace {

// What the plain text view takes in one event loop turn.
constexpr qsizetype feedSlice = 256 * 1024;

// The styled start of a large payload, and whether more follows.
struct Excerpt
{
    QString markup;
    bool isCut = false;
};

struct StyledPart
{
    std::unique_ptr<QTextDocument> document;
    bool isCut = false;
};

// Payloads up to this size are styled at once, on the GUI thread.
constexpr qsizetype styledAtOnce = 16 * 1024;

// Any thread.
Excerpt styledExcerpt(const VDLMessage &message)
{
    const QByteArray &data = message.data();
    if (message.type() == VDLPayloadType::JSON) {
        const VOKJSONStreamPrinter::Result printed = VOKJSONStreamPrinter(true, VDLPayloadView::StyledLimit).print(data);
        return {printed.text, !printed.complete};
    }
    const QByteArrayView head = vokUTF8Prefix(data, VDLPayloadView::StyledLimit);
    const QString colour = message.type() == VDLPayloadType::Number ? QStringLiteral("[c:Blue]")
                                                                    : QStringLiteral("[c:Green]");
    return {colour + vokEscapedForMarkup(QString::fromUtf8(head)), head.size() < data.size()};
}

// The markup as a document for the GUI thread, made on any thread: a styled 256 KB takes the
// text system a good part of a second to take in, too long for the GUI thread. Only named
// colours and the given style are read, and nothing is laid out before the document arrives.
std::unique_ptr<QTextDocument> styledDocument(const QString &markup, const QFont &font, const QColor &textColor,
                                              QThread *guiThread)
{
    std::unique_ptr<QTextDocument> document =
        vokAttributedStringWithStyle(markup, VDLPublishViewController::fixedPitchStyle()).toTextDocument(font, textColor);
    document->moveToThread(guiThread);
    return document;
}

// Any thread.
QString wholeText(const VDLMessage &message)
{
    if (message.type() == VDLPayloadType::JSON)
        return VOKJSONStreamPrinter(false).print(message.data()).text;
    return QString::fromUtf8(message.data());
}

} // namespace

VDLPayloadView::VDLPayloadView(QWidget *parent)
    : QWidget(parent)
    , m_pages(new QStackedWidget(this))
    , m_text(new VDLTextView(true, m_pages))
    , m_plain(new QPlainTextEdit(m_pages))
    , m_hex(new VDLHexView(m_pages))
    , m_whole(new QPushButton(this))
{
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    // The content style is made here, on the GUI thread, before any worker styles with it.
    VDLPublishViewController::fixedPitchStyle();
    m_workers.setMaxThreadCount(1);
    m_text->setFont(fixed);
    m_text->setOpenLinks(false);
    m_plain->setFont(fixed);
    m_plain->setReadOnly(true);
    m_plain->setUndoRedoEnabled(false);
    m_pages->addWidget(m_text);
    m_pages->addWidget(m_plain);
    m_pages->addWidget(m_hex);
    m_whole->hide();
    connect(m_whole, &QPushButton::clicked, this, &VDLPayloadView::showWholePayload);

    m_feed.setSingleShot(true);
    m_feed.setInterval(0);
    connect(&m_feed, &QTimer::timeout, this, &VDLPayloadView::feedWholeText);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pages, 1);
    layout->addWidget(m_whole, 0, Qt::AlignLeft);
}

VDLPayloadView::~VDLPayloadView()
{
    m_workers.clear();
    m_workers.waitForDone();
}

template <typename Result>
void VDLPayloadView::prepare(std::function<Result()> work, std::function<void(Result &)> show)
{
    const quint64 generation = m_generation;
    ++m_jobsInFlight;
    m_workers.start([this, generation, work, show] {
        const auto result = std::make_shared<Result>(work());
        // Queued to the view, which is alive until this worker ends; a view destroyed before the
        // call runs drops it.
        QMetaObject::invokeMethod(this, [this, generation, result, show] {
            --m_jobsInFlight;
            if (m_generation == generation)
                show(*result);
        }, Qt::QueuedConnection);
    });
}

void VDLPayloadView::showMessage(const VDLMessagePtr &message)
{
    if (message == m_message)
        return;
    // A busy topic's newer message replaces the shown one only once it is ready: clearing first
    // left the pane blank for as long as each large arrival took to prepare.
    const bool keepUntilReady = message && m_message && message->topic() == m_message->topic();
    m_message = message;
    ++m_generation;
    m_feed.stop();
    m_pendingText = QString();
    m_plain->clear();
    m_hex->setData(QByteArray());
    if (!keepUntilReady)
        m_text->clear();
    m_whole->hide();
    m_whole->setEnabled(true);
    m_pages->setCurrentWidget(m_text);
    if (!message)
        return;
    if (message->type() == VDLPayloadType::RawData) {
        m_text->clear(); // a later text of this topic must not show an older one while prepared
        m_hex->setData(message->data());
        m_pages->setCurrentWidget(m_hex);
        return;
    }
    std::function<Excerpt()> excerpt = [message] { return styledExcerpt(*message); };
    if (message->data().size() <= StyledLimit) {
        // Bounded by the limit, so the content is made here, where a failure is logged once.
        const std::optional<VOKMarkup> content = message->attributedContent();
        if (!content) {
            m_text->showPlainText(message->rawContent());
            return;
        }
        if (message->data().size() <= styledAtOnce) {
            showStyled(styledDocument(content->markup(), m_text->font(), textColor(), thread()), false);
            return;
        }
        excerpt = [markup = content->markup()] { return Excerpt{markup, false}; };
    }
    prepare<StyledPart>(
        [excerpt, font = m_text->font(), color = textColor(), guiThread = thread()] {
            const Excerpt part = excerpt();
            return StyledPart{styledDocument(part.markup, font, color, guiThread), part.isCut};
        },
        [this](StyledPart &part) {
            showStyled(std::move(part.document), part.isCut);
            Q_EMIT contentShown();
        });
}

QColor VDLPayloadView::textColor() const
{
    return palette().color(QPalette::Text);
}

void VDLPayloadView::setProxy(QObject *proxy)
{
    m_text->setProxy(proxy);
}

void VDLPayloadView::showWholePayload()
{
    if (!m_message || m_pages->currentWidget() != m_text || !m_whole->isEnabled())
        return;
    m_whole->setEnabled(false);
    prepare<QString>([message = m_message] { return wholeText(*message); }, [this](QString &text) {
        m_whole->hide();
        m_pendingText = std::move(text);
        m_fed = 0;
        m_pages->setCurrentWidget(m_plain);
        feedWholeText();
    });
}

QString VDLPayloadView::text() const
{
    if (m_pages->currentWidget() == m_plain)
        return m_plain->toPlainText();
    return m_pages->currentWidget() == m_text ? m_text->toPlainText() : QString();
}

bool VDLPayloadView::isShowingWholePayload() const
{
    return m_pages->currentWidget() == m_plain;
}

QString VDLPayloadView::wholePayloadTitle(qsizetype size)
{
    return QStringLiteral("Show the whole payload (%1 MB)").arg(QString::number(double(size) / (1024 * 1024), 'f', 1));
}

void VDLPayloadView::showStyled(std::unique_ptr<QTextDocument> document, bool isCut)
{
    m_text->showDocument(std::move(document));
    m_whole->setText(wholePayloadTitle(m_message->data().size()));
    m_whole->setVisible(isCut);
}

void VDLPayloadView::feedWholeText()
{
    qsizetype end = std::min(m_pendingText.size(), m_fed + feedSlice);
    // Slices end at a line end where one is near, so no line is laid out twice.
    if (end < m_pendingText.size()) {
        const qsizetype lineEnd = m_pendingText.lastIndexOf(QLatin1Char('\n'), end - 1);
        if (lineEnd >= m_fed)
            end = lineEnd + 1;
    }
    QTextCursor cursor(m_plain->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(m_pendingText.sliced(m_fed, end - m_fed));
    m_fed = end;
    if (m_fed < m_pendingText.size()) {
        m_feed.start();
        return;
    }
    m_pendingText = QString();
    Q_EMIT contentShown();
}
