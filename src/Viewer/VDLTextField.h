#pragma once

#include "VDLHighlight.h"
#include "VOKAttributedString.h"

#include <QPointer>
#include <QWidget>

// A one-line, read-only text that marks every occurrence of a viewer's search text, and ends in
// an ellipsis when it is too narrow.
//
// The search text comes from its proxy's "searchString" property (the viewer controller); the
// field follows it from the moment it is given the proxy. A field without a proxy marks nothing.
//
// Ownership: the proxy is not owned; the observation ends when either goes away. GUI thread.
class VDLTextField final : public QWidget
{
    Q_OBJECT

public:
    explicit VDLTextField(QWidget *parent = nullptr);
    ~VDLTextField() override;

    // The object whose search text is marked; replaces the previous proxy's observation.
    void setProxy(QObject *proxy);
    QObject *proxy() const { return m_proxy; }

    QString text() const { return m_text; }
    void setText(const QString &text);

    // What the field shows: its text with the marks.
    const VOKAttributedString &attributedText() const { return m_shown; }
    QList<VDLHighlight::Range> highlightRanges() const { return m_ranges; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void updateObservers();
    void updateHighlights();

    QPointer<QObject> m_proxy;
    QString m_currentHighlightString;
    VOKKVOBlockPtr m_searchObservation;
    QString m_text;
    VOKAttributedString m_shown;
    QList<VDLHighlight::Range> m_ranges;
};
