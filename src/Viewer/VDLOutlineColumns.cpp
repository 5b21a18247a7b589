#include "VDLOutlineColumns.h"

#include "VOKKeyPath.h"
#include "VOKLog.h"
#include "VOKPreferences.h"

#include <QHeaderView>
#include <QTreeView>

VDLOutlineColumns::VDLOutlineColumns(QTreeView &outline)
    : QObject(&outline)
    , m_outline(outline)
{
    header().setSectionResizeMode(QHeaderView::Interactive);
    header().setStretchLastSection(true);
    m_fitTimer.setSingleShot(true);
    m_fitTimer.setInterval(FitMilliseconds);
    connect(&m_fitTimer, &QTimer::timeout, this, &VDLOutlineColumns::fitFirstColumn);
    const auto scheduleFit = [this] {
        if (!m_sizedByUser && !m_fitTimer.isActive())
            m_fitTimer.start();
    };
    connect(outline.model(), &QAbstractItemModel::rowsInserted, this, scheduleFit);
    connect(outline.model(), &QAbstractItemModel::modelReset, this, scheduleFit);
    connect(&outline, &QTreeView::expanded, this, scheduleFit);
    connect(&header(), &QHeaderView::sectionResized, this,
            [this](int logicalIndex) { sectionResized(logicalIndex); });
    // Hiding a column resizes it before it counts as hidden: the state is read a moment later,
    // once for a whole drag.
    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(0);
    connect(&m_saveTimer, &QTimer::timeout, this, &VDLOutlineColumns::save);
    connect(&header(), &QHeaderView::sectionMoved, this, [this] {
        if (!m_changing)
            m_saveTimer.start();
    });
}

QString VDLOutlineColumns::keyForName(const QString &name)
{
    return QStringLiteral("VDLOutlineColumns %1").arg(name);
}

QHeaderView &VDLOutlineColumns::header() const
{
    return *m_outline.header();
}

void VDLOutlineColumns::setAutosaveName(const QString &name)
{
    m_name = name;
    if (name.isEmpty())
        return;
    const QVariant stored = VOKPreferences::standard().objectForKey(keyForName(name));
    if (!stored.isValid())
        return;
    bool restored = false;
    withoutNotice([&] {
        restored = stored.metaType() == QMetaType::fromType<QString>()
            && header().restoreState(QByteArray::fromBase64(stored.toString().toLatin1()));
    });
    if (!restored) {
        VOK_ERROR(QStringLiteral("Ignoring unreadable column widths of '%1': %2").arg(name, VOKKeyPath::describe(stored)));
        return;
    }
    m_sizedByUser = true;
    m_fitTimer.stop();
}

void VDLOutlineColumns::fitFirstColumn()
{
    m_fitTimer.stop();
    if (m_sizedByUser)
        return;
    const int half = m_outline.viewport()->width() / 2;
    // The tree's own measure (indentation included), public only through its base class.
    const QAbstractItemView &view = m_outline;
    const int wanted = std::max(view.sizeHintForColumn(0), header().sectionSizeHint(0));
    withoutNotice([&] { header().resizeSection(0, std::clamp(wanted, header().minimumSectionSize(), std::max(half, header().minimumSectionSize()))); });
}

void VDLOutlineColumns::sectionResized(int logicalIndex)
{
    if (m_changing)
        return;
    // The last column stretches whenever the outline is resized: that is not the user's choice.
    if (logicalIndex != header().logicalIndex(header().count() - 1))
        m_sizedByUser = true;
    m_saveTimer.start();
}

void VDLOutlineColumns::save() const
{
    if (!m_name.isEmpty())
        VOKPreferences::standard().setObject(QString::fromLatin1(header().saveState().toBase64()), keyForName(m_name));
}

void VDLOutlineColumns::withoutNotice(const std::function<void()> &change)
{
    const bool wasChanging = std::exchange(m_changing, true);
    change();
    m_changing = wasChanging;
}
