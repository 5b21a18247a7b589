#pragma once

// Lets test failures show Qt strings and lists as text instead of bytes. Included into every
// test source by the build.

#include <QString>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QString &text, std::ostream *stream)
{
    *stream << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList &list, std::ostream *stream)
{
    *stream << '[';
    for (qsizetype index = 0; index < list.size(); ++index)
        *stream << (index ? ", \"" : "\"") << list[index].toStdString() << '"';
    *stream << ']';
}
