#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QVariant>

// The program's one JSON reader: JSON exactly as RFC 8259 has it, read by simdjson. Anything
// else is refused, also what lenient readers take: "1." or ".5", raw control characters or
// unknown escapes in strings, lone surrogates, invalid UTF-8, trailing commas, a byte-order
// mark, or two values where one is expected. Nesting deeper than MaxDepth is refused too.
//
// Numbers keep every digit the text carried (VOKJSONNumber decides how each is held).
//
// Static functions, any thread: each thread reads with parsers of its own.
class VOKJSONReader
{
public:
    static constexpr int MaxDepth = 1024;

    // Why a text was refused: the reader's message and, when it is known, where (1-based).
    struct Failure
    {
        QString message;
        qsizetype line = 0;
        qsizetype column = 0;

        // "message at line L, column C", or the message alone.
        QString description() const;
    };

    // The text without the white space JSON allows around a value.
    static QByteArrayView trimmed(QByteArrayView text);

    // Whether the bytes are one JSON value, fragments (a bare number, string, true, false or
    // null) included. Builds no values: cheap enough for every message on the network thread.
    static bool isJSON(QByteArrayView bytes);

    // The value: QVariantMap, QVariantList, QString, qlonglong, double, VOKJSONNumber, bool or
    // QVariant::fromValue(nullptr). Without `allowFragments` only an object or an array is
    // taken. Invalid when refused, with the reason in `failure` when given.
    static QVariant read(QByteArrayView bytes, bool allowFragments, Failure *failure = nullptr);

    // The value of one member of an object document, found by its keys from the top (as they
    // are written), with nothing else read into values: for a chart that wants one number out
    // of every message. Invalid when there is no such member. The bytes should be JSON
    // (isJSON): what lies beside the path is skipped, not checked.
    static QVariant readMember(QByteArrayView bytes, const QStringList &keys);
};
