#pragma once

#include "VOKIndexPath.h"

#include <QStringList>
#include <QVariant>

// Array helpers. Pure functions; the lookups read objects on the caller's thread.

// A copy without every element equal to the object; an unchanged copy when the object is none
// (an invalid QVariant, a null string).
QVariantList vokArrayByRemovingObject(const QVariantList &array, const QVariant &object);
QStringList vokArrayByRemovingObject(const QStringList &array, const QString &object);

// The elements joined with line feeds.
QString vokNll(const QStringList &array);

// The element reached by the index path, descending through each element's child property
// (a list). None when the path is empty or leads past an end; a child property that is not a
// list logs an ERROR and answers none.
QVariant vokObjectAtIndexPath(const QVariantList &array, const VOKIndexPath &indexPath,
                              const QString &childPropertyName);
// The lookup for each path in order, leaving out those that lead nowhere.
QVariantList vokObjectsAtIndexPaths(const QVariantList &array, const QList<VOKIndexPath> &indexPaths,
                                    const QString &childPropertyName);
// The same through "items" and "children".
QVariantList vokItemsAtIndexPaths(const QVariantList &array, const QList<VOKIndexPath> &indexPaths);
QVariantList vokChildrenAtIndexPaths(const QVariantList &array, const QList<VOKIndexPath> &indexPaths);
