// Every built-in device definition rendered from source topics whose latest payload is the
// input: hostile values, markup-looking text, JSON of any shape.

#include "FuzzSupport.h"
#include "VDLRepresentedDevice.h"
#include "VOKJSONReader.h"
#include "VOKMarkupParser.h"

#include <QObject>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzStartApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray payload = fuzzBytes(data, size);
    QVariantMap message{{QStringLiteral("payload"), QString::fromUtf8(payload)}};
    const QVariant json = VOKJSONReader::read(payload, false);
    if (json.isValid())
        message.insert(QStringLiteral("json"), json);
    QObject source;
    source.setProperty("latestMessage", message);
    const VDLRepresentedDevice::TopicResolver resolve = [&](const QString &) -> const QObject * { return &source; };
    for (const VDLRepresentedDevice *device : VDLRepresentedDevice::allDevices()) {
        if (const std::optional<VOKMarkup> markup = device->render(resolve))
            vokAttributedString(markup->markup());
    }
    return 0;
}
