#pragma once

#include "VDLHighlight.h"

#include <QPointer>
#include <QTextBrowser>

#include <memory>

// A multi-line, read-only text view that marks every occurrence of a viewer's search text.
//
// The marks are overlays of the display (extra selections), not changes of the text, so
// copying is unaffected. They follow every change of the proxy's "searchString" and of the
// text itself, which covers another topic being selected or a newer message shown. A
// value-preview view shows a message's value and marks only while the proxy's
// "searchIncludesPreview" is on, so it marks exactly what the search looked at.
//
// Ownership: the proxy is not owned; the observations end when either goes away. GUI thread.
class VDLTextView final : public QTextBrowser
{
    Q_OBJECT

public:
    explicit VDLTextView(bool isValuePreview, QWidget *parent = nullptr);
    ~VDLTextView() override;

    // The object whose search text is marked; none detaches. Replaces the previous proxy's
    // observations and takes up its current values.
    void setProxy(QObject *proxy);
    QObject *proxy() const { return m_proxy; }
    bool isValuePreview() const { return m_isValuePreview; }

    // Shows the document, which the view then owns, in place of the current one, and marks it.
    // Text with a word too long to lay out in good time wraps anywhere, other text between words.
    void showDocument(std::unique_ptr<QTextDocument> document);
    // Shows plain text in place of the current content, wrapped like a document.
    void showPlainText(const QString &text);

    // The stretches marked now, in the order of the text.
    QList<VDLHighlight::Range> highlightRanges() const;

private:
    void prepareWrapping(const QString &text);
    void updateObservers();
    void updateHighlights();

    QPointer<QObject> m_proxy;
    QString m_currentHighlightString;
    bool m_searchIncludesPreview = false;
    VOKKVOBlockPtr m_searchObservation;
    VOKKVOBlockPtr m_previewObservation;
    const bool m_isValuePreview;
};
