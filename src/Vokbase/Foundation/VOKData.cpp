#include "VOKData.h"

#include <QStringDecoder>

QString vokUTF8String(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return QStringLiteral("");
    // Stateless: a sequence cut short at the end is an error, not state kept for more bytes.
    // A byte-order mark is part of the payload: keep it rather than silently dropping it.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom | QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return QString();
    return text;
}
