#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class QHeaderView;
class QTreeView;

// The column widths of an outline. Every column is sized by the user and the last one takes
// the rest of the width. The first column fits its content, at most half the outline, as rows
// arrive, until a width is restored or the user sizes a column. With an autosave name the
// header's state (widths, order, hidden columns) is kept in the user preferences under
// keyForName(name) whenever the user changes it, and restored when the name is set.
//
// Ownership: a child of the outline, which it sizes. GUI thread.
class VDLOutlineColumns final : public QObject
{
    Q_OBJECT

public:
    // How long arriving rows are gathered before the first column fits them.
    static constexpr int FitMilliseconds = 250;

    explicit VDLOutlineColumns(QTreeView &outline);

    static QString keyForName(const QString &name);
    QString autosaveName() const { return m_name; }
    // Restores what is saved under the name (a stored value that is not a header's state logs
    // an ERROR and is left alone) and saves under it from now on; empty keeps nothing.
    void setAutosaveName(const QString &name);
    // Fits the first column now, unless widths were restored or chosen by the user.
    void fitFirstColumn();
    bool isFitting() const { return !m_sizedByUser; }

private:
    QHeaderView &header() const;
    void sectionResized(int logicalIndex);
    void save() const;
    void withoutNotice(const std::function<void()> &change);

    QTreeView &m_outline;
    QString m_name;
    QTimer m_fitTimer;
    QTimer m_saveTimer;
    bool m_sizedByUser = false;
    bool m_changing = false;
};
