#include "VOKObjectDescription.h"

QString vokObjectDescription(const char *className, const void *object)
{
    return QStringLiteral("<%1: 0x%2>")
        .arg(QString::fromLatin1(className))
        .arg(quintptr(object), 0, 16);
}

QString vokDescriptionText(const QString &text)
{
    return text.isNull() ? QStringLiteral("(null)") : text;
}
