#include "VDLDifferenceView.h"

#include "VDLMessageDifference.h"
#include "VDLPublishViewController.h"
#include "VDLTextView.h"
#include "VOKDate.h"
#include "VOKMarkupParser.h"

#include <QLabel>
#include <QTextDocument>
#include <QVBoxLayout>

VDLDifferenceView::VDLDifferenceView(QWidget *parent)
    : QWidget(parent)
    , m_info(new QLabel(this))
    , m_text(new VDLTextView(false, this))
{
    // The line never widens the pane; a narrow one cuts it.
    m_info->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_info);
    layout->addWidget(m_text, 1);
}

void VDLDifferenceView::showDifference(const VDLMessagePtr &previous, const VDLMessagePtr &message)
{
    if (!previous || !message || (vdlIsSameMessage(previous, m_previous) && vdlIsSameMessage(message, m_message)))
        return;
    m_previous = previous;
    m_message = message;
    m_info->setText(QStringLiteral("Changes from %1 to %2")
                        .arg(vokTime24(previous->created()), vokTime24(message->created())));
    const VOKMarkup difference = VDLMessageDifference::between(*previous, *message);
    m_text->showDocument(vokAttributedStringWithStyle(difference.markup(), VDLPublishViewController::fixedPitchStyle())
                             .toTextDocument(m_text->font(), palette().color(QPalette::Text)));
}

QString VDLDifferenceView::text() const
{
    return m_text->toPlainText();
}
