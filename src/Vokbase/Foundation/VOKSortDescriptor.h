#pragma once

#include <QMetaType>
#include <QString>
#include <QVariant>

// A sort order over objects: the key path to compare, the direction and the name of the
// comparison. It is written to property lists as a "VOKArchivedSortDescriptor" dictionary and
// read back from one (registered in VOKClassRegistry).
//
// Comparisons by name: "compare:" (natural order of the values), "caseInsensitiveCompare:" and
// "vokCaseInsensitiveCompareWithTrailingNumber:" (text). A plain value; any thread.
class VOKSortDescriptor
{
public:
    static const QString ArchivedClassName;

    VOKSortDescriptor() = default;
    VOKSortDescriptor(const QString &key, bool ascending, const QString &selector = QStringLiteral("compare:"));

    // A null string when the order has no key.
    QString key() const { return m_key; }
    bool ascending() const { return m_ascending; }
    // A null string when the order has no comparison.
    QString selector() const { return m_selector; }

    // -1, 0 or 1: how the two objects' values for the key compare in this order.
    int compare(const QVariant &left, const QVariant &right) const;

    // The archive dictionary.
    QVariantMap plistRepresentation() const;
    // The order an archive dictionary describes: key "BogusKey", ascending and "compare:" where
    // the dictionary says nothing. The parent is unused: the answer is a plain value.
    static QVariant fromPlist(const QVariantMap &plist, QObject *parent);

    friend bool operator==(const VOKSortDescriptor &, const VOKSortDescriptor &) = default;

private:
    QString m_key;
    bool m_ascending = true;
    QString m_selector;
};

Q_DECLARE_METATYPE(VOKSortDescriptor)
