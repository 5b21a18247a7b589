#include "HostileMessages.h"

#include <algorithm>
#include <cmath>

namespace {

// Texts that mean something to a markup reader, a format function, an HTML view or a JSON
// escape reader, used as topic levels and inside payloads.
const std::vector<std::string> trickyTexts = {
    "[s:x]", "[s:r.square]", "[c:Red]", "[c:]", "[c:#zzzzzz]", "[f:bold]", "[f:", "[", "]", "[[", "]]",
    "<b>", "</i>", "<script>alert(1)</script>", "<img src=x>", "&amp;", "&#0;", "%s", "%n", "%@", "%1",
    "%%", "%d%d%d%d", "{}", "{", "}", "\\u0000", "\\", "\\\\", "\\n", "\"", "'", "`", "*", "..", ".", " ",
    "   ", "ünïcödé", "日本語", "😀",
    "e\u0301", "\u202eevil", "\u200b", "\u200d", "\ufeff", "sensor 1", "10", "9",
    "007", "123456789012345678901234567890", "", "null", "true", "NaN", "-0",
};

// Payloads that look like numbers or booleans to a lenient reader, and some that are.
const std::vector<std::string> edgeValues = {
    "0", "-0", "1e999", "-1e999", "1e-999", "NaN", "Infinity", "18446744073709551616",
    "-9223372036854775809", "0.1e", "1.", ".5", "0x10", "00", "true", "false", "TRUE", "true ",
    " 1", "1 2", "null", "\"\"", "\"\\ud800\"", "\"\\u0000\"", "[]", "{}", "[", "}",
};

// Byte sequences that are not UTF-8: stray continuation bytes, overlong forms, encoded
// surrogates, bytes that never occur, and sequences cut short.
const std::vector<std::string> invalidSequences = {
    "\x80", "\xbf", "\xc0\xaf", "\xc1\xbf", "\xe0\x80\xaf", "\xed\xa0\x80", "\xed\xbf\xbf",
    "\xf4\x90\x80\x80", "\xf8\x88\x80\x80\x80", "\xfe", "\xff", "\xc3", "\xe2\x82", "\xf0\x9f\x98",
};

void appendUtf8(std::string &text, char32_t codePoint)
{
    if (codePoint < 0x80) {
        text += char(codePoint);
    } else if (codePoint < 0x800) {
        text += char(0xc0 | (codePoint >> 6));
        text += char(0x80 | (codePoint & 0x3f));
    } else if (codePoint < 0x10000) {
        text += char(0xe0 | (codePoint >> 12));
        text += char(0x80 | ((codePoint >> 6) & 0x3f));
        text += char(0x80 | (codePoint & 0x3f));
    } else {
        text += char(0xf0 | (codePoint >> 18));
        text += char(0x80 | ((codePoint >> 12) & 0x3f));
        text += char(0x80 | ((codePoint >> 6) & 0x3f));
        text += char(0x80 | (codePoint & 0x3f));
    }
}

// What a broker accepts in a topic: no control characters, surrogates or non-characters (it
// drops the publisher otherwise), and nothing a publication may not name: wildcards, the '$'
// of broker topics, and the level separator, which the topic builder places itself.
bool allowedInTopic(char32_t codePoint)
{
    if (codePoint < 0x20 || (codePoint >= 0x7f && codePoint <= 0x9f))
        return false;
    if (codePoint >= 0xd800 && codePoint <= 0xdfff)
        return false;
    if ((codePoint >= 0xfdd0 && codePoint <= 0xfdef) || (codePoint & 0xfffe) == 0xfffe)
        return false;
    return codePoint != '$' && codePoint != '+' && codePoint != '#' && codePoint != '/';
}

// Cuts text to at most `bytes` without splitting a UTF-8 sequence.
void truncateUtf8(std::string &text, std::size_t bytes)
{
    if (text.size() <= bytes)
        return;
    while (bytes > 0 && (static_cast<unsigned char>(text[bytes]) & 0xc0) == 0x80)
        --bytes;
    text.resize(bytes);
}

} // namespace

HostileMessages::HostileMessages(std::uint64_t seed, int topicCount, int largeEvery)
    : m_random(seed)
    , m_largeEvery(largeEvery)
{
    m_topics.reserve(std::size_t(std::max(topicCount, 1)));
    for (int index = 0; index < std::max(topicCount, 1); ++index)
        m_topics.push_back(makeTopic());
}

HostileMessages::Message HostileMessages::next()
{
    Message message;
    message.topic = pick(m_topics);
    const bool large = m_largeEvery > 0 && below(std::size_t(m_largeEvery)) == 0;
    message.payload = large ? makeLargePayload() : makeSmallPayload();
    message.retain = chance(0.3);
    return message;
}

