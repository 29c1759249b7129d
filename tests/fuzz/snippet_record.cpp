#include "RecordFuzz.h"

#include "core/ClipboardSnippet.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    silenceQtMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    checkRecordReader<ClipboardSnippet>(data, size);
    return 0;
}
