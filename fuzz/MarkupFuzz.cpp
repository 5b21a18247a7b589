// Any text as markup ("[c:Red]", "[s:r.square]", …): parsed into styled text without harm.

#include "FuzzSupport.h"
#include "VOKMarkupParser.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzStartApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString markup = QString::fromUtf8(fuzzBytes(data, size));
    vokAttributedString(markup);
    vokAttributedStringNoCLip(markup);
    return 0;
}
