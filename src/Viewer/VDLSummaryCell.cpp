#include "VDLSummaryCell.h"

#include "VDLMessage.h"
#include "VDLPayloadPreview.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

VOKTextAttributes oneLineAttributes()
{
    VOKTextAttributes attributes;
    attributes.truncatesTail = true;
    return attributes;
}

} // namespace

VOKAttributedString VDLSummaryCell::styled(const VDLMessage &message)
{
    const VOKTextAttributes plain = oneLineAttributes();
    if (message.type() == VDLPayloadType::Text)
        return VOKAttributedString(QStringLiteral("$ ") + VDLPayloadPreview::preview(message), plain);
    VOKAttributedString cell(message.summary(), plain);
    const QString preview = VDLPayloadPreview::preview(message);
    if (!preview.isEmpty()) {
        VOKTextAttributes quiet = plain;
        quiet.foreground = QGuiApplication::palette().color(QPalette::PlaceholderText);
        cell.vokAdd(QStringLiteral("  ") + preview, quiet);
    }
    return cell;
}

QString VDLSummaryCell::displayText(const VDLMessage &message)
{
    if (message.type() == VDLPayloadType::Text)
        return QStringLiteral("$ ") + VDLPayloadPreview::preview(message, VDLPayloadPreview::ToolTipCharacters);
    return message.summary();
}

QString VDLSummaryCell::toolTip(const VDLMessage &message)
{
    const QString preview = VDLPayloadPreview::preview(message, VDLPayloadPreview::ToolTipCharacters);
    if (preview.isEmpty())
        return QString();
    return QStringLiteral("<p style=\"white-space:pre-wrap\">%1</p>").arg(preview.toHtmlEscaped());
}