std::string HostileMessages::makeTopic()
{
    std::string topic;
    const std::size_t kind = below(20);
    if (kind == 0) {
        // The most levels, all empty.
        topic.assign(maxTopicSeparators, '/');
    } else if (kind == 1) {
        // One level of the greatest length.
        while (topic.size() < maxTopicBytes)
            topic += makeLevel() + "x";
    } else if (kind <= 4) {
        // Up to the most levels, many of them empty, and with kind 4 up to the greatest length.
        const std::size_t separators = 1 + below(maxTopicSeparators);
        const std::size_t levelBytes = kind == 4 ? maxTopicBytes / separators : 0;
        for (std::size_t level = 0; level < separators; ++level) {
            if (chance(0.3))
                topic += "/";
            else
                topic += makeLevel() + std::string(levelBytes, 'w') + "/";
        }
    } else {
        topic = "hostile";
        const std::size_t levels = 1 + below(8);
        for (std::size_t level = 0; level < levels; ++level)
            topic += "/" + makeLevel();
    }
    truncateUtf8(topic, maxTopicBytes);
    return topic;
}

std::string HostileMessages::makeLevel()
{
    const std::size_t kind = below(10);
    std::string level;
    if (kind < 4) {
        do
            level = pick(trickyTexts);
        while (level.find_first_of("/#+$") != std::string::npos);
        return level;
    }
    const std::size_t length = 1 + below(12);
    for (std::size_t index = 0; index < length; ++index) {
        if (kind < 8) {
            level += "abcdefghijklmnopqrstuvwxyz0123456789_-"[below(38)];
            continue;
        }
        char32_t codePoint = 0;
        do
            codePoint = char32_t(below(0x110000));
        while (!allowedInTopic(codePoint));
        appendUtf8(level, codePoint);
    }
    return level;
}

std::string HostileMessages::makeSmallPayload()
{
    const std::size_t kind = below(100);
    if (kind < 5)
        return std::string();
    if (kind < 25) {
        std::string json = "{\"state\":\"" + pick(trickyTexts) + "\",\"value\":" + pick(edgeValues)
            + ",\"list\":[1,2,\"" + pick(trickyTexts) + "\"],\"" + pick(trickyTexts) + "\":null}";
        return json;
    }
    if (kind < 30)
        return nestedJson(10000, true);
    if (kind < 33)
        return nestedJson(10000 + below(10000), false);
    if (kind < 48)
        return invalidUtf8(1 + below(2048));
    if (kind < 63) {
        std::string text;
        const std::size_t pieces = 1 + below(40);
        for (std::size_t piece = 0; piece < pieces; ++piece)
            text += pick(trickyTexts) + (chance(0.1) ? std::string(1, '\0') : std::string());
        return text;
    }
    if (kind < 73)
        return pick(edgeValues);
    if (kind < 83)
        return randomBytes(1 + below(4096));
    if (kind < 90) {
        // A long line without a break, with NUL bytes in it.
        std::string text(10000 + below(50000), 'a');
        for (std::size_t index = 0; index < text.size(); index += 1 + below(500))
            text[index] = chance(0.5) ? '\0' : ' ';
        return text;
    }
    return "{\"text\":\"" + invalidUtf8(1 + below(64)) + "\",\"escape\":\"\\ud800\\u0000\\x\"}";
}

std::string HostileMessages::makeLargePayload()
{
    // Sizes spread evenly on a log scale from 64 KB to 16 MB, now and then exactly the most.
    const double low = std::log(64.0 * 1024);
    const double high = std::log(double(maxPayloadBytes));
    const std::size_t size = chance(0.1)
        ? maxPayloadBytes
        : std::size_t(std::exp(low + (high - low) * double(below(1 << 20)) / double(1 << 20)));
    switch (below(6)) {
    case 0:
        return randomBytes(size);
    case 1:
        return invalidUtf8(size);
    case 2:
        return nestedJson(size / 2, true);
    case 3:
        return std::string(size, '[');
    case 4: {
        std::string json = "[";
        while (json.size() + 32 < size)
            json += std::to_string(below(1u << 30)) + ",";
        return json + "0]";
    }
    default: {
        std::string text;
        while (text.size() < size)
            text += pick(trickyTexts) + (chance(0.01) ? "\n" : " ");
        return text;
    }
    }
}

std::string HostileMessages::nestedJson(std::size_t depth, bool closed)
{
    const bool arrays = chance(0.5);
    std::string json;
    json.reserve(depth * (arrays ? 2 : 8));
    for (std::size_t level = 0; level < depth; ++level)
        json += arrays ? "[" : "{\"a\":";
    json += "1";
    if (closed)
        json.append(depth, arrays ? ']' : '}');
    return json;
}

std::string HostileMessages::invalidUtf8(std::size_t bytes)
{
    std::string text;
    text.reserve(bytes + 8);
    while (text.size() < bytes)
        text += chance(0.3) ? pick(invalidSequences) : pick(trickyTexts);
    text.resize(bytes);
    return text;
}

std::string HostileMessages::randomBytes(std::size_t bytes)
{
    std::string data(bytes, '\0');
    for (std::size_t index = 0; index < bytes; index += 8) {
        const std::uint64_t word = m_random();
        for (std::size_t byte = 0; byte < 8 && index + byte < bytes; ++byte)
            data[index + byte] = char(word >> (8 * byte));
    }
    return data;
}

const std::string &HostileMessages::pick(const std::vector<std::string> &choices)
{
    return choices[below(choices.size())];
}

std::size_t HostileMessages::below(std::size_t bound)
{
    return std::uniform_int_distribution<std::size_t>(0, bound - 1)(m_random);
}

bool HostileMessages::chance(double probability)
{
    return std::bernoulli_distribution(probability)(m_random);
}
