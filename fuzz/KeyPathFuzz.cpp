// A key path (before the first line feed) read from a JSON value (after it).

#include "FuzzSupport.h"
#include "VOKJSONReader.h"
#include "VOKKeyPath.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzStartApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto [keyPath, json] = fuzzTwoTexts(data, size);
    const QVariant value = VOKJSONReader::read(json.toUtf8(), true);
    VOKKeyPath::describe(vokSafeValueForKeyPath(value, keyPath, true));
    return 0;
}
