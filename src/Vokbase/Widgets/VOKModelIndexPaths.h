#pragma once

#include "VOKIndexPath.h"

#include <QList>
#include <QModelIndex>

#include <optional>

class QAbstractItemModel;
class QObject;

// Index paths over a tree model: the row at each level from the top down, each row standing for
// the QObject pointer the model answers for a role. Walks are iterative, so any depth is fine.
//
// Objects answered belong to the model's owner; nothing is kept between calls. The thread the
// model lives on (the GUI thread for the outline).
class VOKModelIndexPaths
{
public:
    // The path of the first row, depth first and parents before children, whose object is the
    // object; none when no row stands for it.
    static std::optional<VOKIndexPath> indexPathOfObject(const QAbstractItemModel &model, const QObject *object,
                                                         int role);
    // The objects of the rows the paths lead to, in the order of the paths; paths that lead
    // nowhere are left out.
    static QList<QObject *> objectsAtIndexPaths(const QAbstractItemModel &model, const QList<VOKIndexPath> &paths,
                                                int role);
    // The path of a model index: its row at each level from the top down.
    static VOKIndexPath indexPathOf(QModelIndex index);
    // The model index a path leads to; invalid when it leads nowhere.
    static QModelIndex indexAtIndexPath(const QAbstractItemModel &model, const VOKIndexPath &path);
};
