#pragma once

#include <QString>
#include <QStringView>

#include <vector>

class VDLTopic;
class VDLTopicsModel;

// Every topic below a model's root in the order the outline shows them (hidden topics sorted in
// among them), each with its path, the paths kept one after another in one buffer. A search
// reads that buffer instead of visiting the topics, which lie scattered over the heap; the walk
// that fills it runs again only when the model's revision has moved.
//
// Holds topics by pointer: use it only right after refresh(), before the tree can change.
// GUI thread.
class VDLOutlinePaths
{
public:
    // Walks the model's tree again unless the model is as it was at the last walk.
    void refresh(const VDLTopicsModel &model);
    // Frees the buffer; the next refresh walks again.
    void clear();

    qsizetype size() const { return qsizetype(m_entries.size()); }
    VDLTopic *topicAt(qsizetype index) const { return m_entries[index].topic; }
    bool isDeviceAt(qsizetype index) const { return m_entries[index].isDevice; }
    // The position of the topic in outline order; -1 when it is none of them.
    qsizetype indexOf(const VDLTopic *topic) const;
    // The positions whose path contains the text, ignoring case, ascending.
    std::vector<qsizetype> positionsContaining(const QString &text) const;

private:
    struct Entry
    {
        VDLTopic *topic;
        // Where the topic's path ends in the buffer; it starts where the one before ends.
        qsizetype pathEnd;
        // Noted in the walk: most topics stand for no device, and asking each would visit it.
        bool isDevice;
    };

    void walk(const VDLTopicsModel &model);

    const VDLTopicsModel *m_model = nullptr;
    quint64 m_revision = 0;
    std::vector<Entry> m_entries;
    // Case-folded.
    QString m_paths;
};
