#pragma once

#include "VDLClient.h"

#include <QList>
#include <QObject>

// Keeps every change notice a client announces while it lives. Only for trees that outlive it.
class TopicNotices
{
public:
    explicit TopicNotices(VDLClient &client)
    {
        QObject::connect(&client, &VDLClient::topicsChanged, &m_context,
                         [this](const VDLTopicChanges &changes) { m_notices.append(changes); });
    }

    const QList<VDLTopicChanges> &list() const { return m_notices; }
    void clear() { m_notices.clear(); }

private:
    QObject m_context;
    QList<VDLTopicChanges> m_notices;
};
