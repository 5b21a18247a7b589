#pragma once

#include "VOKAttributedItemDelegate.h"

#include <QString>

// Draws the topics outline's cells, marking every occurrence of the search text in the cells a
// search looks at by name: topic names and the summaries of topics that stand for a device.
// Other cells, and every cell while there is no search text, draw as the model styles them.
// GUI thread.
class VDLTopicsItemDelegate final : public VOKAttributedItemDelegate
{
    Q_OBJECT

public:
    explicit VDLTopicsItemDelegate(QObject *parent = nullptr);

    QString highlightString() const { return m_highlightString; }
    // The caller repaints the view.
    void setHighlightString(const QString &text) { m_highlightString = text; }

    std::optional<VOKAttributedString> attributedText(const QModelIndex &index) const override;

private:
    static bool showsMarks(const QModelIndex &index);

    QString m_highlightString;
};
