#pragma once

#include <QString>

// A host name longer than DNS allows (over 253 characters, though each label is short enough):
// no resolver can find it and none is asked, so a lookup fails at once, also without a network.
inline QString unresolvableHost(const QString &firstLabel = QStringLiteral("unknown"))
{
    QString host = firstLabel;
    for (char16_t letter = u'a'; letter < u'f'; ++letter)
        host += QLatin1Char('.') + QString(60, QChar(letter));
    return host + QStringLiteral(".example");
}
