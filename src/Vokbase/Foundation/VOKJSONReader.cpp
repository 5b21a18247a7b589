#include "VOKJSONReader.h"

#include "VOKJSONNumber.h"

#include <QVariantList>
#include <QVariantMap>

#include <simdjson.h>

#include <algorithm>
#include <type_traits>

namespace ondemand = simdjson::ondemand;

namespace {

// Parsers grow to the largest text they read and keep that memory, about 13 bytes per byte of
// text: each thread keeps one for ordinary payloads, and a larger text gets a parser of its own.
constexpr qsizetype keptParserCapacity = 64 * 1024;

// A fragment is read as the one element of an array around it: the array is one level more.
constexpr size_t parserDepth = VOKJSONReader::MaxDepth + 1;

template<typename Parser>
void allowDepth(Parser &parser)
{
    if constexpr (std::is_same_v<Parser, simdjson::ondemand::parser>) {
        // Failing here, it fails again when it reads, and says so there.
        [[maybe_unused]] const simdjson::error_code allocated = parser.allocate(simdjson::SIMDJSON_PADDING, parserDepth);
    }
}

template<typename Parser, typename Read>
auto withParser(qsizetype size, const Read &read)
{
    if (size > keptParserCapacity) {
        Parser parser;
        allowDepth(parser);
        return read(parser);
    }
    thread_local Parser parser;
    thread_local const bool prepared = (allowDepth(parser), true);
    Q_UNUSED(prepared);
    return read(parser);
}

bool isJSONSpace(char character)
{
    return character == ' ' || character == '\t' || character == '\n' || character == '\r';
}

QByteArrayView viewOf(std::string_view text)
{
    return QByteArrayView(text.data(), qsizetype(text.size()));
}

// Where the first control character that a string holds unescaped lies: the stage that finds
// them does not say where.
qsizetype firstUnescapedControl(QByteArrayView bytes)
{
    bool inString = false;
    bool escaped = false;
    for (qsizetype index = 0; index < bytes.size(); ++index) {
        const auto byte = static_cast<unsigned char>(bytes[index]);
        if (inString && byte < 0x20)
            return index;
        if (inString) {
            inString = escaped || byte != '"';
            escaped = !escaped && byte == '\\';
        } else {
            inString = byte == '"';
        }
    }
    return -1;
}

// Turns the document's values into platform values, checking what the on-demand parser leaves
// to its caller: the grammar of numbers (whose written digits it hands over unread), the words
// true, false and null, and the nesting depth.
class ValueReader
{
public:
    // Where a failure found here lies; null when the parser found it.
    const char *failedAt = nullptr;

    simdjson::error_code read(ondemand::value value, int depth, QVariant &out)
    {
        if (depth > VOKJSONReader::MaxDepth)
            return simdjson::DEPTH_ERROR;
        ondemand::json_type type;
        if (const auto error = value.type().get(type))
            return error;
        switch (type) {
        case ondemand::json_type::object:
            return readObject(value, depth, out);
        case ondemand::json_type::array:
            return readArray(value, depth, out);
        case ondemand::json_type::string:
            return readString(value.get_string(), out);
        case ondemand::json_type::number:
            return readNumber(value.raw_json_token(), out);
        case ondemand::json_type::boolean:
            return readBoolean(value.get_bool(), value.raw_json_token().data(), out);
        case ondemand::json_type::null:
            return readNull(value.is_null(), value.raw_json_token().data(), out);
        }
        return simdjson::TAPE_ERROR;
    }

private:
    simdjson::error_code readString(simdjson::simdjson_result<std::string_view> result, QVariant &out)
    {
        std::string_view text;
        if (const auto error = std::move(result).get(text))
            return error;
        out = QString::fromUtf8(text.data(), qsizetype(text.size()));
        return simdjson::SUCCESS;
    }

    simdjson::error_code readNumber(std::string_view token, QVariant &out)
    {
        const QByteArrayView text = VOKJSONReader::trimmed(viewOf(token));
        if (!VOKJSONNumber::isValid(text)) {
            failedAt = token.data();
            return simdjson::NUMBER_ERROR;
        }
        out = VOKJSONNumber::value(text);
        return simdjson::SUCCESS;
    }

    simdjson::error_code readBoolean(simdjson::simdjson_result<bool> result, const char *at, QVariant &out)
    {
        bool value = false;
        if (std::move(result).get(value)) {
            failedAt = at;
            return *at == 't' ? simdjson::T_ATOM_ERROR : simdjson::F_ATOM_ERROR;
        }
        out = value;
        return simdjson::SUCCESS;
    }

    simdjson::error_code readNull(simdjson::simdjson_result<bool> result, const char *at, QVariant &out)
    {
        bool isNull = false;
        if (std::move(result).get(isNull) || !isNull) {
            failedAt = at;
            return simdjson::N_ATOM_ERROR;
        }
        out = QVariant::fromValue(nullptr);
        return simdjson::SUCCESS;
    }

    simdjson::error_code readObject(ondemand::value value, int depth, QVariant &out)
    {
        ondemand::object object;
        if (const auto error = value.get_object().get(object))
            return error;
        QVariantMap map;
        for (auto member : object) {
            ondemand::field field;
            std::string_view key;
            QVariant child;
            if (auto error = std::move(member).get(field); error || (error = field.unescaped_key().get(key))
                || (error = read(field.value(), depth + 1, child)))
                return error;
            map.insert(QString::fromUtf8(key.data(), qsizetype(key.size())), child);
        }
        out = map;
        return simdjson::SUCCESS;
    }

