#include "VDLPayloadPreview.h"

#include "VDLMessage.h"

#include <algorithm>

namespace {

const QChar Ellipsis(0x2026);

bool isJSONWhiteSpace(char byte)
{
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\r';
}

// JSON without the white space between its tokens; strings are copied as written (escapes
// stay escapes). Stops once maxBytes bytes are written.
QByteArray compactJSON(QByteArrayView json, qsizetype maxBytes, qsizetype &consumed)
{
    QByteArray compact;
    compact.reserve(std::min(json.size(), maxBytes));
    bool inString = false;
    bool escaped = false;
    qsizetype index = 0;
    for (; index < json.size() && compact.size() < maxBytes; ++index) {
        const char byte = json[index];
        if (inString) {
            inString = escaped || byte != '"';
            escaped = !escaped && byte == '\\';
        } else if (isJSONWhiteSpace(byte)) {
            continue;
        } else {
            inString = byte == '"';
        }
        compact.append(byte);
    }
    // White space after the last token is not more payload.
    while (index < json.size() && isJSONWhiteSpace(json[index]))
        ++index;
    consumed = index;
    return compact;
}

// A multi-byte character cut at the end of the bytes read lies beyond the characters kept:
// every character takes fewer bytes than are read for it.
QString cut(QString text, qsizetype maxCharacters, bool more)
{
    if (text.size() > maxCharacters) {
        // Never half of a surrogate pair.
        text.truncate(text.at(maxCharacters).isLowSurrogate() ? maxCharacters - 1 : maxCharacters);
        more = true;
    }
    return more ? text + Ellipsis : text;
}

QString hexStart(const QByteArray &data)
{
    const QByteArray start = data.left(VDLPayloadPreview::HexBytes).toHex(' ');
    return QString::fromLatin1(start) + (data.size() > VDLPayloadPreview::HexBytes ? QString(Ellipsis) : QString());
}

} // namespace

QString VDLPayloadPreview::preview(const VDLMessage &message, qsizetype maxCharacters)
{
    const QByteArray &data = message.data();
    const qsizetype scanned = std::min(data.size(), maxCharacters * BytesPerCharacter);
    switch (message.type()) {
    case VDLPayloadType::JSON: {
        qsizetype consumed = 0;
        const QByteArray compact = compactJSON(QByteArrayView(data).first(scanned), maxCharacters * 4, consumed);
        return cut(oneLine(QString::fromUtf8(compact)), maxCharacters, consumed < data.size());
    }
    case VDLPayloadType::Text:
        return cut(oneLine(QString::fromUtf8(data.left(scanned))), maxCharacters, scanned < data.size());
    case VDLPayloadType::RawData:
        return hexStart(data);
    default:
        return QString();
    }
}

QString VDLPayloadPreview::oneLine(const QString &text)
{
    QString line;
    line.reserve(text.size());
    for (qsizetype index = 0; index < text.size(); ++index) {
        const char16_t character = text[index].unicode();
        if (character == u'\r' && index + 1 < text.size() && text[index + 1] == u'\n')
            continue; // one symbol for a CR LF pair
        if (character == u'\n' || character == u'\r' || character == 0x2028 || character == 0x2029 || character == 0x85)
            line.append(QChar(0x23CE)); // ⏎
        else if (character == u'\t')
            line.append(QChar(0x21E5)); // ⇥
        else if (character < 0x20)
            line.append(QChar(char16_t(0x2400 + character))); // the control picture: ␀ … ␟
        else if (character == 0x7F)
            line.append(QChar(0x2421)); // ␡
        else
            line.append(QChar(character));
    }
    return line;
}
