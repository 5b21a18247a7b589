#include "VDLTopicsItemDelegate.h"

#include "VDLHighlight.h"
#include "VDLTopic.h"
#include "VDLTopicsModel.h"

VDLTopicsItemDelegate::VDLTopicsItemDelegate(QObject *parent)
    : VOKAttributedItemDelegate(VDLTopicsModel::AttributedRole, parent)
{
}

std::optional<VOKAttributedString> VDLTopicsItemDelegate::attributedText(const QModelIndex &index) const
{
    std::optional<VOKAttributedString> text = VOKAttributedItemDelegate::attributedText(index);
    if (m_highlightString.isEmpty() || !showsMarks(index))
        return text;
    if (!text) {
        // One line ending in an ellipsis, as the plain cell would draw it.
        VOKTextAttributes oneLine;
        oneLine.truncatesTail = true;
        text = VOKAttributedString(index.data(Qt::DisplayRole).toString(), oneLine);
    }
    VDLHighlight::mark(*text, m_highlightString);
    return text;
}

bool VDLTopicsItemDelegate::showsMarks(const QModelIndex &index)
{
    if (index.column() == VDLTopicsModel::NameColumn)
        return true;
    const VDLTopic *const topic = VDLTopicsModel::topicAt(index);
    return index.column() == VDLTopicsModel::SummaryColumn && topic && topic->representedDevice();
}
