#pragma once

#include "VDLMessage.h"

#include <QThreadPool>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class QPlainTextEdit;
class QPushButton;
class QTextDocument;
class QStackedWidget;
class VDLHexView;
class VDLTextView;

// One message's payload, of any size, without holding up the GUI thread.
//
// A payload up to StyledLimit shows whole in the content style (coloured JSON, green text, ...).
// A larger one shows its first StyledLimit characters styled (JSON laid out in document order
// without parsing the whole). Styled text of more than a few kilobytes is prepared on a worker
// thread. A payload beyond the limit offers "Show the whole payload (5.0 MB)", which prepares all
// of it as plain text on a worker and feeds it to a plain text view a slice per event loop turn. Raw data shows as a hex dump laid out only where it is in
// sight. A worker's result for a message no longer shown is dropped. The styled text marks the
// proxy's search text (VDLTextView, value-preview mode).
//
// GUI thread; workers only read the shared, immutable message, and one runs at a time.
class VDLPayloadView final : public QWidget
{
    Q_OBJECT

public:
    // How much of a payload is shown styled (bytes of the payload, characters of the text).
    static constexpr qsizetype StyledLimit = 256 * 1024;

    explicit VDLPayloadView(QWidget *parent = nullptr);
    ~VDLPayloadView() override;

    // Shows the message; none clears. The message shown already is left as it is.
    void showMessage(const VDLMessagePtr &message);
    const VDLMessagePtr &message() const { return m_message; }
    // The object whose search the styled text marks; not owned.
    void setProxy(QObject *proxy);
    // Shows the whole payload as plain text (what the button does).
    void showWholePayload();

    // The text shown: the styled part, or the whole payload once shown; empty for a hex dump.
    QString text() const;
    VDLTextView *textView() const { return m_text; }
    VDLHexView *hexView() const { return m_hex; }
    QPushButton *wholePayloadButton() const { return m_whole; }
    bool isShowingWholePayload() const;
    // Whether a worker is still preparing content (for a message shown now or before).
    bool isPreparing() const { return m_jobsInFlight > 0; }

    // "Show the whole payload (5.0 MB)" for the size in bytes.
    static QString wholePayloadTitle(qsizetype size);

Q_SIGNALS:
    // The content prepared by a worker is in place (the styled part, or the last slice of the
    // whole payload).
    void contentShown();

private:
    void showStyled(std::unique_ptr<QTextDocument> document, bool isCut);
    QColor textColor() const;
    void feedWholeText();
    // Runs the work on a worker and hands its result to `show` on the GUI thread, unless another
    // message is shown by then.
    template <typename Result>
    void prepare(std::function<Result()> work, std::function<void(Result &)> show);

    VDLMessagePtr m_message;
    quint64 m_generation = 0;
    QStackedWidget *m_pages;
    VDLTextView *m_text;
    QPlainTextEdit *m_plain;
    VDLHexView *m_hex;
    QPushButton *m_whole;
    QString m_pendingText;
    qsizetype m_fed = 0;
    QTimer m_feed;
    int m_jobsInFlight = 0;
    // The view's own workers: destroying the view waits for a running one, so a worker never
    // outlives the view it reports to.
    QThreadPool m_workers;
};
