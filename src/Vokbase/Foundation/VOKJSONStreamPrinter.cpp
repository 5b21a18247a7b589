#include "VOKJSONStreamPrinter.h"

#include "VOKJSONPrinter.h"

#include <QList>

namespace {

bool isSpace(char character)
{
    return character == ' ' || character == '\t' || character == '\n' || character == '\r';
}

bool endsLiteral(char character)
{
    return isSpace(character) || character == ',' || character == ':' || character == '[' || character == ']'
        || character == '{' || character == '}' || character == '"';
}

// One open container while printing.
struct Frame
{
    bool isObject = false;
    bool isEmpty = true;
    bool expectsKey = true;
};

// One printing run over one document.
class StreamRun
{
public:
    StreamRun(QByteArrayView json, bool highlight, qsizetype limit)
        : m_json(json)
        , m_highlight(highlight)
        , m_limit(limit)
    {
    }

    VOKJSONStreamPrinter::Result run()
    {
        qsizetype position = 0;
        while (position < m_json.size() && !m_cut) {
            if (m_shown >= m_limit)
                return {m_out, false};
            position = step(position);
        }
        return {m_out, !m_cut};
    }

private:
    // Prints the token at the position and answers where the next one may start. Separators in
    // the input are skipped: the layout writes its own.
    qsizetype step(qsizetype position)
    {
        const char character = m_json[position];
        if (isSpace(character) || character == ',')
            return position + 1;
        if (character == ':') {
            put(QLatin1String(": "));
            return position + 1;
        }
        if (character == '{' || character == '[') {
            startValue();
            open(character == '{');
            return position + 1;
        }
        if (character == '}' || character == ']') {
            close();
            return position + 1;
        }
        if (character == '"') {
            const qsizetype end = stringEnd(position);
            if (expectsKey()) {
                startKey();
                append(position, end, "Brown");
            } else {
                startValue();
                append(position, end, "Green");
            }
            return end;
        }
        qsizetype end = position + 1;
        while (end < m_json.size() && !endsLiteral(m_json[end]))
            ++end;
        startValue();
        append(position, end, m_json.sliced(position, end - position) == "null" ? "Gray" : "Blue");
        return end;
    }

    qsizetype stringEnd(qsizetype position) const
    {
        qsizetype index = position + 1;
        while (index < m_json.size()) {
            if (m_json[index] == '\\')
                index += 2;
            else if (m_json[index++] == '"')
                return index;
        }
        return m_json.size();
    }

    bool expectsKey() const
    {
        return !m_stack.isEmpty() && m_stack.last().isObject && m_stack.last().expectsKey;
    }

    // The separator and indent before the next member of the innermost container.
    void startMember()
    {
        Frame &frame = m_stack.last();
        if (!frame.isEmpty)
            put(QLatin1String(",\n"));
        frame.isEmpty = false;
        put(VOKJSONPrinter::indentString(unsigned(m_stack.size())));
    }

    void startKey()
    {
        startMember();
        m_stack.last().expectsKey = false;
    }

    void startValue()
    {
        if (m_stack.isEmpty())
            return;
        if (m_stack.last().isObject)
            m_stack.last().expectsKey = true;
        else
            startMember();
    }

    void open(bool isObject)
    {
        put(VOKJSONPrinter::indentString(unsigned(m_stack.size())));
        put(isObject ? QLatin1String("{\n") : QLatin1String("[\n"));
        m_stack.append(Frame{isObject});
    }

    void close()
    {
        if (m_stack.isEmpty())
            return;
        const Frame frame = m_stack.takeLast();
        if (frame.isObject || !frame.isEmpty)
            put(QLatin1String("\n"));
        put(VOKJSONPrinter::indentString(unsigned(m_stack.size())));
        put(frame.isObject ? QLatin1String("}") : QLatin1String("]"));
    }

    void append(qsizetype start, qsizetype end, const char *colour)
    {
        QByteArrayView piece = m_json.sliced(start, end - start);
        // A byte is at most a character, so the bytes left bound the characters left.
        const qsizetype room = std::max<qsizetype>(0, m_limit - m_shown);
        if (piece.size() > room) {
            piece = vokUTF8Prefix(piece, room);
            m_cut = true;
        }
        const QString text = QString::fromUtf8(piece);
        m_shown += text.size();
        VOKJSONPrinter::appendColoured(m_out, colour, text, m_highlight);
    }

    // Layout text: shown as it is, never coloured.
    void put(QLatin1String text)
    {
        m_out += text;
        m_shown += text.size();
    }

    void put(const QString &text)
    {
        m_out += text;
        m_shown += text.size();
    }

    const QByteArrayView m_json;
    const bool m_highlight;
    const qsizetype m_limit;
    QString m_out;
    // The characters of m_out that show, markup tags not counted.
    qsizetype m_shown = 0;
    QList<Frame> m_stack;
    bool m_cut = false;
};

} // namespace

VOKJSONStreamPrinter::Result VOKJSONStreamPrinter::print(const QByteArray &json) const
{
    return StreamRun(json, m_highlight, m_limit).run();
}

QByteArrayView vokUTF8Prefix(QByteArrayView text, qsizetype size)
{
    if (size >= text.size())
        return text;
    qsizetype end = std::max<qsizetype>(0, size);
    // Continuation bytes are 10xxxxxx: back up to the byte that starts a character.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xc0) == 0x80)
        --end;
    return text.first(end);
}
