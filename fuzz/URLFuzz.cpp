// Any text a link can carry, routed as an mqtt:// URL: a route or a clear refusal.

#include "FuzzSupport.h"
#include "VDLURLRoute.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzStartApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(fuzzBytes(data, size));
    if (const std::optional<QUrl> url = VDLURLRoute::urlFromText(text))
        VDLURLRoute::fromUrl(*url).windowDescription();
    VDLURLRoute::fromUrl(QUrl(text)).windowDescription();
    return 0;
}
