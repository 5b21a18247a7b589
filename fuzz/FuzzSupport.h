#pragma once

#include <QByteArray>
#include <QGuiApplication>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>

// What every fuzz target shares: the application object some code needs (fonts, beeps) and the
// input as bytes or text. Log lines are silenced: a fuzzer writes millions of them.

inline QByteArray fuzzBytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// The input cut at the first line feed: two texts from one input.
inline std::pair<QString, QString> fuzzTwoTexts(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzzBytes(data, size);
    const qsizetype cut = bytes.indexOf('\n');
    if (cut < 0)
        return {QString::fromUtf8(bytes), QString()};
    return {QString::fromUtf8(bytes.left(cut)), QString::fromUtf8(bytes.mid(cut + 1))};
}

void fuzzStartApplication();
