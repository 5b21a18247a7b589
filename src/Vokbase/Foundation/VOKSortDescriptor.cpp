#include "VOKSortDescriptor.h"

#include "VOKKeyPath.h"
#include "VOKString.h"

#include <QVariantMap>

const QString VOKSortDescriptor::ArchivedClassName = QStringLiteral("VOKArchivedSortDescriptor");

namespace {

int sign(int value)
{
    return (value > 0) - (value < 0);
}

int naturalCompare(const QVariant &left, const QVariant &right)
{
    const QPartialOrdering order = QVariant::compare(left, right);
    if (order == QPartialOrdering::Less)
        return -1;
    return order == QPartialOrdering::Greater ? 1 : 0;
}

int compareBySelector(const QString &selector, const QVariant &left, const QVariant &right)
{
    if (selector == QLatin1String("caseInsensitiveCompare:"))
        return sign(QString::compare(left.toString(), right.toString(), Qt::CaseInsensitive));
    if (selector == QLatin1String("vokCaseInsensitiveCompareWithTrailingNumber:"))
        return vokCaseInsensitiveCompareWithTrailingNumber(left.toString(), right.toString());
    return naturalCompare(left, right);
}

} // namespace

VOKSortDescriptor::VOKSortDescriptor(const QString &key, bool ascending, const QString &selector)
    : m_key(key), m_ascending(ascending), m_selector(selector)
{
}

int VOKSortDescriptor::compare(const QVariant &left, const QVariant &right) const
{
    const QVariant leftValue = m_key.isEmpty() ? left : vokSafeValueForKeyPath(left, m_key, false);
    const QVariant rightValue = m_key.isEmpty() ? right : vokSafeValueForKeyPath(right, m_key, false);
    const int order = compareBySelector(m_selector, leftValue, rightValue);
    return m_ascending ? order : -order;
}

QVariantMap VOKSortDescriptor::plistRepresentation() const
{
    QVariantMap plist{{QStringLiteral("__CLASS"), ArchivedClassName},
                      {QStringLiteral("ascending"), m_ascending}};
    if (!m_key.isNull())
        plist.insert(QStringLiteral("key"), m_key);
    if (!m_selector.isNull())
        plist.insert(QStringLiteral("selector"), m_selector);
    return plist;
}

QVariant VOKSortDescriptor::fromPlist(const QVariantMap &plist, QObject *)
{
    const VOKSortDescriptor order(plist.value(QStringLiteral("key"), QStringLiteral("BogusKey")).toString(),
                                  plist.value(QStringLiteral("ascending"), true).toBool(),
                                  plist.value(QStringLiteral("selector"), QStringLiteral("compare:")).toString());
    return QVariant::fromValue(order);
}
