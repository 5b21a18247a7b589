// A message as a broker may send it: any topic bytes (before the first line feed) and any
// payload. Classification, the summary, the styled content, the raw text and the previews must
// take all of it.

#include "FuzzSupport.h"
#include "VDLMessage.h"
#include "VDLPayloadPreview.h"
#include "VOKMarkupParser.h"

#include <mosquitto.h>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzStartApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray input = fuzzBytes(data, size);
    const qsizetype cut = std::max<qsizetype>(input.indexOf('\n'), 0);
    QByteArray topic = input.left(cut);
    QByteArray payload = input.mid(cut);
    mosquitto_message message{};
    message.topic = topic.data();
    message.payload = payload.isEmpty() ? nullptr : payload.data();
    message.payloadlen = int(payload.size());
    const VDLMessage analysed(message, QString::fromUtf8(topic));
    analysed.summary();
    analysed.homeAssistantSummary();
    analysed.rawContent();
    analysed.payloadFirstTerm();
    if (const std::optional<VOKMarkup> content = analysed.attributedContent())
        vokAttributedString(content->markup());
    VDLPayloadPreview::preview(analysed);
    return 0;
}
