#pragma once

#include "VDLTopicComparator.h"
#include "VOKSortDescriptor.h"

#include <QList>
#include <QObject>

// The user's choice of sibling order for the topics outline, kept in the preferences under
// "VLDTokenSortOrder" (absent reads as 0) and written the moment it changes.
// GUI thread.
class VDLTopicSortOrder : public QObject
{
    Q_OBJECT
    Q_PROPERTY(quint64 tokenSortOrder READ tokenSortOrder WRITE setTokenSortOrder NOTIFY tokenSortOrderChanged)
    Q_PROPERTY(QList<VOKSortDescriptor> topicSortDescriptors READ topicSortDescriptors NOTIFY tokenSortOrderChanged)

public:
    static const QString PreferencesKey;

    // Reads the stored order.
    explicit VDLTopicSortOrder(QObject *parent = nullptr);

    quint64 tokenSortOrder() const { return m_comparator.order(); }
    void setTokenSortOrder(quint64 order);
    QList<VOKSortDescriptor> topicSortDescriptors() const { return m_comparator.sortDescriptors(); }
    const VDLTopicComparator &comparator() const { return m_comparator; }

Q_SIGNALS:
    void tokenSortOrderChanged();

private:
    VDLTopicComparator m_comparator;
};
