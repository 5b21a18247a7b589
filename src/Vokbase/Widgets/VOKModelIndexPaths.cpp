#include "VOKModelIndexPaths.h"

#include <QAbstractItemModel>
#include <QObject>

VOKIndexPath VOKModelIndexPaths::indexPathOf(QModelIndex index)
{
    QList<qint64> rows;
    for (; index.isValid(); index = index.parent())
        rows.prepend(index.row());
    return VOKIndexPath(rows);
}

std::optional<VOKIndexPath> VOKModelIndexPaths::indexPathOfObject(const QAbstractItemModel &model,
                                                                  const QObject *object, int role)
{
    QList<QModelIndex> pending;
    const auto pushChildren = [&](const QModelIndex &parent) {
        for (int row = model.rowCount(parent) - 1; row >= 0; --row)
            pending.append(model.index(row, 0, parent));
    };
    pushChildren(QModelIndex());
    while (!pending.isEmpty()) {
        const QModelIndex index = pending.takeLast();
        if (qvariant_cast<QObject *>(index.data(role)) == object)
            return indexPathOf(index);
        pushChildren(index);
    }
    return std::nullopt;
}

QModelIndex VOKModelIndexPaths::indexAtIndexPath(const QAbstractItemModel &model, const VOKIndexPath &path)
{
    QModelIndex index;
    for (const qint64 row : path.indexes()) {
        if (row < 0 || row >= model.rowCount(index))
            return QModelIndex();
        index = model.index(int(row), 0, index);
    }
    return index;
}

QList<QObject *> VOKModelIndexPaths::objectsAtIndexPaths(const QAbstractItemModel &model,
                                                         const QList<VOKIndexPath> &paths, int role)
{
    QList<QObject *> objects;
    for (const VOKIndexPath &path : paths) {
        const QModelIndex index = indexAtIndexPath(model, path);
        if (index.isValid())
            objects.append(qvariant_cast<QObject *>(index.data(role)));
    }
    return objects;
}
