#include "VOKMosquittoTopicMatch.h"

#include "VOKLog.h"
#include "VOKMosquittoTopic.h"
#include "VOKObjectDescription.h"

VOKMosquittoTopicMatch::VOKMosquittoTopicMatch(std::shared_ptr<const VOKMosquittoTopic> topic,
                                               VOKMosquittoMessagePtr message)
    : m_topic(std::move(topic))
    , m_message(std::move(message))
{
    m_match = determineMatch();
}

bool VOKMosquittoTopicMatch::determineMatch()
{
    if (!m_topic || !m_message || m_message->topic().isNull())
        return false;
    const QStringList filterLevels = m_topic->topic().split(QLatin1Char('/'));
    const QStringList messageLevels = m_message->topic().split(QLatin1Char('/'));
    if (messageLevels.size() < filterLevels.size())
        return false;

    // Filled as the levels are walked so that the misplaced-wildcard line shows them; cleared
    // again when the topic does not match.
    qsizetype messageIndex = 0;
    for (qsizetype filterIndex = 0; filterIndex < filterLevels.size(); ++filterIndex) {
        const QString &level = filterLevels[filterIndex];
        if (level == QLatin1String("+")) {
            m_matches.append(messageLevels[messageIndex++]);
        } else if (level == QLatin1String("#")) {
            m_subTopic = messageLevels.mid(messageIndex).join(QLatin1Char('/'));
            if (filterIndex + 1 < filterLevels.size())
                VOK_ERROR(QStringLiteral("topic wildcard '#' not at end of topic: %1").arg(description()));
            return true;
        } else if (level == messageLevels[messageIndex]) {
            ++messageIndex;
        } else {
            m_matches.clear();
            return false;
        }
    }
    return true;
}

QString VOKMosquittoTopicMatch::description() const
{
    return QStringLiteral("%1  topic: %2  subTopic match: %3  matches: (%4)")
        .arg(vokObjectDescription("VOKMosquittoTopicMatch", this),
             m_topic ? m_topic->topic() : QStringLiteral("(null)"), vokDescriptionText(m_subTopic),
             m_matches.join(QStringLiteral(", ")));
}
