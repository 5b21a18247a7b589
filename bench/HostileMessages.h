#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

// An endless, reproducible stream of messages a careless or malicious publisher could send:
// topics up to the 65,535 bytes MQTT allows, with up to the 200 separators mosquitto allows, many
// empty levels, exotic but valid UTF-8 and markup-looking levels; payloads from nothing to 16 MB,
// invalid UTF-8, NUL bytes, JSON nested 10,000 levels deep, markup and format strings, edge-case
// numbers. Topics come from a fixed pool so the broker's and the viewer's topic trees stop growing
// after a while and only the histories do. Not thread-safe; one generator per publisher.
class HostileMessages
{
public:
    struct Message
    {
        std::string topic;
        std::string payload;
        bool retain = false;
    };

    // `topicCount` topics are drawn from `seed` up front; `largeEvery` is the mean number of
    // messages between two large payloads (64 KB to 16 MB), 0 for none.
    HostileMessages(std::uint64_t seed, int topicCount, int largeEvery);

    Message next();

    static constexpr std::size_t maxTopicBytes = 65535;
    // mosquitto drops a publisher whose topic has more than 200 separators.
    static constexpr std::size_t maxTopicSeparators = 200;
    static constexpr std::size_t maxPayloadBytes = 16 * 1024 * 1024;

private:
    std::string makeTopic();
    std::string makeLevel();
    std::string makeSmallPayload();
    std::string makeLargePayload();
    std::string nestedJson(std::size_t depth, bool closed);
    std::string invalidUtf8(std::size_t bytes);
    std::string randomBytes(std::size_t bytes);
    const std::string &pick(const std::vector<std::string> &choices);
    std::size_t below(std::size_t bound);
    bool chance(double probability);

    std::mt19937_64 m_random;
    std::vector<std::string> m_topics;
    int m_largeEvery;
};
