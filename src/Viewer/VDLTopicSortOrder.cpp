#include "VDLTopicSortOrder.h"

#include "VOKPreferences.h"

const QString VDLTopicSortOrder::PreferencesKey = QStringLiteral("VLDTokenSortOrder");

VDLTopicSortOrder::VDLTopicSortOrder(QObject *parent)
    : QObject(parent)
    , m_comparator(quint64(VOKPreferences::standard().integerForKey(PreferencesKey)))
{
}

void VDLTopicSortOrder::setTokenSortOrder(quint64 order)
{
    // Written even when unchanged: the preference is what the user chose last.
    VOKPreferences::standard().setObject(QVariant(qint64(order)), PreferencesKey);
    if (order == m_comparator.order())
        return;
    m_comparator = VDLTopicComparator(order);
    Q_EMIT tokenSortOrderChanged();
}
