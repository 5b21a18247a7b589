#include "VDLTextField.h"

#include "VOKAttributedStringPainter.h"

#include <QPainter>

#include <cmath>

VDLTextField::VDLTextField(QWidget *parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

VDLTextField::~VDLTextField() = default;

void VDLTextField::setProxy(QObject *proxy)
{
    m_proxy = proxy;
    updateObservers();
}

void VDLTextField::setText(const QString &text)
{
    m_text = text;
    updateHighlights();
}

void VDLTextField::updateObservers()
{
    m_searchObservation.reset();
    m_searchObservation = VDLHighlight::observeSearchString(m_proxy, this, [this](const QString &search) {
        m_currentHighlightString = search;
        updateHighlights();
    });
}

// Built from the plain text each time, so marks of an earlier search go by themselves.
void VDLTextField::updateHighlights()
{
    VOKTextAttributes oneLine;
    oneLine.truncatesTail = true;
    m_shown = VOKAttributedString(m_text, oneLine);
    m_ranges = VDLHighlight::mark(m_shown, m_currentHighlightString);
    update();
}

QSize VDLTextField::sizeHint() const
{
    const QSizeF size = VOKAttributedStringPainter(font(), palette()).sizeHint(m_shown);
    return QSize(int(std::ceil(size.width())), std::max(int(std::ceil(size.height())), fontMetrics().height()));
}

QSize VDLTextField::minimumSizeHint() const
{
    return QSize(0, sizeHint().height());
}

void VDLTextField::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    VOKAttributedStringPainter(font(), palette()).paint(painter, rect(), m_shown);
}
