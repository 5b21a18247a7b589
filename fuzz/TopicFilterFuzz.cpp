// A topic filter (before the first line feed) matched against a topic (after it): any levels,
// wildcards anywhere.

#include "FuzzSupport.h"
#include "VOKMosquittoTopic.h"
#include "VOKMosquittoTopicMatch.h"

#include <mosquitto.h>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzStartApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto [filter, topicText] = fuzzTwoTexts(data, size);
    QByteArray topic = topicText.toUtf8();
    mosquitto_message received{};
    received.topic = topic.data();
    const auto topicFilter = std::make_shared<const VOKMosquittoTopic>(filter, VOKMosquittoTopic::Callback());
    const VOKMosquittoTopicMatch match(topicFilter, std::make_shared<const VOKMosquittoMessage>(received, topicText));
    match.description();
    return 0;
}
