#include "VDLTextView.h"

#include <QTextCursor>

VDLTextView::VDLTextView(bool isValuePreview, QWidget *parent)
    : QTextBrowser(parent)
    , m_isValuePreview(isValuePreview)
{
    // New content (another topic, a newer message) is marked as it arrives.
    connect(this, &QTextEdit::textChanged, this, &VDLTextView::updateHighlights);
}

VDLTextView::~VDLTextView() = default;

void VDLTextView::setProxy(QObject *proxy)
{
    m_proxy = proxy;
    updateObservers();
}

void VDLTextView::showDocument(std::unique_ptr<QTextDocument> document)
{
    prepareWrapping(document->toPlainText());
    // Qt deletes a replaced document only when its text control is the parent (the first one),
    // so one this view was given goes here: every message shown used to stay in memory until the
    // window closed.
    const QPointer<QTextDocument> previous = this->document();
    document->setParent(this);
    setDocument(document.release());
    updateHighlights();
    if (previous && previous->parent() == this)
        delete previous;
}

void VDLTextView::showPlainText(const QString &text)
{
    prepareWrapping(text);
    setPlainText(text);
}

void VDLTextView::prepareWrapping(const QString &text)
{
    // Text that may break only between words takes time quadratic in its longest word to lay
    // out: 256 K characters without a space kept the window from drawing for minutes. Such text
    // breaks anywhere instead.
    constexpr qsizetype longestWord = 1000;
    qsizetype word = 0;
    bool hasLongWord = false;
    for (qsizetype index = 0; index < text.size() && !hasLongWord; ++index) {
        word = text.at(index).isSpace() ? 0 : word + 1;
        hasLongWord = word > longestWord;
    }
    const QTextOption::WrapMode mode = hasLongWord ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere;
    if (mode == wordWrapMode())
        return;
    // Emptied first, the shown text is not laid out again in the new mode.
    clear();
    setWordWrapMode(mode);
}

void VDLTextView::updateObservers()
{
    m_searchObservation.reset();
    m_previewObservation.reset();
    m_searchIncludesPreview = false;
    if (m_proxy && m_isValuePreview) {
        m_previewObservation = vokAddObserver(m_proxy, this, QStringLiteral("searchIncludesPreview"), VOKKVOOption::Initial,
                                              [this](QObject *, const VOKKVOChange &change, VOKKVOBlock *) {
                                                  m_searchIncludesPreview = change.newValue.toBool();
                                                  updateHighlights();
                                              });
    }
    m_searchObservation = VDLHighlight::observeSearchString(m_proxy, this, [this](const QString &search) {
        m_currentHighlightString = search;
        updateHighlights();
    });
}

void VDLTextView::updateHighlights()
{
    QList<QTextEdit::ExtraSelection> marks;
    if (!m_isValuePreview || m_searchIncludesPreview) {
        for (const VDLHighlight::Range &range : VDLHighlight::ranges(toPlainText(), m_currentHighlightString)) {
            QTextEdit::ExtraSelection mark;
            mark.cursor = QTextCursor(document());
            mark.cursor.setPosition(int(range.start));
            mark.cursor.setPosition(int(range.start + range.length), QTextCursor::KeepAnchor);
            mark.format.setBackground(VDLHighlight::color());
            marks.append(mark);
        }
    }
    setExtraSelections(marks);
}

QList<VDLHighlight::Range> VDLTextView::highlightRanges() const
{
    QList<VDLHighlight::Range> ranges;
    for (const QTextEdit::ExtraSelection &mark : extraSelections())
        ranges.append(VDLHighlight::Range{mark.cursor.selectionStart(), mark.cursor.selectionEnd() - mark.cursor.selectionStart()});
    return ranges;
}
