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
    // A document the view is parent of is deleted when the next one replaces it.
    document->setParent(this);
    setDocument(document.release());
    updateHighlights();
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