    simdjson::error_code readArray(ondemand::value value, int depth, QVariant &out)
    {
        ondemand::array array;
        if (const auto error = value.get_array().get(array))
            return error;
        QVariantList list;
        for (auto element : array) {
            ondemand::value item;
            QVariant child;
            if (auto error = std::move(element).get(item); error || (error = read(item, depth + 1, child)))
                return error;
            list.append(child);
        }
        out = list;
        return simdjson::SUCCESS;
    }
};

// Stands for a fragment where only an object or an array is taken.
constexpr simdjson::error_code notAContainer = simdjson::SCALAR_DOCUMENT_AS_VALUE;
// Stands for a text that holds no value, or more than one, where a fragment is taken.
constexpr simdjson::error_code notOneValue = simdjson::INCORRECT_TYPE;

// A whole document, read to its end: a container, or with `wrapped` one fragment inside the
// array the reader put around it.
simdjson::error_code readDocument(ondemand::document &document, bool wrapped, ValueReader &reader, QVariant &out)
{
    ondemand::json_type type;
    if (const auto error = document.type().get(type))
        return error;
    if (type != ondemand::json_type::object && type != ondemand::json_type::array)
        return notAContainer;
    ondemand::value root;
    if (auto error = document.get_value().get(root); error || (error = reader.read(root, wrapped ? 0 : 1, out)))
        return error;
    const char *rest = nullptr;
    if (document.current_location().get(rest) == simdjson::SUCCESS) {
        reader.failedAt = rest;
        return simdjson::TRAILING_CONTENT;
    }
    if (!wrapped)
        return simdjson::SUCCESS;
    const QVariantList values = out.toList();
    if (values.size() != 1)
        return notOneValue;
    out = values.front();
    return simdjson::SUCCESS;
}

QString messageOf(simdjson::error_code error)
{
    if (error == notAContainer)
        return QStringLiteral("The document is not an object or an array");
    if (error == notOneValue)
        return QStringLiteral("The text is not one value");
    return QString::fromUtf8(simdjson::error_message(error));
}

// 1-based line and column (in characters) of a byte offset.
void locate(QByteArrayView bytes, qsizetype offset, VOKJSONReader::Failure &failure)
{
    const QByteArrayView before = bytes.first(std::clamp<qsizetype>(offset, 0, bytes.size()));
    const qsizetype lineStart = before.lastIndexOf('\n') + 1;
    failure.line = before.count('\n') + 1;
    failure.column = 1;
    for (const char byte : before.sliced(lineStart))
        failure.column += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

} // namespace

QByteArrayView VOKJSONReader::trimmed(QByteArrayView text)
{
    while (!text.isEmpty() && isJSONSpace(text.back()))
        text.chop(1);
    while (!text.isEmpty() && isJSONSpace(text.front()))
        text = text.sliced(1);
    return text;
}

QString VOKJSONReader::Failure::description() const
{
    if (line == 0)
        return message;
    return QStringLiteral("%1 at line %2, column %3").arg(message).arg(line).arg(column);
}

bool VOKJSONReader::isJSON(QByteArrayView bytes)
{
    const simdjson::error_code error = withParser<simdjson::dom::parser>(bytes.size(), [&](simdjson::dom::parser &parser) {
        return parser.parse(bytes.data(), size_t(bytes.size())).error();
    });
    // This parser stops at numbers a double cannot hold; they are JSON all the same.
    if (error == simdjson::NUMBER_ERROR)
        return read(bytes, true).isValid();
    return error == simdjson::SUCCESS;
}

QVariant VOKJSONReader::read(QByteArrayView bytes, bool allowFragments, Failure *failure)
{
    const qsizetype shift = allowFragments ? 1 : 0;
    simdjson::padded_string padded(size_t(bytes.size() + 2 * shift));
    std::copy(bytes.begin(), bytes.end(), padded.data() + shift);
    if (allowFragments) {
        padded.data()[0] = '[';
        padded.data()[padded.size() - 1] = ']';
    }
    ValueReader reader;
    QVariant value;
    const char *at = nullptr;
    const simdjson::error_code error = withParser<ondemand::parser>(bytes.size(), [&](ondemand::parser &parser) {
        ondemand::document document;
        simdjson::error_code result = parser.iterate(padded).get(document);
        if (result == simdjson::SUCCESS) {
            result = readDocument(document, allowFragments, reader, value);
            if (result != simdjson::SUCCESS && !reader.failedAt && document.current_location().get(at) != simdjson::SUCCESS)
                at = padded.data() + padded.size();
        }
        return result;
    });
    if (error == simdjson::SUCCESS)
        return value;
    if (failure) {
        failure->message = messageOf(error);
        if (reader.failedAt)
            at = reader.failedAt;
        qsizetype offset = at ? at - padded.data() - shift : -1;
        if (error == simdjson::UNESCAPED_CHARS)
            offset = firstUnescapedControl(bytes);
        else if (error == notAContainer || error == notOneValue)
            offset = trimmed(bytes).data() - bytes.data();
        if (offset >= 0)
            locate(bytes, offset, *failure);
    }
    return QVariant();
}

QVariant VOKJSONReader::readMember(QByteArrayView bytes, const QStringList &keys)
{
    const simdjson::padded_string padded(bytes.data(), size_t(bytes.size()));
    return withParser<ondemand::parser>(bytes.size(), [&](ondemand::parser &parser) {
        ondemand::document document;
        ondemand::value value;
        if (parser.iterate(padded).get(document) || document.get_value().get(value))
            return QVariant();
        for (const QString &key : keys) {
            const QByteArray name = key.toUtf8();
            if (value.find_field_unordered(std::string_view(name.constData(), size_t(name.size()))).get(value))
                return QVariant();
        }
        ValueReader reader;
        QVariant member;
        return reader.read(value, 1, member) == simdjson::SUCCESS ? member : QVariant();
    });
}
