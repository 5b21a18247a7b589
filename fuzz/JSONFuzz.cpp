// Any text as JSON: the reader refuses or reads it; what it reads prints and reads back as the
// same value; the streaming printer lays out anything without harm.

#include "FuzzSupport.h"
#include "VOKJSONPrinter.h"
#include "VOKJSONReader.h"
#include "VOKJSONStreamPrinter.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzStartApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzzBytes(data, size);
    VOKJSONStreamPrinter(true).print(bytes);
    VOKJSONReader::Failure failure;
    const QVariant value = VOKJSONReader::read(bytes, true, &failure);
    if (!value.isValid()) {
        failure.description();
        return 0;
    }
    const QString printed = vokPrettyPrintWithIndent(value, 0, false);
    const QVariant again = VOKJSONReader::read(printed.toUtf8(), true);
    if (again != value) {
        std::fprintf(stderr, "printed JSON reads back as another value:\n%s\n", qPrintable(printed));
        std::abort();
    }
    vokPrettyPrintWithIndent(value, 0, true);
    return 0;
}
