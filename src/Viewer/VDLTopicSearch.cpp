#include "VDLTopicSearch.h"

#include "VDLTopic.h"
#include "VDLTopicChanges.h"
#include "VDLTopicsModel.h"

#include <QSet>
#include <QStringMatcher>

#include <algorithm>

namespace {

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.cbegin(), bytes.cend(), [](char byte) { return uchar(byte) < 0x80; });
}

char foldedAscii(char byte)
{
    return byte >= 'A' && byte <= 'Z' ? char(byte - 'A' + 'a') : byte;
}

// The text ignoring case, as the bytes to look for when a payload is plain ASCII; null when the
// text is not ASCII itself.
QByteArray asciiFolded(const QString &text)
{
    const QByteArray bytes = text.toLatin1();
    if (QString::fromLatin1(bytes) != text || !isAscii(bytes))
        return QByteArray();
    QByteArray folded(bytes.size(), Qt::Uninitialized);
    std::transform(bytes.cbegin(), bytes.cend(), folded.begin(), foldedAscii);
    return folded;
}

// Whether the latest payload contains the text, ignoring case. Most payloads are plain ASCII: for
// an ASCII text those are searched as they are, which finds exactly what a search of the
// decoded text finds (only ASCII letters fold to ASCII letters) without decoding every payload
// of the tree for every keystroke.
bool payloadContains(const VDLTopic &topic, const QStringMatcher &text, const QByteArray &asciiText)
{
    const VDLMessagePtr latest = topic.latestMessage();
    if (!latest)
        return false;
    if (!asciiText.isNull() && latest->type() != VDLPayloadType::RawData) {
        const QByteArray &bytes = latest->data();
        if (isAscii(bytes)) {
            return std::search(bytes.cbegin(), bytes.cend(), asciiText.cbegin(), asciiText.cend(),
                               [](char byte, char folded) { return foldedAscii(byte) == folded; })
                != bytes.cend();
        }
    }
    return text.indexIn(latest->rawContent()) >= 0;
}

} // namespace

void VDLTopicSearch::search(const VDLTopicsModel &model, const QString &text, bool includePayloads,
                            const VDLTopic *anchor)
{
    VDLTopic *const root = model.rootTopic();
    m_matches.clear();
    m_positions.clear();
    m_anchorPosition = root && root == anchor ? 0 : -1;
    // What was read of the tree is kept without a text: a search typed again after Escape finds
    // it ready while the tree is quiet.
    if (!root || text.isEmpty())
        return;
    m_paths.refresh(model);
    if (anchor && anchor != root) {
        const qsizetype index = m_paths.indexOf(anchor);
        m_anchorPosition = index >= 0 ? index + 1 : -1;
    }
    const QStringMatcher matcher(text, Qt::CaseInsensitive);
    const QByteArray asciiText = includePayloads ? asciiFolded(text) : QByteArray();
    std::vector<char> matched(size_t(m_paths.size()), 0);
    for (const qsizetype position : m_paths.positionsContaining(text))
        matched[size_t(position)] = 1;
    // The other tests visit the topics themselves: only those the path test left.
    for (qsizetype position = 0; position < m_paths.size(); ++position) {
        if (matched[size_t(position)] || !(includePayloads || m_paths.isDeviceAt(position)))
            continue;
        const VDLTopic &topic = *m_paths.topicAt(position);
        matched[size_t(position)] = (topic.representedDevice() && matcher.indexIn(topic.messageSummary()) >= 0)
            || (includePayloads && payloadContains(topic, matcher, asciiText));
    }
    collect(matched);
}

void VDLTopicSearch::collect(const std::vector<char> &matched)
{
    for (qsizetype position = 0; position < m_paths.size(); ++position) {
        if (matched[size_t(position)]) {
            m_matches.append(m_paths.topicAt(position));
            m_positions.append(position + 1);
        }
    }
}

void VDLTopicSearch::forget(const VDLTopicChanges &changes)
{
    if (changes.removals().isEmpty() || m_matches.isEmpty())
        return;
    QSet<const VDLTopic *> removed;
    for (const VDLTopicChanges::Removal &removal : changes.removals())
        removed.insert(removal.topic);
    for (qsizetype index = m_matches.size() - 1; index >= 0; --index) {
        if (removed.contains(m_matches.at(index))) {
            m_matches.removeAt(index);
            m_positions.removeAt(index);
        }
    }
}

void VDLTopicSearch::clear()
{
    m_matches.clear();
    m_positions.clear();
    m_anchorPosition = -1;
    m_paths.clear();
}

VDLTopic *VDLTopicSearch::step(int direction, const VDLTopic *current) const
{
    if (m_matches.isEmpty())
        return nullptr;
    if (direction != 0 && m_anchorPosition >= 0)
        return stepFromAnchor(direction);
    const qsizetype from = std::max<qsizetype>(indexOf(current), 0);
    const qsizetype count = m_matches.size();
    return m_matches.at(((from + direction) % count + count) % count);
}

VDLTopic *VDLTopicSearch::stepFromAnchor(int direction) const
{
    if (direction > 0) {
        const auto after = std::upper_bound(m_positions.cbegin(), m_positions.cend(), m_anchorPosition);
        return m_matches.at(after == m_positions.cend() ? 0 : after - m_positions.cbegin());
    }
    const auto notBefore = std::lower_bound(m_positions.cbegin(), m_positions.cend(), m_anchorPosition);
    return m_matches.at(notBefore == m_positions.cbegin() ? m_matches.size() - 1
                                                            : notBefore - m_positions.cbegin() - 1);
}
