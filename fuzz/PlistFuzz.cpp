// Any JSON document turned into model objects and back into a property list.

#include "FuzzSupport.h"
#include "VOKJSONReader.h"
#include "VOKPlistRepresentation.h"

#include <QObject>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzStartApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QVariant plist = VOKJSONReader::read(fuzzBytes(data, size), true);
    QObject parent;
    vokPlistRepresentation(vokObjectRepresentation(plist, &parent));
    return 0;
}
