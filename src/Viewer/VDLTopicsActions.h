#pragma once

#include "VOKOutlineViewDelegate.h"

#include <QObject>

class VDLTopic;
class VDLTopicsViewController;

// What the user does with the topics of the outline: copy their names, paths or URLs, open one
// in a new viewer or in the publish window, and delete them, which clears the retained ones on
// the broker. It is the outline's delegate for the row and header context menus, and turns a
// double click and the Delete and Backspace keys into commands.
//
// Ownership: a child of the topics pane it acts for, which it reads the selection and the client
// from. GUI thread.
class VDLTopicsActions final : public QObject, public VOKOutlineViewDelegate
{
    Q_OBJECT

public:
    explicit VDLTopicsActions(VDLTopicsViewController &topics);

    // The paths of the selected topics, top-down, one per line, on the clipboard.
    void copy() const;
    // Opens the "Delete Topics" sheet with the counts of this moment; "Delete" deletes the
    // selection as it is when chosen.
    void confirmDelete();
    // Deletes the selected topics, deepest rows first; the retained ones are cleared on the broker
    // with an empty retained message through the viewer's own client (queued while offline).
    void deleteSelection();
    // Opens the publish window for the one topic with messages in the selection; otherwise beeps.
    void tableDoubleClicked();
    // Finds or opens the publish window of the topic's server, a new one while Alt is held, and
    // fills it from the topic's latest message (its path alone when it has none).
    static void showPublishWindowFor(VDLTopic *topic);

    std::unique_ptr<QMenu> contextMenuForTableView(VOKOutlineView &view, const QModelIndex &clicked) override;
    std::unique_ptr<QMenu> contextMenuForTableHeaderView(QHeaderView &header) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    VDLTopicsViewController &m_topics;
};
