#include "VDLHighlight.h"

#include "VOKAttributedString.h"
#include "VOKColor.h"

namespace VDLHighlight {

QColor color()
{
    static const QColor green = [] {
        QColor base = vokColorNamed(QStringLiteral("NSColor:systemGreenColor"));
        base.setAlphaF(0.25f);
        return base;
    }();
    return green;
}

QList<Range> ranges(const QString &text, const QString &search)
{
    QList<Range> found;
    if (text.isEmpty() || search.isEmpty())
        return found;
    qsizetype position = 0;
    while ((position = text.indexOf(search, position, Qt::CaseInsensitive)) >= 0) {
        found.append(Range{position, search.size()});
        position += search.size();
    }
    return found;
}

QList<Range> mark(VOKAttributedString &text, const QString &search)
{
    const QList<Range> found = ranges(text.string(), search);
    for (const Range &range : found)
        text.setBackground(range.start, range.start + range.length, color());
    return found;
}

VOKKVOBlockPtr observeSearchString(QObject *proxy, QObject *observer,
                                   const std::function<void(const QString &)> &onChange)
{
    if (!proxy) {
        onChange(QString());
        return nullptr;
    }
    return vokAddObserver(proxy, observer, QStringLiteral("searchString"), VOKKVOOption::Initial,
                          [onChange](QObject *, const VOKKVOChange &change, VOKKVOBlock *) {
                              onChange(change.newValue.toString());
                          });
}

} // namespace VDLHighlight
